#pragma once
// Line-at-a-time reading of an input file as stored bytes, with a large buffer
// of its own so that a line costs one memchr and one memcpy.
#include <cstddef>
#include <cstdio>
#include <memory>

class LineReader {
 public:
  // Reads from `file`, which stays the caller's to close.
  explicit LineReader(std::FILE* file);
  // Reads the `size` bytes at `data`, which must outlive the reader.
  LineReader(const char* data, std::size_t size);
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Copies the next line into `line`: the bytes up to and including the first
  // LF, but at most size - 1 of them, then a NUL. Returns the number of bytes
  // copied (NUL bytes from the file included); 0 at the end of the input or
  // after a read error.
  std::size_t read_line(char* line, std::size_t size);

  // True when reading stopped on an error rather than at the end of the input.
  bool failed() const { return error_; }

 private:
  bool refill();

  std::FILE* file_ = nullptr;
  std::unique_ptr<char[]> owned_;
  const char* data_ = nullptr;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool error_ = false;
};
