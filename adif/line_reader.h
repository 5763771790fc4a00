#pragma once
// Line-at-a-time reading of an input file as stored bytes, with a large buffer
// of its own so that a line costs one scan, and no copy when it lies whole
// in the buffer. Lines may be of any length: one longer than the caller's
// buffer comes in pieces. Text can be handed back, and bytes further on
// looked at without reading them, which is how the reader finds where a
// value ends before it takes the value's bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

class LineReader {
 public:
  // Reads from `file`, which stays the caller's to close.
  explicit LineReader(std::FILE* file);
  // Reads the `size` bytes at `data`, which must outlive the reader.
  LineReader(const char* data, std::size_t size);
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Copies the next line into `line`, then a NUL: the bytes up to and
  // including the first LF, or up to and including a CR that no LF follows
  // (the end of the input counts as not following), but at most size - 1 of
  // them; the rest of a longer line comes next. Returns the number of bytes
  // copied (NUL bytes from the file included); 0 at the end of the input or
  // after a read error.
  std::size_t read_line(char* line, std::size_t size);

  // The usual line without a copy: when the next line ends in LF, or in a CR
  // that a byte other than LF follows, within the buffered input and within
  // size - 1 bytes, and holds no NUL, returns where it starts in the buffer
  // and sets `count` to its length, line end included; the line then counts
  // as read. So does the next piece of a longer line, size - 1 bytes that
  // hold no line end and no NUL. Text handed back comes this way too, up to
  // its first line end or size - 1 bytes. Otherwise returns null and reads
  // nothing: read_line gives such a line. The bytes stay valid until the
  // next read.
  const char* next_whole_line(std::size_t size, std::size_t& count);

  // Hands back the last `count` bytes read, of which `bytes` is a copy (it
  // need not stay valid): the next reads return them again. Text handed back
  // holds no NUL and goes on with what follows it in the input, so it is
  // read, and looked at, as the input's own bytes.
  void unread(const char* bytes, std::size_t count);

  // Copies into `out` up to `count` bytes of the input that begin `offset`
  // bytes past what has been read, without reading them: fewer at the end of
  // the input. A regular file is read at that place and the reading goes on
  // where it was; any other input keeps what lies before it in memory until
  // it is read. False when looking failed (see failed()).
  bool look_ahead(uint64_t offset, std::size_t count, std::string& out);

  // The next byte of the input (0 to 255) without reading it, or -1 at the
  // end of the input or after a read error.
  int peek();

  // Bytes of input not yet returned by read_line, or -1 when the input's size
  // cannot be known (a pipe, a terminal). Asked afresh each time until a read
  // meets the end of the file, so a log that its logging program is still
  // writing counts as it stands now; after that, only what was read counts.
  int64_t remaining();

  // Ends the input here: read_line returns 0 from now on.
  void skip_rest();
  // Ends the input as a read error would: failed() becomes true.
  void fail();
  // Ends the input because memory ran out while reading it: failed() and
  // out_of_memory() become true.
  void fail_out_of_memory() {
    fail();
    out_of_memory_ = true;
  }

  // True when reading stopped on an error rather than at the end of the input.
  bool failed() const { return error_; }
  bool out_of_memory() const { return out_of_memory_; }

 private:
  bool refill();
  bool buffer_more(std::size_t wanted);
  bool read_at(int64_t at, std::size_t count, std::string& out);
  std::size_t back_left() const { return back_.size() - back_pos_; }
  std::size_t back_line(std::size_t size) const;

  std::FILE* file_ = nullptr;
  std::unique_ptr<char[]> owned_;
  std::size_t capacity_ = 0;
  const char* data_ = nullptr;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  int64_t start_offset_ = -1;  // where in the file reading began; -1 unknown
  int64_t file_read_ = 0;      // bytes fread has delivered so far
  bool at_end_ = false;
  bool file_ended_ = false;  // a read met the end of the file: no more reads
  bool error_ = false;
  bool out_of_memory_ = false;

  // Text handed back, read before the buffer.
  std::string back_;
  std::size_t back_pos_ = 0;
  // Of the bytes read from the buffer since text was last handed back, how
  // many there were, and how many of them still stand before pos_: those
  // can be handed back without a copy.
  std::size_t buffer_taken_ = 0;
  std::size_t buffer_held_ = 0;
};
