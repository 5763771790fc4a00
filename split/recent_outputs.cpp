#include "split/recent_outputs.h"

#include "split/qth_files.h"

void RecentOutputs::unlink(QthFile& entry) {
  (entry.newer != nullptr ? entry.newer->older : newest_) = entry.older;
  (entry.older != nullptr ? entry.older->newer : oldest_) = entry.newer;
  entry.newer = entry.older = nullptr;
  open_ -= 1;
}

void RecentOutputs::link_newest(QthFile& entry) {
  // In the list unless it is neither the newest (checked by use) nor has a
  // newer one.
  if (entry.newer != nullptr) unlink(entry);
  entry.older = newest_;
  (newest_ != nullptr ? newest_->newer : oldest_) = &entry;
  newest_ = &entry;
  open_ += 1;
}

void RecentOutputs::make_room(std::size_t most_open) {
  if (most_open == 0) most_open = 1;
  while (open_ >= most_open && oldest_ != nullptr) {
    QthFile& entry = *oldest_;
    unlink(entry);
    // Everything written so far reaches the file before it is let go.
    entry.stream->suspend();
  }
}
