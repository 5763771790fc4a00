#pragma once
// The registry of output files of one split: an AA tree of QthFile entries
// keyed by QTH (byte-wise, as strcmp compares), held by its root.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>

#include "adif/output_stream.h"
#include "split/host.h"
#include "split/recent_outputs.h"
#include "split/status.h"

struct QthFile {
  std::string qth;                       // as the record held it, or the name; the key
  std::string path;                      // the output file
  std::unique_ptr<OutputStream> stream;  // null until opened, and for ever when skipped
  int32_t qso_count = 0;
  int32_t skip = 0;  // 1: nothing is written for this QTH
  int32_t level = 0;
  std::unique_ptr<QthFile> left;
  std::unique_ptr<QthFile> right;
  QthFile* newer = nullptr;  // neighbours among the open outputs (RecentOutputs)
  QthFile* older = nullptr;
};

// Output files this split has open, so that two QTHs naming the same file
// (after the name's byte rule, or differing only in case on Windows) never
// both write it.
class OpenPaths {
 public:
  bool contains(const std::string& path) const;
  void add(const std::string& path);
  std::size_t size() const { return keys_.size(); }
  // Buffer memory the outputs' small buffers may still grow by
  // (OutputStream): enough for a few hundred busy files.
  std::size_t* growth_room() { return &growth_room_; }

 private:
  std::size_t growth_room_ = 8u << 20;
  static std::string key(const std::string& path);
  std::unordered_set<std::string> keys_;
};

// Returns the entry whose QTH equals `qth`, or null.
QthFile* find_qth_file(QthFile* root, const char* qth);

// Makes the entry for a QTH met for the first time: builds its path (in
// `output_folder` when given, else beside the input), asks before overwriting
// an existing file, opens it, and asks what to do when it cannot be opened.
// Returns an open or skipped entry, or null on Cancel.
std::unique_ptr<QthFile> create_qth_file(const char* qth, const char* input_path, Host& host,
                                         OpenPaths& open_paths,
                                         const char* output_folder = nullptr);

// As above for an output named otherwise (varnel-split's --name): the entry
// is keyed by `key` and writes the file at `path`.
std::unique_ptr<QthFile> create_named_file(const char* key, std::string path, Host& host,
                                           OpenPaths& open_paths);

// Readies `entry`, which has a stream, for its next record: an output that
// let its file go to stay under the host's limit takes it up again, after
// the least recently written ones made room. When the name no longer leads
// to the same file, that is an open failure: the user is asked as after a
// failed open, and on OK nothing more is written for the QTH, its file
// keeping the records written so far. Returns false on Cancel; the caller
// writes only when the entry is not skipped afterwards.
bool ready_qth_file(QthFile& entry, Host& host, RecentOutputs& recent);
// The same, at the cost of one comparison for the QTH written last: a
// rover's records come in runs from one QTH.
inline bool ready_for_record(QthFile& entry, Host& host, RecentOutputs& recent) {
  return recent.is_newest(entry) || ready_qth_file(entry, host, recent);
}

// Inserts `entry`, whose QTH is not yet in the tree, and returns the new root.
std::unique_ptr<QthFile> insert_qth_file(std::unique_ptr<QthFile> root,
                                         std::unique_ptr<QthFile> entry);

// Adds the status line "`before`NAME" at `severity` for `entry`'s file: the
// count first (`before` is a format for it, such as "Wrote %4d QSOs to "),
// and a name too long for the line losing its middle, never its end, which
// names the QTH.
void add_file_line(StatusLists& status, int32_t severity, const char* before, const QthFile& entry);

// Closes every open stream in ascending QTH order, adding "Wrote %4d QSOs to
// NAME" at severity 0 per file (or an error at severity 2 when not all of it
// reached the disk). Returns the number of streams closed.
int32_t close_qth_files(QthFile* root, StatusLists& status);

// Closes every open stream now, while the split may still be running, for a
// process that is about to be ended: every record written so far reaches its
// file. The streams stay in their entries, so close_qth_files still reports
// them; nothing written to them afterwards reaches the file.
void close_qth_streams_now(QthFile* root);
