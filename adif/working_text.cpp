#include "adif/working_text.h"

#include <algorithm>
#include <cstring>

#include "adif/padding.h"

namespace {

bool ends_line(char c) { return c == '\n' || c == '\r'; }

}  // namespace

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

char* WorkingText::start(const char* piece, std::size_t length) {
  char* text = storage_.copy(piece, length);
  end_ = text + length;
  open_ = length > 0 && !ends_line(piece[length - 1]);
  return text;
}

char* WorkingText::extend(char* keep, std::size_t want, bool within_line) {
  const auto kept = static_cast<std::size_t>(end_ - keep);
  const char* piece;
  std::size_t length;
  const Got first = next_piece(piece, length);
  if (first != Got::kPiece) {
    if (first == Got::kEnd) open_ = false;
    return nullptr;
  }
  // Pieces are shorter than size_, and reading stops once `want` bytes are
  // there, so what is read fits.
  want = std::max(want, kept + length);
  char* text = static_cast<char*>(storage_.allocate(want + size_ + 1 + scan::kPadding));
  std::memcpy(text, keep, kept);
  std::size_t filled = kept;
  for (;;) {
    std::memcpy(text + filled, piece, length);
    filled += length;
    open_ = !ends_line(piece[length - 1]);
    if (filled >= want || (within_line && !open_)) break;
    const Got got = next_piece(piece, length);
    if (got == Got::kTruncated) return nullptr;
    if (got == Got::kEnd) {
      open_ = false;
      break;
    }
  }
  std::memset(text + filled, 0, 1 + scan::kPadding);
  end_ = text + filled;
  return text;
}
