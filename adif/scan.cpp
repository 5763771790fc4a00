#include "adif/scan.h"

namespace scan {

char* tag_name_plain(char* p) {
  for (;; ++p) {
    const char c = *p;
    if (c == ':' || c == '>' || c == '\0') return p;
    if (c >= 'a' && c <= 'z') *p = static_cast<char>(c - 'a' + 'A');
  }
}

std::size_t line_break_plain(const char* p, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i)
    if (p[i] == '\n' || p[i] == '\r' || p[i] == '\0') return i;
  return count;
}

namespace word {

char* tag_name(char* p) {
  for (;;) {
    const uint64_t word = words::load(p);
    const uint64_t stops =
        words::zero_bytes(word) | words::bytes_equal(word, ':') | words::bytes_equal(word, '>');
    uint64_t lower = words::lower_case_bytes(word);
    if (stops != 0) {
      // Marks after the first stop may be false ones; the first is exact.
      const unsigned at = words::first_set_byte(stops);
      lower &= words::first_bytes(at);
      if (lower != 0) words::store(p, words::upper_cased(word, lower));
      return p + at;
    }
    if (lower != 0) words::store(p, words::upper_cased(word, lower));
    p += 8;
  }
}

std::size_t line_break(const char* p, std::size_t count) {
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const uint64_t word = words::load(p + i);
    const uint64_t marks =
        words::zero_bytes(word) | words::bytes_equal(word, '\n') | words::bytes_equal(word, '\r');
    // Only the first mark is exact, and only the first is wanted.
    if (marks != 0) return i + words::first_set_byte(marks);
  }
  // The last bytes, fewer than a word.
  return i + line_break_plain(p + i, count - i);
}

}  // namespace word

#if defined(__SSE2__)
namespace sse2 {

// Thirty-two bytes a round: nearly every name ends within one. Most names
// are upper case already, and nothing is written back for them.
char* tag_name(char* p) {
  const __m128i colon = _mm_set1_epi8(':');
  const __m128i close = _mm_set1_epi8('>');
  const __m128i zero = _mm_setzero_si128();
  // SSE2 compares bytes as signed numbers only. Adding -128 - 'a' moves
  // 'a'..'z' to -128..-103, the 26 lowest signed values (every other byte
  // lands above them, wrapping modulo 256), so one "less than -102" finds them.
  const __m128i to_bottom = _mm_set1_epi8(static_cast<char>(-128 - 'a'));
  const __m128i past_z = _mm_set1_epi8(static_cast<char>(-128 + 26));
  auto marks = [&](__m128i bytes, unsigned& lowers) {
    const __m128i ends =
        _mm_or_si128(_mm_cmpeq_epi8(bytes, zero),
                     _mm_or_si128(_mm_cmpeq_epi8(bytes, colon), _mm_cmpeq_epi8(bytes, close)));
    lowers = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmplt_epi8(_mm_add_epi8(bytes, to_bottom), past_z)));
    return static_cast<unsigned>(_mm_movemask_epi8(ends));
  };
  for (;;) {
    unsigned low_lowers, high_lowers;
    const unsigned low = marks(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), low_lowers);
    const unsigned high =
        marks(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)), high_lowers);
    // One bit per byte of the round, byte 0 lowest.
    const uint32_t stops = low | (high << 16);
    uint32_t lowers = low_lowers | (high_lowers << 16);
    const unsigned at = stops != 0 ? words::lowest_bit(stops) : 32;
    // Only the bytes before the stop are the name's.
    lowers &= at == 32 ? ~uint32_t{0} : (uint32_t{1} << at) - 1;
    for (; lowers != 0; lowers &= lowers - 1) {  // clears the lowest set bit
      char& letter = p[words::lowest_bit(lowers)];
      letter = static_cast<char>(letter - ('a' - 'A'));
    }
    if (stops != 0) return p + at;
    p += 32;
  }
}

std::size_t line_break(const char* p, std::size_t count) {
  std::size_t i = 0;
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i zero = _mm_setzero_si128();
  auto marks = [&](std::size_t at) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
    return _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, lf), _mm_cmpeq_epi8(bytes, cr)),
                        _mm_cmpeq_epi8(bytes, zero));
  };
  // Lines run to hundreds of bytes: 64 a round, one branch.
  for (; i + 64 <= count; i += 64) {
    const __m128i a = marks(i), b = marks(i + 16), c = marks(i + 32), d = marks(i + 48);
    if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d))) != 0) {
      // One bit per byte of the round, byte 0 lowest.
      const uint64_t found =
          static_cast<uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(a))) |
          static_cast<uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(b))) << 16 |
          static_cast<uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(c))) << 32 |
          static_cast<uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(d))) << 48;
      return i + words::lowest_bit(found);
    }
  }
  for (; i + 16 <= count; i += 16) {
    const int found = _mm_movemask_epi8(marks(i));
    if (found != 0) return i + words::lowest_bit(static_cast<unsigned>(found));
  }
  // The last bytes, fewer than a round.
  return i + line_break_plain(p + i, count - i);
}

}  // namespace sse2
#endif

}  // namespace scan
