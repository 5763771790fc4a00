#pragma once
// The outputs of one split that hold their file open, from the one written
// most recently to the one written least recently. A log may name more QTHs
// than the process may hold files open; when it is full, the output written
// least recently lets its file go until its next record, so a split of
// thousands of QTHs costs the same per record as one of a handful. The
// entries are linked through their own fields: no allocation, constant time.
#include <cstddef>

struct QthFile;

class RecentOutputs {
 public:
  RecentOutputs() = default;
  RecentOutputs(const RecentOutputs&) = delete;
  RecentOutputs& operator=(const RecentOutputs&) = delete;

  // Notes that `entry`, whose stream is open, is being written: it becomes
  // the most recent, counted among the open ones if it was not yet.
  void use(QthFile& entry) {
    if (newest_ != &entry) link_newest(entry);
  }

  // True when `entry` was the last one written: open, and nothing to do.
  bool is_newest(const QthFile& entry) const { return newest_ == &entry; }

  // Suspends (OutputStream::suspend) the least recently written outputs
  // until fewer than `most_open` are open, so that one more can be opened.
  void make_room(std::size_t most_open);

  std::size_t open() const { return open_; }

 private:
  void link_newest(QthFile& entry);
  void unlink(QthFile& entry);

  QthFile* newest_ = nullptr;
  QthFile* oldest_ = nullptr;
  std::size_t open_ = 0;
};
