#include "adif/value_end.h"

namespace value_end {

std::size_t utf8_character(const unsigned char* p, const unsigned char* end) {
  const unsigned char lead = *p;
  if (lead < 0x80) return 1;
  // The well-formed sequences: the lead byte fixes the length and the range
  // of the second byte (which keeps out overlong forms and surrogates); every
  // later byte is 80..BF.
  std::size_t count;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    count = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    count = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    count = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;  // a continuation byte, C0, C1 or F5..FF
  }
  if (static_cast<std::size_t>(end - p) < count) return 0;
  if (p[1] < low || p[1] > high) return 0;
  for (std::size_t i = 2; i < count; ++i)
    if (p[i] < 0x80 || p[i] > 0xBF) return 0;
  return count;
}

const char* by_characters(const char* value, int32_t length, const char* text_end,
                          bool input_ends_there) {
  const auto* p = reinterpret_cast<const unsigned char*>(value);
  const auto* end = reinterpret_cast<const unsigned char*>(text_end);
  const unsigned char* declared_end = p + length;
  for (int32_t i = 0; i < length; ++i) {
    if (p == end) return nullptr;
    const std::size_t size = utf8_character(p, end);
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
