#include "adif/line_reader.h"

#include <cstring>

namespace {
constexpr std::size_t kBufferSize = 1 << 16;
}

LineReader::LineReader(std::FILE* file)
    : file_(file), owned_(std::make_unique<char[]>(kBufferSize)), data_(owned_.get()) {}

LineReader::LineReader(const char* data, std::size_t size) : data_(data), end_(size) {}

bool LineReader::refill() {
  if (file_ == nullptr || error_) return false;
  std::size_t got = std::fread(owned_.get(), 1, kBufferSize, file_);
  pos_ = 0;
  end_ = got;
  if (got == 0) {
    if (std::ferror(file_)) error_ = true;
    return false;
  }
  return true;
}

std::size_t LineReader::read_line(char* line, std::size_t size) {
  if (size < 2) return 0;
  std::size_t want = size - 1;
  std::size_t copied = 0;
  while (copied < want) {
    if (pos_ == end_ && !refill()) break;
    std::size_t avail = end_ - pos_;
    std::size_t take = want - copied < avail ? want - copied : avail;
    const char* start = data_ + pos_;
    const void* lf = std::memchr(start, '\n', take);
    if (lf != nullptr) take = static_cast<std::size_t>(static_cast<const char*>(lf) - start) + 1;
    std::memcpy(line + copied, start, take);
    copied += take;
    pos_ += take;
    if (lf != nullptr) break;
  }
  line[copied] = '\0';
  return copied;
}
