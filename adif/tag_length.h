#pragma once
// The length part of a tag: what follows the ':' after its name, "LEN>" or
// "LEN:TYPE>". read_length_plain reads it the general way, like atoi, and is
// the authoritative one; read_length reads the lengths nearly every tag has
// (one to nine digits, then '>') on short paths first and leaves every other
// text to it. A table test (tests/adif/scan_test.cpp) holds the two equal
// over every byte value at every place of a length.
#include <cstddef>
#include <cstdint>
#include <cstring>

// Like atoi, but a number too large for 32 bits saturates instead of being
// undefined, so a corrupt length just runs to the end of the input. Sets
// *stop to the first byte after the number.
inline int32_t parse_length(const char* p, char** stop) {
  const auto is_blank = [](char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
  };
  while (is_blank(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  int64_t value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > INT32_MAX) value = int64_t{INT32_MAX} + 1;
  }
  *stop = const_cast<char*>(p);
  if (negative) return static_cast<int32_t>(-value);
  return static_cast<int32_t>(value > INT32_MAX ? INT32_MAX : value);
}

// The tag part after the colon at `colon`, "LEN>" or "LEN:TYPE>": sets
// `length` (as parse_length reads it) and returns where the value starts,
// after the first '>', or null when no '>' closes the tag before `end`. The
// text holds no NUL before `end` and is followed there by a NUL and
// scan::kPadding bytes.
inline char* read_length_plain(char* colon, const char* end, int32_t& length) {
  char* digits_end;
  length = parse_length(colon + 1, &digits_end);
  char* close = *digits_end == '>'
                    ? digits_end
                    : static_cast<char*>(
                          std::memchr(colon + 1, '>', static_cast<std::size_t>(end - colon - 1)));
  if (close == nullptr) return nullptr;
  return close + 1;
}

// Inlined whatever the compiler makes of a header's function: it stands in
// the reader's loop, where a call per tag costs more than its work.
[[gnu::always_inline]] inline char* read_length(char* colon, const char* end, int32_t& length) {
  // Nearly every tag is one or two digits and '>'. (The text is followed by
  // its NUL and padding, so the bytes up to the first that is no digit, and
  // the one after the first, can be read.)
  char* q = colon + 1;
  auto digit = static_cast<unsigned>(static_cast<unsigned char>(*q) - '0');
  if (digit < 10 && q[1] == '>') {
    length = static_cast<int32_t>(digit);
    return q + 2;
  }
  const auto second = static_cast<unsigned>(static_cast<unsigned char>(q[1]) - '0');
  if (digit < 10 && second < 10 && q[2] == '>') {
    length = static_cast<int32_t>(digit * 10 + second);
    return q + 3;
  }
  // Then a few digits and '>': nine at most, which no int32_t overflows.
  if (digit < 10) {
    uint32_t value = digit;
    digit = static_cast<unsigned>(static_cast<unsigned char>(*++q) - '0');
    for (int n = 1; digit < 10 && n < 9; ++n) {
      value = value * 10 + digit;
      digit = static_cast<unsigned>(static_cast<unsigned char>(*++q) - '0');
    }
    if (*q == '>') {
      length = static_cast<int32_t>(value);
      return q + 1;
    }
  }
  return read_length_plain(colon, end, length);
}
