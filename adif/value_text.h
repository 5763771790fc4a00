#pragma once
// Where a value ends, and its bytes, when that takes more than the byte after
// its declared length in the working text: a value that runs past the text,
// or one whose declared end is broken (adif/value_end.h). Both are rare, so
// they live apart from the reader's loop.
#include <cstdint>

#include "adif/working_text.h"

struct SettledValue {
  enum Outcome {
    kSettled,    // `value` and `length` hold the value, now whole in the text
    kCut,        // the input ends before the declared end: the rest is skipped
    kTruncated,  // a piece read for it holds a NUL (the error text says so)
    kFailed,     // reading failed, or memory ran out (the reader tells which)
  };
  Outcome outcome;
  char* value;
  int32_t length;
  bool broken;  // neither rule fits: the declared length stands, and is reported
};

// Settles the value at `value`, declared `declared` bytes long, in `text`.
// Only the value's own bytes are read; anything else the rules look at
// beyond the text is looked at without reading it, however far the declared
// end lies, and stays to be read after the value.
SettledValue settle_value(WorkingText& text, char* value, int32_t declared);
