#pragma once
// Reading an ADIF log record by record.
//
// The reader's fast paths each stand beside a plain one that says what it
// means, and the plain one is authoritative. A test holds each pair equal:
//   - the tag-name, line-end, expected-name and tag-start scans
//     (adif/scan.h), in their SSE2 and word-at-a-time variants, and the
//     dictionary's word-at-a-time name comparisons (adif/words.h), against
//     their byte loops over every byte value and position (scan_test);
//   - the short paths for a tag length of one to nine digits against the
//     general reading (adif/tag_length.h), over every byte value at every
//     place of a length (scan_test);
//   - LineReader::next_whole_line, which hands out a line straight from the
//     read buffer, against read_line, which copies it: both give the same
//     lines (line_reader_test);
//   - the tree builder, which sorts a record's fields through a dictionary
//     of names, against adding them one by one with add_field: the same
//     fields in order, shortcuts and message (record_test);
//   - write_record_fields, which copies reader-made texts in blocks, against
//     write_fields (writer_test, and the fuzz target on every record it
//     reads); its name scans against their byte loops (scan_test).
#include <cstddef>
#include <cstdio>
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
inline constexpr char kInputEndedInValue[] = "ERROR: Input ended inside the value of <";

// How the error text begins when a value's declared length ends it where no
// value can end and its real end cannot be made out; the field's tag follows
// as "<NAME:LEN>". The value keeps its declared length.
inline constexpr char kValueEndBroken[] = "Value does not end where its length says: <";

// How the error text begins when a value, as read, holds the text <EOR>: its
// length swallowed whole records. The field's tag follows as "<NAME:LEN>";
// the value is kept as read.
inline constexpr char kValueHoldsEor[] = "Value holds an <EOR> tag: <";

class TreeBuilder;

// What reading one log needs from call to call: its lines (which take back
// the text after an end tag, for the next call to read first), the builder
// of its records' field trees (which learns the log's names), and a released
// record kept for reuse.
class AdifReader {
 public:
  // Reads from `file`, which stays the caller's to close.
  explicit AdifReader(std::FILE* file);
  // Reads the `size` bytes at `data`, which must outlive the reader.
  AdifReader(const char* data, std::size_t size);
  ~AdifReader();
  AdifReader(const AdifReader&) = delete;
  AdifReader& operator=(const AdifReader&) = delete;

  // A record the caller is done with: the reader empties it and keeps it for
  // a later record, which saves an allocation per record. `record` becomes
  // null. Any other way of freeing a record is fine too.
  void release(std::unique_ptr<QsoRecord>& record) {
    if (!record) return;
    record->clear();
    spare_ = std::move(record);
  }

  // True when reading stopped on a read error rather than at the end of the input.
  bool failed() const { return lines_.failed(); }
  // True when that error was running out of memory (a corrupt length on a
  // log whose size cannot be known).
  bool out_of_memory() const { return lines_.out_of_memory(); }

 private:
  friend AdifStatus parse_ADIF(AdifReader& reader, std::unique_ptr<QsoRecord>& record, char* line,
                               std::size_t size, std::string& error_text);

  // An empty record: the one released last, or a new one.
  std::unique_ptr<QsoRecord> new_record() {
    return spare_ ? std::move(spare_) : std::make_unique<QsoRecord>();
  }

  LineReader lines_;
  std::unique_ptr<TreeBuilder> trees_;
  std::unique_ptr<QsoRecord> spare_;
};

// Reads one line, or the next size - 1 bytes of a longer one (with whatever
// more a value or a tag needs), through `line`, a caller-owned buffer of
// `size` bytes, and adds the fields it holds to `record`, creating the
// record when its first field is stored. The record owns copies of
// everything its fields point into; `line` is scratch only. Problems (a NUL
// byte, a duplicate field, a broken value end, a value holding <EOR>, a
// value cut off by the end of the input) replace `error_text`. Text after an
// EOH or EOR tag waits in `reader` for the next call.
AdifStatus parse_ADIF(AdifReader& reader, std::unique_ptr<QsoRecord>& record, char* line,
                      std::size_t size, std::string& error_text);
