#include "adif/value_end.h"

#include <algorithm>
#include <cstring>

#include "adif/utf8.h"

namespace value_end {

namespace {

bool is_name_byte(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_blank_or_line_end(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool is_end_tag_name(const char* name, std::size_t length) {
  return length == 3 && upper(name[0]) == 'E' && upper(name[1]) == 'O' &&
         (upper(name[2]) == 'R' || upper(name[2]) == 'H');
}

}  // namespace

TagCheck record_tag(const char* p, const char* end, uint64_t& last) {
  // A tag longer than kReach is no record tag: judging one never needs more
  // than kReach bytes.
  const char* stop = end - p > static_cast<std::ptrdiff_t>(kReach) ? p + kReach : end;
  const TagCheck short_text = stop == end ? TagCheck::kUnfinished : TagCheck::kNoTag;
  const char* q = p + 1;
  const char* name = q;
  while (q < stop && is_name_byte(*q)) ++q;
  if (q == stop) return short_text;
  if (q == name) return TagCheck::kNoTag;
  if (*q == '>') {
    if (!is_end_tag_name(name, static_cast<std::size_t>(q - name))) return TagCheck::kNoTag;
    last = static_cast<uint64_t>(q - p);
    return TagCheck::kTag;
  }
  if (*q++ != ':') return TagCheck::kNoTag;
  uint64_t length = 0;
  const char* digits = q;
  for (; q < stop && is_digit(*q); ++q)
    length = std::min<uint64_t>(length * 10 + (*q - '0'), INT32_MAX);
  if (q == stop) return short_text;
  if (q == digits) return TagCheck::kNoTag;
  if (*q != '>') {
    if (*q++ != ':') return TagCheck::kNoTag;
    const char* type = q;
    while (q < stop && is_letter(*q)) ++q;
    if (q == stop) return short_text;
    if (q == type || *q != '>') return TagCheck::kNoTag;
  }
  last = static_cast<uint64_t>(q - p) + length;
  return TagCheck::kTag;
}

const char* first_record_tag(const char* from, const char* before, const char* end,
                             const char*& undecided) {
  undecided = nullptr;
  for (const char* p = from; p < before; ++p) {
    p = static_cast<const char*>(std::memchr(p, '<', static_cast<std::size_t>(before - p)));
    if (p == nullptr) return nullptr;
    uint64_t last;
    switch (record_tag(p, end, last)) {
      case TagCheck::kTag:
        return p;
      case TagCheck::kUnfinished:
        undecided = p;
        return nullptr;
      case TagCheck::kNoTag:
        break;
    }
  }
  return nullptr;
}

bool falls_inside_tag(const char* from, const char* declared_end, const char* end) {
  const char* low =
      declared_end - from > static_cast<std::ptrdiff_t>(kReach) ? declared_end - kReach : from;
  // From the declared end backwards: the first record tag met is the last
  // that begins before it, and decides.
  for (const char* p = declared_end; p > low;) {
    --p;
    while (p > low && *p != '<') --p;
    if (*p != '<') return false;
    uint64_t last;
    if (record_tag(p, end, last) == TagCheck::kTag)
      return static_cast<uint64_t>(declared_end - p) <= last;
  }
  return false;
}

const char* before_blanks(const char* value, const char* tag) {
  while (tag > value && is_blank_or_line_end(tag[-1])) --tag;
  return tag;
}

const char* by_characters(const char* value, int32_t length, const char* text_end,
                          bool more_may_follow, bool& needs_more) {
  needs_more = false;
  const auto* p = reinterpret_cast<const unsigned char*>(value);
  const auto* end = reinterpret_cast<const unsigned char*>(text_end);
  const unsigned char* declared_end = p + length;
  // Only the rest of the same stretch of text may be added to the declared
  // bytes: no tag, no line end, no NUL.
  const auto plain = [](unsigned char c) { return c != '<' && c != '\r' && c != '\n' && c != 0; };
  for (int32_t i = 0; i < length; ++i) {
    if (p == end) {
      needs_more = more_may_follow;
      return nullptr;
    }
    const std::size_t size = utf8::character_size(p, end);
    if (size == 0) {
      // A character cut by the end of the text may be whole with more of it.
      needs_more = more_may_follow && end - p < 4;
      return nullptr;
    }
    for (std::size_t k = 0; k < size; ++k)
      if (p + k >= declared_end && !plain(p[k])) return nullptr;
    p += size;
  }
  // The characters must end where a value may end.
  if (p == end) {
    needs_more = more_may_follow;
    return more_may_follow ? nullptr : reinterpret_cast<const char*>(p);
  }
  return ends_value(static_cast<char>(*p)) ? reinterpret_cast<const char*>(p) : nullptr;
}

bool holds_end_of_record(const char* value, std::size_t length) {
  const char* end = value + length;
  for (const char* p = value; end - p >= 5; ++p) {
    p = static_cast<const char*>(std::memchr(p, '<', static_cast<std::size_t>(end - p - 4)));
    if (p == nullptr) return false;
    if (upper(p[1]) == 'E' && upper(p[2]) == 'O' && upper(p[3]) == 'R' && p[4] == '>') return true;
  }
  return false;
}

}  // namespace value_end
