#pragma once
// The field names a reader has met, each numbered by its place in name order
// (the order strcmp gives). A log uses a few dozen names over and over, so a
// record's fields can be put in name order by looking each name up here
// instead of comparing names with each other.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "adif/scan.h"
#include "adif/words.h"

class FieldNames {
 public:
  static constexpr std::size_t kCapacity = 1024;

  FieldNames();

  // The number of the `length`-byte name at `name` (NUL-terminated and
  // followed by a readable word), added when new; -1 when the dictionary is
  // full and the name is not in it.
  int32_t find_or_add(const char* name, uint32_t length);

  // Whether number `id` is the `length`-byte name at `name` (followed by a
  // readable word).
  bool is(int32_t id, const char* name, uint32_t length) const {
    const Entry& entry = entries_[static_cast<std::size_t>(id)];
    return entry.length == length && words::same_bytes(texts_.data() + entry.offset, name, length);
  }

  // Whether the text at `at` starts with name number `id` followed by ':' or
  // '>': a tag name that needs no scanning. The text is followed, after its
  // NUL, by scan::kPadding bytes.
  bool starts(int32_t id, const char* at) const {
    const Entry& entry = entries_[static_cast<std::size_t>(id)];
    return scan::names_tag(texts_.data() + entry.offset, entry.length, at);
  }
  uint32_t length(int32_t id) const { return entries_[static_cast<std::size_t>(id)].length; }

  // The name's place in name order among the names met so far (below
  // kCapacity). Adding a name moves the places of the names after it.
  uint32_t rank(int32_t id) const { return entries_[static_cast<std::size_t>(id)].rank; }
  // The key-field shortcut the name sets (see shortcut_slot), or -1.
  int shortcut(int32_t id) const { return entries_[static_cast<std::size_t>(id)].shortcut; }
  std::size_t size() const { return entries_.size(); }

 private:
  static constexpr std::size_t kSlots = 2 * kCapacity;  // a power of two

  static std::size_t slot_of(const char* name, uint32_t length);
  int32_t add(const char* name, uint32_t length, std::size_t slot);
  const char* text(std::size_t id) const { return texts_.data() + entries_[id].offset; }

  struct Entry {
    uint32_t offset;  // of the name in texts_
    uint32_t length;
    uint32_t rank;
    int32_t shortcut;
  };

  // Each name NUL-terminated and followed by scan::kPadding zero bytes, so
  // names may be compared many bytes at a time.
  std::string texts_;
  std::vector<Entry> entries_;
  std::vector<int32_t> in_order_;  // numbers by rank
  std::vector<int32_t> slots_;     // number + 1 by hash, 0 for an empty slot
};
