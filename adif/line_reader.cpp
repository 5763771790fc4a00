#include "adif/line_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <new>

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

bool seek_to(std::FILE* file, int64_t at) {
#ifdef _WIN32
  return _fseeki64(file, at, SEEK_SET) == 0;
#else
  return fseeko(file, static_cast<off_t>(at), SEEK_SET) == 0;
#endif
}

// Where the line at `p` ends among its `count` bytes, as read_line ends it:
// after the first LF, or after a CR that no LF follows; `count` when neither
// stands there. A CR as the last byte counts as ending the line.
std::size_t line_length(const char* p, std::size_t count) {
  const std::size_t at = scan::line_break(p, count);
  if (at == count) return count;
  if (p[at] == '\r' && at + 1 < count && p[at + 1] == '\n') return at + 2;
  return at + 1;
}

}  // namespace

LineReader::LineReader(std::FILE* file)
    : file_(file),
      // Left uninitialised: every byte is read into before it is looked at.
      owned_(new char[kBufferSize]),
      capacity_(kBufferSize),
      data_(owned_.get()) {
  if (regular_file_size(file_) >= 0) start_offset_ = file_position(file_);
}

LineReader::LineReader(const char* data, std::size_t size) : data_(data), end_(size) {}

bool LineReader::refill() {
  if (file_ == nullptr || error_ || at_end_ || file_ended_) return false;
  std::size_t got = std::fread(owned_.get(), 1, kBufferSize, file_);
  pos_ = 0;
  end_ = got;
  buffer_held_ = 0;
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

// Reads on until `wanted` bytes stand in the buffer from pos_, or the input
// ends, growing the buffer as needed. The bytes that could still be handed
// back are kept.
bool LineReader::buffer_more(std::size_t wanted) {
  if (end_ - pos_ >= wanted) return true;
  if (file_ == nullptr || error_ || at_end_ || file_ended_) return !error_;
  const std::size_t keep = pos_ - buffer_held_;
  const std::size_t needed = buffer_held_ + wanted;
  try {
    if (needed > capacity_) {
      const std::size_t grown = std::max(needed, 2 * capacity_);
      std::unique_ptr<char[]> bigger(new char[grown]);
      std::memcpy(bigger.get(), owned_.get() + keep, end_ - keep);
      owned_ = std::move(bigger);
      capacity_ = grown;
    } else {
      std::memmove(owned_.get(), owned_.get() + keep, end_ - keep);
    }
  } catch (const std::bad_alloc&) {
    fail_out_of_memory();
    return false;
  }
  data_ = owned_.get();
  pos_ -= keep;
  end_ -= keep;
  while (end_ - pos_ < wanted) {
    const std::size_t asked = capacity_ - end_;
    const std::size_t got = std::fread(owned_.get() + end_, 1, asked, file_);
    end_ += got;
    file_read_ += static_cast<int64_t>(got);
    if (got < asked) {
      file_ended_ = true;
      if (std::ferror(file_)) error_ = true;
      break;
    }
  }
  return !error_;
}

std::size_t LineReader::back_line(std::size_t size) const {
  return line_length(back_.data() + back_pos_, std::min(back_left(), size - 1));
}

std::size_t LineReader::read_line(char* line, std::size_t size) {
  if (size < 2 || at_end_) {
    if (size > 0) line[0] = '\0';
    return 0;
  }
  if (back_left() > 0) {
    const std::size_t length = back_line(size);
    std::memcpy(line, back_.data() + back_pos_, length);
    line[length] = '\0';
    back_pos_ += length;
    return length;
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
    buffer_taken_ += span;
    buffer_held_ += span;
    if (ended) break;
    if (cr_last) {
      // At the size limit the line ends anyway; otherwise an LF right after
      // belongs to this line, and anything else (or nothing) starts the next.
      if (copied < want && (pos_ < end_ || refill()) && data_[pos_] == '\n') {
        line[copied++] = '\n';
        ++pos_;
        ++buffer_taken_;
        ++buffer_held_;
      }
      break;
    }
  }
  line[copied] = '\0';
  return copied;
}

const char* LineReader::next_whole_line(std::size_t size, std::size_t& count) {
  if (size < 2 || at_end_) return nullptr;
  if (back_left() > 0) {
    // Handed-back text holds no NUL, and its end is where the reading that
    // handed it back stopped: a line end, or the place to go on from.
    const char* start = back_.data() + back_pos_;
    count = back_line(size);
    back_pos_ += count;
    return start;
  }
  if (pos_ == end_ && !refill()) return nullptr;
  const char* start = data_ + pos_;
  const std::size_t held = end_ - pos_;
  const std::size_t at = scan::line_break(start, std::min(held, size - 1));
  if (at == size - 1) {
    // A piece of a longer line: size - 1 bytes, none of them a line end or NUL.
    pos_ += at;
    buffer_taken_ += at;
    buffer_held_ += at;
    count = at;
    return start;
  }
  // Any other case, a line that runs past the buffer among them, is
  // read_line's to handle.
  if (at == held || start[at] == '\0') return nullptr;
  std::size_t length = at + 1;
  if (start[at] == '\r') {
    if (length == held) return nullptr;  // what follows the CR is not read yet
    if (start[length] == '\n') {
      if (length == size - 1) return nullptr;
      ++length;
    }
  }
  pos_ += length;
  buffer_taken_ += length;
  buffer_held_ += length;
  count = length;
  return start;
}

void LineReader::unread(const char* bytes, std::size_t count) {
  if (count == 0) return;
  if (count <= buffer_held_) {
    // Still in the buffer, where they were read from.
    pos_ -= count;
    buffer_held_ -= count;
    buffer_taken_ -= count;
  } else if (buffer_taken_ == 0 && count <= back_pos_) {
    back_pos_ -= count;  // all of them came from text handed back before
  } else {
    // Gone from the buffer: keep a copy, ahead of anything handed back
    // earlier and not read again yet.
    back_.replace(0, back_pos_, bytes, count);
    back_pos_ = 0;
    buffer_taken_ = 0;
    buffer_held_ = 0;
  }
  at_end_ = false;
}

bool LineReader::read_at(int64_t at, std::size_t count, std::string& out) {
  const int64_t here = start_offset_ + file_read_;
  if (!seek_to(file_, at)) return false;
  const std::size_t had = out.size();
  out.resize(had + count);
  const std::size_t got = std::fread(&out[had], 1, count, file_);
  out.resize(had + got);
  const bool read_ok = !std::ferror(file_);
  // Back to where the buffer's next fill reads from (which also clears the
  // end-of-file mark a short read set).
  if (!seek_to(file_, here) || !read_ok) {
    fail();
    return false;
  }
  return true;
}

bool LineReader::look_ahead(uint64_t offset, std::size_t count, std::string& out) {
  out.clear();
  if (at_end_ || count == 0) return !error_;
  // Handed-back text first, then the buffer, then the file.
  const std::size_t back = back_left();
  if (offset < back) {
    const std::size_t n = static_cast<std::size_t>(std::min<uint64_t>(count, back - offset));
    out.append(back_.data() + back_pos_ + offset, n);
    count -= n;
    offset = 0;
  } else {
    offset -= back;
  }
  if (count == 0) return true;
  const uint64_t buffered = end_ - pos_;
  const bool far = offset >= buffered && offset - buffered + count > kBufferSize;
  if (offset + count > buffered && !file_ended_ && file_ != nullptr) {
    // A regular file far ahead is read in place, so that a value's length,
    // however long it says the value is, costs no memory. Anything nearer,
    // or any input that cannot be read at a place, is read on into memory.
    if (far && start_offset_ >= 0) {
      const auto at = static_cast<int64_t>(offset - buffered);
      if (read_at(start_offset_ + file_read_ + at, count, out)) return true;
      if (error_) return false;
    }
    if (!buffer_more(static_cast<std::size_t>(offset + count))) return false;
  }
  const uint64_t held = end_ - pos_;
  if (offset < held) {
    const std::size_t n = static_cast<std::size_t>(std::min<uint64_t>(count, held - offset));
    out.append(data_ + pos_ + offset, n);
  }
  return true;
}

int LineReader::peek() {
  if (at_end_) return -1;
  if (back_left() > 0) return static_cast<unsigned char>(back_[back_pos_]);
  if (pos_ == end_ && !refill()) return -1;
  return static_cast<unsigned char>(data_[pos_]);
}

int64_t LineReader::remaining() {
  const auto buffered = static_cast<int64_t>(end_ - pos_ + back_left());
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
  back_.clear();
  back_pos_ = 0;
  buffer_taken_ = 0;
  buffer_held_ = 0;
  at_end_ = true;
}

void LineReader::fail() {
  skip_rest();
  error_ = true;
}
