#pragma once
// Storage for one record: its fields and the working copies of the lines they
// point into. A record is read, written and released as one unit, so one arena
// per record replaces a heap allocation per field and per line; a typical
// record fits in the inline block, which makes a record cost one allocation.
#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

class TextArena {
 public:
  // The inline block is left uninitialised on purpose: a record is made per
  // QSO, and nothing is read from the block before it is written.
  // cppcheck-suppress uninitMemberVar
  TextArena() = default;
  TextArena(const TextArena&) = delete;
  TextArena& operator=(const TextArena&) = delete;

  // Returns `size` bytes aligned for any object, owned by the arena until it is destroyed.
  void* allocate(std::size_t size) {
    size = (size + kAlign - 1) & ~(kAlign - 1);
    if (size == 0 || size > left_) return allocate_slow(size);
    char* result = next_;
    next_ += size;
    left_ -= size;
    return result;
  }
  // Makes a T in the arena from `parts` (its members, in order). The arena
  // runs no destructors, so only trivially destructible types go there.
  template <class T, class... Parts>
  T* make(Parts... parts) {
    static_assert(std::is_trivially_destructible_v<T>, "the arena runs no destructors");
    return new (allocate(sizeof(T))) T{parts...};
  }
  // Returns a NUL-terminated copy of the first `size` bytes at `text`, owned
  // by the arena. scan::kPadding more zero bytes follow the NUL, so the
  // reader's scans may read the copy many bytes at a time up to its end.
  char* copy(const char* text, std::size_t size);
  // Gives everything back at once: the arena is as new, and holds no block
  // beyond its inline one.
  void clear() {
    blocks_.clear();
    next_ = inline_;
    left_ = kInlineSize;
    allocated_ = 0;
  }
  // Bytes the arena holds beyond its inline block.
  std::size_t allocated() const { return allocated_; }

 private:
  static constexpr std::size_t kAlign = alignof(std::max_align_t);
  static constexpr std::size_t kInlineSize = 4096;
  static constexpr std::size_t kBlockSize = 16384;

  void* allocate_slow(std::size_t size);

  // Left uninitialised on purpose (see the constructor).
  alignas(std::max_align_t) char inline_[kInlineSize];
  char* next_ = inline_;
  std::size_t left_ = kInlineSize;
  std::size_t allocated_ = 0;
  std::vector<std::unique_ptr<char[]>> blocks_;
};
