#pragma once
// Splitting one log: the one call both front ends make.
#include <cstdint>
#include <cstdio>
#include <memory>

#include "split/host.h"
#include "split/status.h"

struct QthFile;
struct SplitSettings;

// How a split of one log ended.
struct SplitResult {
  // What to show: a "Wrote" line per output file, problems above them, and
  // "Did not create any output files!" when none was written.
  StatusLists status;
  int32_t files = 0;       // output files written and closed
  bool cancelled = false;  // the user chose Cancel in a question
  int64_t left_out = 0;    // records that named no QTH (a list QTH without items too)
  // An error among the lines: something the user asked for was not done.
  bool failed() const { return status.heads[2] != nullptr; }
};

// A running split's output files, for a caller that must close them at once
// while the split waits in a question or between records: the end of the
// Windows session, which ends the process when its handler returns. Between
// splits it holds nothing.
class SplitFilesHandle {
 public:
  // Closes every open output file now, each after its last whole record;
  // the split goes on to report them as usual, should the process live on.
  void close_now();

 private:
  friend class SplitRun;
  std::unique_ptr<QthFile>* files_ = nullptr;
};

// Reads the log `input` (opened as bytes; the caller's to close) record by
// record and appends each record that names a QTH to that QTH's output file
// beside `input_path`, or in `output_folder` when one is given (the names
// still come from `input_path`), asking `host` what to do about existing
// files and failed opens; then closes every file. Stops early when the user
// cancels, the host asks it to stop, a line cannot be read, or memory runs
// out; problems met on the way are among the status lines. `files`, when
// given, reaches the open files while the split runs. `settings` (the
// caller's, read during the call) change what the split takes a QTH from and
// how it names its files (split/split_settings.h); none gives the window's
// split.
SplitResult split_log(std::FILE* input, const char* input_path, Host& host,
                      const char* output_folder = nullptr, SplitFilesHandle* files = nullptr,
                      const SplitSettings* settings = nullptr);
