#include "adif/value_end.h"

#include "adif/utf8.h"

namespace value_end {

const char* by_characters(const char* value, int32_t length, const char* text_end,
                          bool input_ends_there) {
  const auto* p = reinterpret_cast<const unsigned char*>(value);
  const auto* end = reinterpret_cast<const unsigned char*>(text_end);
  const unsigned char* declared_end = p + length;
  for (int32_t i = 0; i < length; ++i) {
    if (p == end) return nullptr;
    const std::size_t size = utf8::character_size(p, end);
    if (size == 0) return nullptr;
    p += size;
  }
  // The characters must end where a value may end...
  if (p == end ? !input_ends_there : !ends_value(static_cast<char>(*p))) return nullptr;
  // ...and only the rest of the same stretch of text may have been added to
  // the declared bytes: no tag, no line end, no NUL.
  for (const unsigned char* q = declared_end; q < p; ++q)
    if (*q == '<' || *q == '\r' || *q == '\n' || *q == '\0') return nullptr;
  return reinterpret_cast<const char*>(p);
}

namespace {

bool is_name_byte(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Whether `p` (a '<') begins <NAME>, <NAME:LEN> or <NAME:LEN:TYPE>, closed before `end`.
bool begins_tag(const char* p, const char* end) {
  ++p;
  const char* name = p;
  while (p < end && is_name_byte(*p)) ++p;
  if (p == name || p == end) return false;
  if (*p == '>') return true;
  if (*p++ != ':') return false;
  const char* digits = p;
  while (p < end && is_digit(*p)) ++p;
  if (p == digits || p == end) return false;
  if (*p == '>') return true;
  if (*p++ != ':') return false;
  const char* type = p;
  while (p < end && is_letter(*p)) ++p;
  return p != type && p < end && *p == '>';
}

bool is_blank_or_line_end(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

const char* before_tag(const char* value, const char* declared_end, const char* text_end) {
  for (const char* p = value; p < declared_end; ++p) {
    if (*p != '<' || !begins_tag(p, text_end)) continue;
    while (p > value && is_blank_or_line_end(p[-1])) --p;
    return p;
  }
  return nullptr;
}

}  // namespace value_end
