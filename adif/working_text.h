#pragma once
// The text one reader call works in: a copy, in the record's storage, of the
// input's next piece (a line, or the next size - 1 bytes of a longer one),
// made longer with the pieces after it when a value or a tag needs them. A
// text is followed by a NUL and scan::kPadding zero bytes and holds no NUL
// of its own; its end is where the input has been read to.
#include <cstddef>
#include <cstdint>
#include <string>

#include "adif/line_reader.h"
#include "adif/text_arena.h"

class WorkingText {
 public:
  enum class Got { kPiece, kEnd, kTruncated };

  // Reads `lines` through `line`, the caller's buffer of `size` bytes, and
  // copies into `storage`; a piece holding a NUL sets `error_text`.
  WorkingText(LineReader& lines, TextArena& storage, char* line, std::size_t size,
              std::string& error_text)
      : lines_(lines), storage_(storage), line_(line), size_(size), error_text_(error_text) {}

  // The next piece of input, not copied yet: in the reader's buffer or in
  // `line`, valid until the next read. kEnd at the end of the input (or after
  // a read error); kTruncated when the piece holds a NUL, which no text may:
  // the error text then says so.
  Got next_piece(const char*& piece, std::size_t& length);

  // Makes the text a copy of `length` bytes at `piece` and returns its start.
  char* start(const char* piece, std::size_t length) {
    char* text = storage_.copy(piece, length);
    end_ = text + length;
    open_ = length > 0 && !ends_line(piece[length - 1]);
    return text;
  }

  // A new text of the text from `keep` to its end followed by the next
  // pieces, until it holds `want` bytes from `keep` (or, `within_line`, a
  // line end comes first). Returns where `keep`'s bytes now start, or null when nothing could
  // be read: at the end of the input, after which the text counts as ending
  // its line, or at a piece that holds a NUL.
  char* extend(char* keep, std::size_t want, bool within_line);

  char* end() const { return end_; }
  // Whether the text's line may go on after it: its last piece ended in
  // neither a line end nor the end of the input known so far.
  bool open() const { return open_; }
  // Whether reading stopped at a piece that holds a NUL.
  bool truncated() const { return truncated_; }
  // Whether more input may follow the text.
  bool more_may_follow() { return open_ || lines_.peek() >= 0; }
  // How much to ask of extend() to read on from a text that holds `held`
  // bytes from where it keeps: twice that, so that a long stretch costs
  // linear time, and never less than a few dozen bytes more.
  static std::size_t grown(std::size_t held) { return held + (held > 64 ? held : 64); }
  LineReader& lines() { return lines_; }

 private:
  static bool ends_line(char c) { return c == '\n' || c == '\r'; }

  LineReader& lines_;
  TextArena& storage_;
  char* line_;
  std::size_t size_;
  std::string& error_text_;
  char* end_ = nullptr;
  bool open_ = false;
  bool truncated_ = false;
};
