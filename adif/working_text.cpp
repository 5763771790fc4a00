#include "adif/working_text.h"

#include <cstring>

WorkingText::Got WorkingText::next_piece(const char*& piece, std::size_t& length) {
  // The usual line lies whole in the reader's buffer, without a NUL.
  if ((piece = lines_.next_whole_line(size_, length)) != nullptr) return Got::kPiece;
  const std::size_t count = lines_.read_line(line_, size_);
  if (count == 0) return Got::kEnd;
  length = std::strlen(line_);
  piece = line_;
  if (length == count) return Got::kPiece;
  // A NUL stands where no text may hold one: the line is cut there, and
  // reported instead of read.
  error_text_.assign("ERROR: Truncated input line: ");
  error_text_.append(line_, length);
  truncated_ = true;
  return Got::kTruncated;
}

char* WorkingText::extend(char* keep, std::size_t want, bool within_line) {
  const char* piece;
  std::size_t length;
  Got got = next_piece(piece, length);
  if (got != Got::kPiece) {
    if (got == Got::kEnd) open_ = false;
    return nullptr;
  }
  // Joined apart, then copied at its size: a record that gathers many
  // values over many calls holds no more than their bytes.
  std::string joined(keep, static_cast<std::size_t>(end_ - keep));
  for (;;) {
    joined.append(piece, length);
    open_ = !ends_line(piece[length - 1]);
    if (joined.size() >= want || (within_line && !open_)) break;
    got = next_piece(piece, length);
    if (got == Got::kTruncated) return nullptr;
    if (got == Got::kEnd) {
      open_ = false;
      break;
    }
  }
  char* text = storage_.copy(joined.data(), joined.size());
  end_ = text + joined.size();
  return text;
}
