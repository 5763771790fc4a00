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

// Reads one line (with any continuation lines a value needs) into `line`, a
// caller-owned buffer of `size` bytes, and adds the fields it holds to
// `record`, creating the record when its first field is stored. The record
// owns copies of everything its fields point into; `line` is scratch only.
// Problems (a truncated line, a duplicate field) replace `error_text`.
AdifStatus parse_ADIF(LineReader& stream, std::unique_ptr<QsoRecord>& record, char* line,
                      std::size_t size, std::string& error_text);
