#pragma once
// The input log as both front ends hold it: a stream closed when its owner
// goes out of scope, whatever way the split ends.
#include <cstdio>
#include <memory>

namespace platform {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using InputFile = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace platform
