#include "run_files.h"

#include <algorithm>

namespace {

bool holds(const std::vector<platform::FileId>& files, const platform::FileId& file) {
  return std::any_of(files.begin(), files.end(), [&](const platform::FileId& other) {
    return platform::same_file(other, file);
  });
}

}  // namespace

RunFiles::RunFiles(const std::vector<const char*>& logs) {
  // A single log has no other log to keep its outputs from: it is not even
  // looked at here, so it runs exactly as it always did.
  if (logs.size() < 2) return;
  for (const char* log : logs) {
    platform::FileId identity;
    if (platform::identity_of(log, identity)) logs_.push_back(identity);
  }
}

void RunFiles::start_log(std::FILE* input) {
  has_current_ = platform::identity_of(input, current_);
}

bool RunFiles::protects(const char* path) const {
  platform::FileId identity;
  if (!platform::identity_of(path, identity)) return false;
  if (holds(written_, identity)) return true;
  return holds(logs_, identity) && !(has_current_ && platform::same_file(identity, current_));
}

void RunFiles::add_output(std::FILE* output) {
  platform::FileId identity;
  if (platform::identity_of(output, identity)) writing_.push_back(identity);
}

void RunFiles::end_log() {
  written_.insert(written_.end(), writing_.begin(), writing_.end());
  writing_.clear();
  has_current_ = false;
}
