#pragma once
// The byte scans the reader and the writer spend most of their time in. Each
// is a plain byte loop (`_plain`), which is the authoritative one: it says
// what the scan means. Beside it stand fast variants with the same contract:
//   scan::word   eight bytes a word (adif/words.h), for any little-endian machine;
//   scan::sse2   SSE2 compares, where the compiler targets SSE2 (every x86-64).
// Every build compiles every variant it can, and one table test
// (tests/adif/scan_test.cpp) holds each equal to its plain loop over every
// byte value and stop position. The unqualified names below (scan::tag_name,
// ...) are the fastest variant the build has, and the ones the reader and
// the writer call; a machine without SSE2 reads with the words, as the
// `portable` preset builds it.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "adif/padding.h"
#include "adif/words.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace scan {

// Tag names. Upper-cases a-z (and nothing else) in place from `p` up to the
// first ':', '>' or NUL, and returns where that stop stands. `p` must be
// followed by a NUL and kPadding bytes.
char* tag_name_plain(char* p);
namespace word {
char* tag_name(char* p);
}

// Line ends. Where the first LF, CR or NUL stands among the `count` bytes at
// `p`, or `count` when none does. Reads nothing past the `count` bytes.
std::size_t line_break_plain(const char* p, std::size_t count);
namespace word {
std::size_t line_break(const char* p, std::size_t count);
}

// Expected names. Whether the text at `at` begins with the `length` bytes of
// `name` followed by ':' or '>'. `name` holds no NUL and is followed by a
// NUL and kPadding bytes; the text at `at` is followed, after its NUL, by
// kPadding bytes. Its NUL, which no name holds, ends the comparison in time.
// Called for nearly every tag, so it is inline.
inline bool names_tag_plain(const char* name, uint32_t length, const char* at) {
  for (uint32_t i = 0; i < length; ++i)
    if (name[i] != at[i]) return false;
  return at[length] == ':' || at[length] == '>';
}

namespace word {
// The first word that holds the text's NUL differs from the name's, so no
// word past it is read.
inline bool names_tag(const char* name, uint32_t length, const char* at) {
  return words::same_bytes(name, at, length) && (at[length] == ':' || at[length] == '>');
}
}  // namespace word

// Tag starts. Whether any of the `length` bytes at `p` is '<': a value that
// might hold a tag. `p` is followed by kPadding readable bytes past the
// `length` bytes (the NUL of its text among them). Asked of every value, so
// it is inline: nearly every value is shorter than 16 bytes, and takes one
// compare.
inline bool holds_tag_start_plain(const char* p, std::size_t length) {
  return std::memchr(p, '<', length) != nullptr;
}

namespace word {
inline bool holds_tag_start(const char* p, std::size_t length) {
  if (length > 16) return holds_tag_start_plain(p, length);
  // A false mark only ever follows a true one in the same word (words.h),
  // so any mark among the first `length` bytes is a '<' there.
  const uint64_t low = words::bytes_equal(words::load(p), '<');
  const uint64_t high = words::bytes_equal(words::load(p + 8), '<');
  const auto count = static_cast<unsigned>(length);
  const uint64_t first = words::first_bytes(count < 8 ? count : 8);
  const uint64_t second = words::first_bytes(count > 8 ? count - 8 : 0);
  return ((low & first) | (high & second)) != 0;
}
}  // namespace word

// Name lengths, for the writer. strlen for a text followed, after its NUL,
// by a readable word.
inline std::size_t padded_length_plain(const char* text) {
  std::size_t n = 0;
  while (text[n] != '\0') ++n;
  return n;
}

namespace word {
inline std::size_t padded_length(const char* text) {
  for (std::size_t n = 0;; n += 8) {
    const uint64_t zeros = words::zero_bytes(words::load(text + n));
    if (zeros != 0) return n + words::first_set_byte(zeros);
  }
}
}  // namespace word

// Application names, for the writer. Whether the name at `name` begins with
// "APP_"; the name is NUL-terminated and followed by a readable word. (The
// plain loop reads nothing past the NUL, so it also serves for names made
// anywhere, which write_fields writes.)
inline bool is_application_name_plain(const char* name) {
  return name[0] == 'A' && name[1] == 'P' && name[2] == 'P' && name[3] == '_';
}

namespace word {
// One compare: a name shorter than four bytes has its NUL among them.
inline bool is_application_name(const char* name) {
  uint32_t first;
  std::memcpy(&first, name, sizeof first);
  uint32_t app;
  std::memcpy(&app, "APP_", sizeof app);
  return first == app;
}
}  // namespace word

#if defined(__SSE2__)
namespace sse2 {

char* tag_name(char* p);
std::size_t line_break(const char* p, std::size_t count);

inline bool names_tag(const char* name, uint32_t length, const char* at) {
  // Nearly every name is shorter than 32 bytes: two compares, no loop. Both
  // texts are padded, so reading 32 bytes of each is always allowed.
  // cppcheck-suppress knownConditionTrueFalse ; a static_assert is always true when it compiles
  static_assert(kPadding >= 32, "two 16-byte loads past a text's NUL");
  if (length < 32) {
    const auto load = [](const char* p) {
      return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    };
    const auto same = static_cast<uint32_t>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(load(name), load(at))) |
        (_mm_movemask_epi8(_mm_cmpeq_epi8(load(name + 16), load(at + 16))) << 16));
    const uint32_t wanted = (uint32_t{1} << length) - 1;
    if ((same & wanted) != wanted) return false;
  } else if (!words::same_bytes(name, at, length)) {
    return false;
  }
  return at[length] == ':' || at[length] == '>';
}

inline bool holds_tag_start(const char* p, std::size_t length) {
  if (length > 16) return holds_tag_start_plain(p, length);
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const auto marks =
      static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('<'))));
  return (marks & ((uint32_t{1} << length) - 1)) != 0;
}

}  // namespace sse2

using sse2::holds_tag_start;
using sse2::line_break;
using sse2::names_tag;
using sse2::tag_name;
#else
using word::holds_tag_start;
using word::line_break;
using word::names_tag;
using word::tag_name;
#endif
// SSE2 would gain nothing on texts this short.
using word::is_application_name;
using word::padded_length;

}  // namespace scan
