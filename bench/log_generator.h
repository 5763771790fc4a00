#pragma once
// What the benchmarks' log generators share: the log file they write, and
// their random numbers.
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

using LogFile = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// Creates the log at `path`, or says why not (as `program`) and returns null.
inline LogFile create_log(const char* program, const char* path) {
  LogFile file(std::fopen(path, "wb"), std::fclose);
  if (!file)
    std::fprintf(stderr, "%s: cannot create %s: %s\n", program, path, std::strerror(errno));
  return file;
}

inline bool write(std::FILE* file, const char* data, std::size_t size) {
  return std::fwrite(data, 1, size, file) == size;
}
inline bool write(std::FILE* file, const std::string& text) {
  return write(file, text.data(), text.size());
}

// Random numbers: xorshift64*, tiny, fast and the same everywhere, unlike
// the standard library's distributions, so a generated log is identical on
// every machine.

class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return state_ * 0x2545F4914F6CDD1DULL;
  }
  // A number in [0, n).
  unsigned below(unsigned n) { return static_cast<unsigned>((next() >> 33) % n); }
  bool chance(unsigned percent) { return below(100) < percent; }
  template <typename T, std::size_t N>
  const T& pick(const T (&items)[N]) {
    return items[below(N)];
  }

 private:
  uint64_t state_;
};

// A call sign: one of `prefixes`, a digit, one to three letters.
template <std::size_t N>
std::string call_sign(Random& random, const char* const (&prefixes)[N]) {
  std::string call = random.pick(prefixes);
  call += static_cast<char>('0' + random.below(10));
  const unsigned letters = 1 + random.below(3);
  for (unsigned i = 0; i < letters; ++i) call += static_cast<char>('A' + random.below(26));
  return call;
}
