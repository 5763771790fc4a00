#include "adif/text_arena.h"

#include <cstring>

#include "adif/padding.h"

namespace {

// A block left uninitialised: every byte handed out is written before it is
// read, and filling a long value's block with zeros first would cost as much
// as copying the value.
std::unique_ptr<char[]> new_block(std::size_t size) {
  return std::unique_ptr<char[]>(new char[size]);
}

}  // namespace

void* TextArena::allocate_slow(std::size_t size) {
  if (size == 0) size = kAlign;
  if (size <= left_) return allocate(size);
  // A request larger than a block (a long value spanning many lines) gets a
  // block of its own, so the current block's remainder is not wasted.
  if (size > kBlockSize / 4) {
    blocks_.push_back(new_block(size));
    allocated_ += size;
    return blocks_.back().get();
  }
  blocks_.push_back(new_block(kBlockSize));
  allocated_ += kBlockSize;
  next_ = blocks_.back().get();
  left_ = kBlockSize;
  return allocate(size);
}

char* TextArena::copy(const char* text, std::size_t size) {
  char* result = static_cast<char*>(allocate(size + 1 + scan::kPadding));
  if (size != 0) std::memcpy(result, text, size);
  std::memset(result + size, 0, 1 + scan::kPadding);
  return result;
}
