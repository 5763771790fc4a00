#pragma once
// A buffered output byte stream that remembers whether anything
// went wrong: a short write, the final flush or the close. It is neither
// copied nor moved (a buffer pointer into it would dangle); owners hold it
// by unique_ptr. A stream on a file may be suspended, its file let go and
// its buffer freed, and resumed later to append more.
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>

#include "adif/output_sink.h"

class OutputStream {
 public:
  // Takes ownership of `file`, open for writing, and buffers up to
  // `buffer_size` bytes before each write to it. A smaller buffer than
  // kBufferSize grows to it the first time it fills, when `growth_room`
  // (shared by the streams of one split) still holds the difference, which
  // it then gives up: a file that gets most of the records is written in
  // large pieces, however many files were opened before it.
  explicit OutputStream(std::unique_ptr<OutputSink> file, std::size_t buffer_size = kBufferSize,
                        std::size_t* growth_room = nullptr);
  // Appends everything written to `sink`, which must outlive the stream.
  explicit OutputStream(std::string& sink);
  ~OutputStream();
  OutputStream(const OutputStream&) = delete;
  OutputStream& operator=(const OutputStream&) = delete;

  void write(const char* bytes, std::size_t count) {
    if (count <= static_cast<std::size_t>(end_ - pos_)) {
      std::memcpy(pos_, bytes, count);
      pos_ += count;
    } else {
      write_slow(bytes, count);
    }
  }

  // Room for `count` bytes to be written straight into the buffer, or null
  // when they would not fit even in an empty one. commit() marks the end of
  // what was written there.
  char* reserve(std::size_t count) {
    if (count > static_cast<std::size_t>(end_ - pos_)) {
      if (count > static_cast<std::size_t>(end_ - buffer_.get())) return nullptr;
      make_room();
    }
    return pos_;
  }
  void commit(char* written_end) { pos_ = written_end; }

  // Writes out the buffer, lets the file go and frees the buffer: the file
  // then holds every byte written so far. Nothing may be written until
  // resume(). Does nothing on a closed or suspended stream.
  void suspend();
  // Takes the file up again after suspend(); false, leaving the stream
  // suspended, when it is no longer the same file (OutputSink::reopen). True
  // at once on a stream that is not suspended, and on a closed one (whose
  // writes go nowhere).
  bool resume();
  bool suspended() const { return suspended_; }

  // Flushes and closes the file. Returns true when every byte reached the file
  // and the close succeeded; false once anything failed. Idempotent.
  bool close();
  bool ok() const { return ok_; }

  static constexpr std::size_t kBufferSize = 32768;

 private:
  void write_slow(const char* bytes, std::size_t count);
  void flush();
  // Writes out a full buffer, and grows it when it may.
  void make_room();
  void allocate_buffer();

  std::unique_ptr<OutputSink> file_;
  std::string* sink_ = nullptr;
  std::unique_ptr<char[]> buffer_;
  std::size_t buffer_size_ = kBufferSize;
  std::size_t* growth_room_ = nullptr;
  char* pos_ = nullptr;
  char* end_ = nullptr;
  bool ok_ = true;
  bool closed_ = false;
  bool suspended_ = false;
};
