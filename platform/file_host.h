#pragma once
// The part of a Host that every front end answers alike: output files
// through the shared file-system code, as many open at once as the process
// may hold, named in the code page of its paths. A front end derives from it
// and adds its questions (and its own checks, calling these first).
#include <cstdio>
#include <memory>
#include <string>

#include "platform/output_files.h"
#include "split/host.h"

namespace platform {

class FileHost : public Host {
 public:
  // `input`: the log being split, which no output may be. One host serves
  // one split (see OutputFiles).
  explicit FileHost(std::FILE* input) : outputs_(input) {}

  bool output_exists(const char* path) override { return platform::output_exists(path); }
  std::unique_ptr<OutputSink> open_output(const char* path) override { return outputs_.open(path); }
  std::size_t most_open_outputs() override { return outputs_.most_open(); }
  std::string file_name_text(const std::string& text) override {
    return platform::file_name_text(text);
  }

 protected:
  OutputFiles outputs_;
};

}  // namespace platform
