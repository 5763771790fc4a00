#pragma once
// The files of one run of varnel-split that no output may be: every log named
// on the command line, and every output file an earlier log of the run wrote.
// Splitting a.adi and a.txt in one run would otherwise let the second log
// replace a_FN31.adi, which the first one had just reported as written.
#include <cstdio>
#include <vector>

#include "platform/file_id_set.h"

class RunFiles {
 public:
  // Notes the file each of `logs` leads to; logs that cannot be found are
  // passed over (their open fails later and is reported then).
  explicit RunFiles(const std::vector<const char*>& logs);

  // The log about to be split. Its own outputs are kept from it by the open
  // itself, so here it stops counting and a single log runs as it always did.
  void start_log(std::FILE* input);

  // True when `path` leads to another log of the run or to an output an
  // earlier log wrote.
  bool protects(const char* path) const;

  // Notes an output file of the log being split, `output`.
  void add_output(const platform::FileId& output);

  // Ends the log being split: its outputs now count for the ones after it.
  void end_log();

 private:
  platform::FileIdSet logs_;
  platform::FileIdSet written_;  // by the logs before the current one
  platform::FileIdSet writing_;  // by the current log
  platform::FileId current_;
  bool has_current_ = false;
};
