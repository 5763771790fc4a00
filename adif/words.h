#pragma once
// Byte tests eight bytes at a time, for the reader's busiest loops. A text
// read this way must stay readable for a whole word past where a test stops,
// as the arena's copies are (TextArena::copy). The two text comparisons at
// the end each stand beside a byte loop with the same contract (`_plain`),
// which is the authoritative one; tests/adif/scan_test.cpp holds them equal
// over every byte value and position.
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "words.h numbers the bytes of a word from its low end"
#endif

namespace words {

constexpr uint64_t kOnes = 0x0101010101010101ULL;
constexpr uint64_t kHigh = 0x8080808080808080ULL;

inline uint64_t load(const char* p) {
  uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

inline void store(char* p, uint64_t word) { std::memcpy(p, &word, sizeof word); }

// The high bit of every byte of `word` that is zero. Exact for the first such
// byte; bytes after it may be marked too, so only the first mark counts.
// Subtracting 1 from every byte sets the high bit of a zero byte (it wraps to
// 0xFF) and of no byte from 0x01 to 0x80; `~word` then drops the bytes whose
// high bit was set already. Only the borrow out of a zero byte can disturb
// the bytes above it, hence the caveat.
inline uint64_t zero_bytes(uint64_t word) { return (word - kOnes) & ~word & kHigh; }

// The high bit of every byte that equals `c`, with the same caveat: such a
// byte is the one the xor makes zero.
inline uint64_t bytes_equal(uint64_t word, unsigned char c) {
  return zero_bytes(word ^ (kOnes * c));
}

// The high bit of every byte from 'a' to 'z'. Exact for every byte: each
// byte's low seven bits plus 0x80 - 'a' reach the high bit exactly when they
// are 'a' or more, and plus 0x80 - 'z' - 1 when they are past 'z'. The sums
// stay below 0x100, so no carry runs into the next byte; `~word` drops the
// bytes whose own high bit was set.
inline uint64_t lower_case_bytes(uint64_t word) {
  const uint64_t low7 = word & ~kHigh;
  const uint64_t from_a = low7 + kOnes * (0x80 - 'a');
  const uint64_t past_z = low7 + kOnes * (0x80 - 'z' - 1);
  return from_a & ~past_z & ~word & kHigh;
}

// `word` with the bytes that `lower` marks (a lower_case_bytes result, or
// part of one) upper-cased. A mark is 0x80 in its byte; shifted right by two
// it is 0x20 in the same byte, the distance from 'a' to 'A'. A marked byte is
// at least 'a', so subtracting 0x20 never borrows from the byte above.
inline uint64_t upper_cased(uint64_t word, uint64_t lower) { return word - (lower >> 2); }

// Where the lowest set bit of `word` stands (0 to 63); `word` must not be 0.
inline unsigned lowest_bit(uint64_t word) {
#if defined(__GNUC__) || defined(__clang__)
  return static_cast<unsigned>(__builtin_ctzll(word));
#else
  unsigned at = 0;
  while ((word & 1) == 0) {
    word >>= 1;
    ++at;
  }
  return at;
#endif
}

// Where the first byte with a bit set stands (0 to 7): the first marked byte
// of a result above, or the first byte two words differ in their xor.
// `word` must not be 0.
inline unsigned first_set_byte(uint64_t word) { return lowest_bit(word) / 8; }

// The bytes before byte `count` (0 to 8) of a word.
inline uint64_t first_bytes(unsigned count) {
  return count == 0 ? 0 : ~uint64_t{0} >> (64 - 8 * count);
}

// strcmp for two NUL-terminated texts that stay readable a word past their
// ends; `shorter` is the length of the shorter one. Only the sign counts.
inline int compare_texts_plain(const char* a, const char* b, std::size_t shorter) {
  std::size_t i = 0;
  // At `shorter` one of the texts ends: its NUL differs, or both end there.
  while (i < shorter && a[i] == b[i]) ++i;
  return static_cast<int>(static_cast<unsigned char>(a[i])) -
         static_cast<int>(static_cast<unsigned char>(b[i]));
}

inline int compare_texts(const char* a, const char* b, std::size_t shorter) {
  for (std::size_t i = 0;; i += 8) {
    const uint64_t diff = load(a + i) ^ load(b + i);
    if (diff != 0) {
      const std::size_t at = i + first_set_byte(diff);
      // Past the shorter text's NUL the two agreed up to both their ends.
      if (at > shorter) return 0;
      return static_cast<int>(static_cast<unsigned char>(a[at])) -
             static_cast<int>(static_cast<unsigned char>(b[at]));
    }
    if (i + 8 > shorter) return 0;
  }
}

// Whether the `size` bytes at `a` and `b` are equal. The last word is read
// whole, so both must stay readable up to a word past the `size` bytes.
inline bool same_bytes_plain(const char* a, const char* b, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i)
    if (a[i] != b[i]) return false;
  return true;
}

inline bool same_bytes(const char* a, const char* b, std::size_t size) {
  for (; size >= 8; size -= 8, a += 8, b += 8)
    if (load(a) != load(b)) return false;
  return ((load(a) ^ load(b)) & first_bytes(static_cast<unsigned>(size))) == 0;
}

}  // namespace words
