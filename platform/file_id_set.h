#pragma once
// A set of files by identity, found in constant time however many it holds:
// a split of thousands of QTHs checks every new output against all of them.
#include <cstdint>
#include <initializer_list>
#include <unordered_map>

#include "platform/file_identity.h"

namespace platform {

class FileIdSet {
 public:
  FileIdSet() = default;
  FileIdSet(std::initializer_list<FileId> ids) {
    for (const FileId& id : ids) add(id);
  }

  void add(const FileId& id) { by_index_.emplace(id.index, id); }

  // True when a file of the set is `id`'s file (same_file).
  bool contains(const FileId& id) const {
    // Keyed by the index alone: an id whose volume is unknown matches on it.
    auto range = by_index_.equal_range(id.index);
    for (auto it = range.first; it != range.second; ++it) {
      if (same_file(it->second, id)) return true;
    }
    return false;
  }

  // Adds every file of `other`.
  void add_all(const FileIdSet& other) {
    by_index_.insert(other.by_index_.begin(), other.by_index_.end());
  }
  void clear() { by_index_.clear(); }

 private:
  std::unordered_multimap<uint64_t, FileId> by_index_;
};

}  // namespace platform
