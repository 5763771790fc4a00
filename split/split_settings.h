#pragma once
// What varnel-split's options change in a split. The defaults are the split
// the window makes: the QTH from APP_N1MM_ROVERQTH, else APP_WRITELOG_MYCTY,
// one file "{LOG}_{QTH}.adi" per QTH, written, and no word on the records
// that name no QTH.
#include <cstdint>
#include <string>
#include <vector>

#include "split/name_template.h"

struct SplitSettings {
  // The fields a record's QTH is taken from, upper-cased: the first the
  // record has decides, even when empty.
  std::vector<std::string> fields{"APP_N1MM_ROVERQTH", "APP_WRITELOG_MYCTY"};
  NameTemplate name;
  // A QTH is a comma-separated list, one output per item: blanks around
  // items are trimmed and empty items dropped.
  bool each = false;
  // Read the log and say what would be written, opening, asking and writing
  // nothing: "Would write" lines stand for the "Wrote" ones.
  bool dry_run = false;
  // A line after the others says how many records named no QTH.
  bool report_left_out = false;
};

// Reads the comma-separated field names of `list` (blanks around each name
// trimmed, names upper-cased) into `fields`. False, leaving `fields` as it
// was, when a name is empty or cannot be an ADIF field name; `error` then
// says which.
bool parse_field_list(const char* list, std::vector<std::string>& fields, std::string& error);

// "Left out N QSOs without A, B or C" for `count` records that had none of
// `fields`.
std::string left_out_line(const std::vector<std::string>& fields, int64_t count);
