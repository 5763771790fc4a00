#include "adif/text_arena.h"

#include <cstring>

namespace {
constexpr std::size_t kAlign = alignof(std::max_align_t);

std::size_t round_up(std::size_t size) { return (size + kAlign - 1) & ~(kAlign - 1); }
}  // namespace

void* TextArena::allocate(std::size_t size) {
  size = round_up(size == 0 ? 1 : size);
  if (size > left_) {
    // A request larger than a block (a long value spanning many lines) gets a
    // block of its own, so the current block's remainder is not wasted.
    if (size > kBlockSize / 4) {
      blocks_.push_back(std::make_unique<char[]>(size));
      allocated_ += size;
      return blocks_.back().get();
    }
    blocks_.push_back(std::make_unique<char[]>(kBlockSize));
    allocated_ += kBlockSize;
    next_ = blocks_.back().get();
    left_ = kBlockSize;
  }
  char* result = next_;
  next_ += size;
  left_ -= size;
  return result;
}

char* TextArena::copy(const char* text, std::size_t size) {
  char* result = static_cast<char*>(allocate(size + 1));
  if (size != 0) std::memcpy(result, text, size);
  result[size] = '\0';
  return result;
}
