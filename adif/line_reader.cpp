#include "adif/line_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "adif/scan.h"

namespace {
constexpr std::size_t kBufferSize = 1 << 16;

// The size of `file` when it is a regular file, else -1.
int64_t regular_file_size(std::FILE* file) {
#ifdef _WIN32
  struct _stat64 st;
  if (_fstat64(_fileno(file), &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG) return -1;
#else
  struct stat st;
  if (fstat(fileno(file), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
#endif
  return static_cast<int64_t>(st.st_size);
}

int64_t file_position(std::FILE* file) {
#ifdef _WIN32
  return _ftelli64(file);
#else
  return static_cast<int64_t>(ftello(file));
#endif
}

}  // namespace

LineReader::LineReader(std::FILE* file)
    : file_(file), owned_(std::make_unique<char[]>(kBufferSize)), data_(owned_.get()) {
  if (regular_file_size(file_) >= 0) start_offset_ = file_position(file_);
}

LineReader::LineReader(const char* data, std::size_t size) : data_(data), end_(size) {}

bool LineReader::refill() {
  if (file_ == nullptr || error_ || at_end_ || file_ended_) return false;
  std::size_t got = std::fread(owned_.get(), 1, kBufferSize, file_);
  pos_ = 0;
  end_ = got;
  file_read_ += static_cast<int64_t>(got);
  // A short read met the end of the file (or an error). Nothing is read
  // after it, whatever the C library would do: a log that its logging
  // program is still writing is split as it stood, and a record cut there
  // is reported instead of joined with whatever is appended later.
  if (got < kBufferSize) {
    file_ended_ = true;
    if (std::ferror(file_)) error_ = true;
  }
  return got != 0;
}

std::size_t LineReader::read_line(char* line, std::size_t size) {
  if (size < 2 || at_end_) {
    if (size > 0) line[0] = '\0';
    return 0;
  }
  const std::size_t want = size - 1;
  std::size_t copied = 0;
  while (copied < want) {
    if (pos_ == end_ && !refill()) break;
    const char* start = data_ + pos_;
    const std::size_t take = std::min(want - copied, end_ - pos_);
    std::size_t span = take;
    bool ended = false;
    if (const void* lf = std::memchr(start, '\n', take)) {
      span = static_cast<std::size_t>(static_cast<const char*>(lf) - start) + 1;
      ended = true;
    }
    // A CR before that LF ends the line by itself unless the LF follows it
    // at once (CR LF), so logs with classic Mac line ends read line by line.
    bool cr_last = false;
    if (const void* cr = std::memchr(start, '\r', ended ? span - 1 : span)) {
      const std::size_t after = static_cast<std::size_t>(static_cast<const char*>(cr) - start) + 1;
      if (after == span) {
        cr_last = true;  // the window's last byte: what follows is not read yet
      } else if (start[after] != '\n') {
        span = after;
        ended = true;
      }
    }
    std::memcpy(line + copied, start, span);
    copied += span;
    pos_ += span;
    if (ended) break;
    if (cr_last) {
      // At the size limit the line ends anyway; otherwise an LF right after
      // belongs to this line, and anything else (or nothing) starts the next.
      if (copied < want && (pos_ < end_ || refill()) && data_[pos_] == '\n') {
        line[copied++] = '\n';
        ++pos_;
      }
      break;
    }
  }
  line[copied] = '\0';
  return copied;
}

const char* LineReader::next_whole_line(std::size_t size, std::size_t& count) {
  if (size < 2 || at_end_) return nullptr;
  if (pos_ == end_ && !refill()) return nullptr;
  const char* start = data_ + pos_;
  const std::size_t held = end_ - pos_;
  const std::size_t at = scan::line_break(start, std::min(held, size - 1));
  // Any other case, a line that runs past the buffer among them, is
  // read_line's to handle.
  if (at == held || at == size - 1 || start[at] == '\0') return nullptr;
  std::size_t length = at + 1;
  if (start[at] == '\r') {
    if (length == held) return nullptr;  // what follows the CR is not read yet
    if (start[length] == '\n') {
      if (length == size - 1) return nullptr;
      ++length;
    }
  }
  pos_ += length;
  count = length;
  return start;
}

int LineReader::peek() {
  if (at_end_ || (pos_ == end_ && !refill())) return -1;
  return static_cast<unsigned char>(data_[pos_]);
}

int64_t LineReader::remaining() {
  const auto buffered = static_cast<int64_t>(end_ - pos_);
  if (at_end_) return 0;
  if (file_ == nullptr) return buffered;
  if (file_ended_) return buffered;
  if (start_offset_ < 0) return -1;
  const int64_t size = regular_file_size(file_);
  if (size < 0) return -1;
  return buffered + std::max<int64_t>(0, size - (start_offset_ + file_read_));
}

void LineReader::skip_rest() {
  pos_ = end_;
  at_end_ = true;
}

void LineReader::fail() {
  skip_rest();
  error_ = true;
}
