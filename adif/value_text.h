#pragma once
// A value's text when it is more than the bytes after its tag in the working
// text: a value that runs past the text is completed from the lines that
// follow, and a value whose declared end is broken (adif/value_end.h) may
// need the next line to settle where it ends. Both are rare, so they live
// apart from the reader's loop.
#include <cstddef>
#include <cstdint>

#include "adif/line_reader.h"
#include "adif/record.h"

// Where more of a value's text comes from: the input's lines, read through
// the caller's line buffer of `size` bytes, and copied into `home`, the
// record that will own them.
struct MoreLines {
  LineReader& lines;
  QsoRecord& home;
  char* line;
  std::size_t size;
};

// A working text that starts at a value, from `start` to `end`; a null start
// when it could not be made.
struct ValueText {
  char* start;
  char* end;
};

// Completes the value at `value`, whose working text ends at `end`, into a
// new working text that starts at the value and holds at least `wanted`
// bytes. A null text when the input ends first (or reading fails); the value
// is then dropped and the input is at its end. Running out of memory ends the
// input as a read error (LineReader::out_of_memory).
ValueText gather_value(MoreLines more, const char* value, const char* end, int32_t wanted);

// Where the value at `text.start`, declared `declared` bytes long, ends when
// the byte after those bytes is not one a value may end before: its length
// in bytes, or -1 when neither rule fits and the declared length stands. A
// value that ends with its text is followed by the next line's first byte;
// when that byte does not settle it either, the next line joins the text, as
// a value that continues takes it, so the rules can read on, and `text`
// becomes the new text.
int32_t settle_value_end(MoreLines more, int32_t declared, ValueText& text);
