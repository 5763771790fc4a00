#pragma once
#include <cstddef>
#include <memory>
#include <string>

#include "adif/line_reader.h"
#include "adif/record.h"

enum AdifStatus : int {
  ADIF_LINE_DONE = 0,
  ADIF_END_OF_HEADER = 1,
  ADIF_END_OF_RECORD = 2,
  ADIF_END_OF_FILE = 3,
  ADIF_TRUNCATED_LINE = 4,
};

// How the error text begins when the input ended inside a value; the field's
// tag follows as "<NAME:LEN>".
inline constexpr char ADIF_INPUT_ENDED_IN_VALUE[] = "ERROR: Input ended inside the value of <";

// Reads one line (with any continuation lines a value needs) into `line`, a
// caller-owned buffer of `size` bytes, and adds the fields it holds to
// `record`, creating the record when its first field is stored. The record
// owns copies of everything its fields point into; `line` is scratch only.
// Problems (a truncated line, a duplicate field, a value cut off by the end
// of the input) replace `error_text`. Text after an EOH or EOR tag waits in
// `stream` for the next call.
AdifStatus parse_ADIF(LineReader& stream, std::unique_ptr<QsoRecord>& record, char* line,
                      std::size_t size, std::string& error_text);
