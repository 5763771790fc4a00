#include "run_files.h"

RunFiles::RunFiles(const std::vector<const char*>& logs) {
  // A single log has no other log to keep its outputs from: it is not even
  // looked at here, so it runs exactly as it always did.
  if (logs.size() < 2) return;
  for (const char* log : logs) {
    platform::FileId identity;
    if (platform::identity_of(log, identity)) logs_.add(identity);
  }
}

void RunFiles::start_log(std::FILE* input) {
  has_current_ = platform::identity_of(input, current_);
}

bool RunFiles::protects(const char* path) const {
  platform::FileId identity;
  if (!platform::identity_of(path, identity)) return false;
  if (written_.contains(identity)) return true;
  return logs_.contains(identity) && !(has_current_ && platform::same_file(identity, current_));
}

void RunFiles::add_output(const platform::FileId& output) { writing_.add(output); }

void RunFiles::end_log() {
  written_.add_all(writing_);
  writing_.clear();
  has_current_ = false;
}
