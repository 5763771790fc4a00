#pragma once
// The benchmarks' random numbers: xorshift64*, tiny, fast and the same
// everywhere, unlike the standard library's distributions, so a generated
// log is identical on every machine.
#include <cstddef>
#include <cstdint>

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
