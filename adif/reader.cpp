/*
 * ADIF reader: one input line per call.
 *
 * Tags it accepts (names are upper-cased a-z only, then compared exactly):
 *   <NAME>               no length: EOH and EOR end the header or record,
 *                        any other such tag is ignored
 *   <NAME:LEN>           a field whose value is the next LEN bytes, whatever
 *   <NAME:LEN:TYPE>      they hold ('<', '>', CR and LF included); the type
 *                        indicator is skipped. LEN is read like atoi (blanks
 *                        and one sign, then digits) and a negative LEN makes
 *                        the tag one without a length.
 * Everything outside tags and values is skipped.  A sample line:
 *   <CALL:6>N0CALL <BAND:3>20M <call_sign:4:S>W1AW <EOR>
 *
 * A line ends after an LF, or after a CR that no LF follows, and may be of
 * any length: one longer than size - 1 bytes comes in pieces of that size,
 * and a tag or value that a piece leaves unfinished is completed from the
 * next. A value longer than the rest of its line is completed from the next
 * lines in the same call. A NUL byte stands in no text: a piece holding one
 * is reported as a truncated line and not read. Text after an EOH or EOR tag
 * goes back to the input and is read first by the next call, so records
 * sharing a line are all read, each in the memory of its own text.
 *
 * Recovery: a tag that its line ends before it closes is ignored, and so
 * is one still open 64 KiB after its '<'. A value cut short by the end of
 * the input is dropped and reported; a value's declared end is looked at
 * before any of its bytes are gathered, so a corrupt length never pulls the
 * rest of the log into memory. A declared length followed by a byte no
 * value can end before (not '<', a blank or a line end) is read as its
 * writer meant it: up to the tag it runs into, or as UTF-8 characters
 * (adif/value_end.h); failing both it stands, and is reported. So is a
 * value that, as read, holds an <EOR> tag: its length swallowed whole
 * records.
 */
#include "adif/reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "adif/scan.h"
#include "adif/tag_length.h"
#include "adif/tree_builder.h"
#include "adif/value_end.h"
#include "adif/value_text.h"

namespace {

// The longest unfinished tag the reader holds while it reads on for its end.
constexpr std::size_t kLongestTag = 1 << 16;

void set_tag_message(const char* opening, const char* name, int32_t length,
                     std::string& error_text) {
  error_text.assign(opening);
  append_tag(error_text, name, length);
}

// What one call of parse_ADIF works with.
struct Call {
  TreeBuilder& trees;
  std::unique_ptr<QsoRecord>& record;
  std::string& error_text;
  // The working text must belong to the record its fields go into, but the
  // record may only appear once a field is stored: until then the text
  // lives in a spare record that becomes the caller's with the first field.
  std::unique_ptr<QsoRecord> spare;
  WorkingText text;
  // The tag of a value cut off by the end of the input, if any.
  const char* cut_name = nullptr;
  int32_t cut_length = 0;

  QsoRecord& home() { return record ? *record : *spare; }
};

// One tag as read_tag finds it.
struct Tag {
  char* name;  // upper-cased and cut in place
  std::size_t name_length;
  int32_t id;        // the name's dictionary number, or -1 when not known yet
  int32_t length;    // -1 for a tag without a length; the value's bytes once settled
  char* value;       // the byte after the tag's '>'
  int32_t declared;  // the length as the tag declares it
};

// The piece of input the call starts with, and whether the call goes on to
// read it: not at the end of the input, nor for a piece that holds a NUL
// (truncated), nor for one without '<', which holds no tag.
bool take_text(WorkingText& text, const char*& piece, std::size_t& length, AdifStatus& status) {
  status = ADIF_LINE_DONE;
  switch (text.next_piece(piece, length)) {
    case WorkingText::Got::kEnd:
      status = ADIF_END_OF_FILE;
      return false;
    case WorkingText::Got::kTruncated:
      status = ADIF_TRUNCATED_LINE;
      return false;
    case WorkingText::Got::kPiece:
      break;
  }
  return std::memchr(piece, '<', length) != nullptr;
}

// Where the next '<' at or after `scan` stands, or null.
char* next_tag(char* scan, const char* end) {
  // Fields usually stand at most one blank apart: look at the next two bytes
  // before paying for a memchr call. (The text is followed by zero bytes, so
  // both bytes can be read.)
  if (*scan == '<') return scan;
  if (scan[1] == '<') return scan + 1;
  return static_cast<char*>(std::memchr(scan, '<', static_cast<std::size_t>(end - scan)));
}

// Reads the tag whose '<' is at `open`: its name, upper-cased and cut in
// place, and its length. False for a tag that the end of the text leaves
// unfinished.
bool read_tag(TreeBuilder& trees, char* open, const char* end, Tag& tag) {
  char* name = open + 1;
  char* stop;
  // Most tags hold the name the tree builder expects; any other is scanned.
  int32_t id = trees.expected();
  if (id >= 0 && trees.names_tag(id, name)) {
    stop = name + trees.name_length(id);
  } else {
    id = -1;
    stop = scan::tag_name(name);
    if (*stop == '\0') return false;
  }
  int32_t length = -1;
  char* value = stop + 1;
  if (*stop == ':') {
    value = read_length(stop, end, length);
    if (value == nullptr) return false;
  }
  *stop = '\0';
  tag = {name, static_cast<std::size_t>(stop - name), id, length, value, length};
  return true;
}

// Whether a tag without a length ends the call (EOH or EOR), and with which status.
bool is_end_tag(const Tag& tag, AdifStatus& status) {
  // (The name holds no NUL, so its length and bytes decide, as strcmp would.)
  if (tag.name_length != 3) return false;
  if (std::memcmp(tag.name, "EOH", 3) == 0) {
    status = ADIF_END_OF_HEADER;
    return true;
  }
  if (std::memcmp(tag.name, "EOR", 3) == 0) {
    status = ADIF_END_OF_RECORD;
    return true;
  }
  return false;
}

// Another record may follow an end tag on the same line: the rest of the
// text goes back to the input, for the next call to read. Text without a
// tag would only make that call return ADIF_LINE_DONE, so it is dropped.
void keep_rest(Call& call, const char* rest) {
  const auto count = static_cast<std::size_t>(call.text.end() - rest);
  if (std::memchr(rest, '<', count) != nullptr) call.text.lines().unread(rest, count);
}

// Tells the user of a problem with the value of the field `name` declared
// `declared` bytes long. Kept a call of its own: inlined, these rare paths
// would cost the reader's loop registers on every field.
[[gnu::noinline]] void tell_value_problem(Call& call, const char* opening, const char* name,
                                          int32_t declared) {
  set_tag_message(opening, name, declared, call.error_text);
  call.trees.told_of_problem();
}

// Settles a value that needs more than the byte after its declared length,
// for the field `name` declared `declared` bytes long. Anything but a
// settled value ends the call; the reader's status for it is `status`.
[[gnu::noinline]] SettledValue settle(Call& call, const char* name, char* value, int32_t declared,
                                      AdifStatus& status) {
  const SettledValue settled = settle_value(call.text, value, declared);
  switch (settled.outcome) {
    case SettledValue::kSettled:
      if (settled.broken) tell_value_problem(call, kValueEndBroken, name, declared);
      break;
    case SettledValue::kCut:
      call.cut_name = name;
      call.cut_length = declared;
      status = ADIF_END_OF_FILE;
      break;
    case SettledValue::kTruncated:
      status = ADIF_TRUNCATED_LINE;
      break;
    case SettledValue::kFailed:
      status = ADIF_END_OF_FILE;
      break;
  }
  return settled;
}

void store_field(Call& call, const Tag& tag) {
  if (!call.record) call.record = std::move(call.spare);
  call.trees.add(*call.record, tag.name, tag.name_length, tag.id, tag.value, tag.length,
                 tag.declared, call.error_text);
}

// Reads the tags of the working text from `scan` and stores their fields,
// until an EOH or EOR tag or the end of the text.
AdifStatus read_fields(Call& call, char* scan) {
  char* end = call.text.end();  // moves only when the text is made longer
  char* pending = nullptr;      // the last value stored, still to be cut at its length
  int32_t pending_length = 0;
  for (char* open; (open = next_tag(scan, end)) != nullptr;) {
    // Cut only now: the byte just past a value may be the '<' found above.
    if (pending != nullptr) {
      pending[pending_length] = '\0';
      pending = nullptr;
    }
    Tag tag;
    if (!read_tag(call.trees, open, end, tag)) {
      // A tag unfinished where its line ends is ignored; where only the
      // piece ends, the line goes on, and the tag with it. So does every
      // '<' after it: their names would run on as far. A tag longer than
      // any log writes is damage, and is not held in memory to its end.
      if (!call.text.open()) break;
      if (static_cast<std::size_t>(end - open) >= kLongestTag) break;
      const auto held = static_cast<std::size_t>(end - open);
      scan = call.text.extend(open, std::min(WorkingText::grown(held), kLongestTag), true);
      if (scan == nullptr) {
        if (call.text.truncated()) return ADIF_TRUNCATED_LINE;
        break;
      }
      *scan = '<';  // the old text keeps the NUL that ends the value before it
      end = call.text.end();
      continue;
    }
    if (tag.length < 0) {
      AdifStatus ended;
      if (!is_end_tag(tag, ended)) {
        scan = tag.value;  // any other tag without a length is skipped
        continue;
      }
      keep_rest(call, tag.value);
      return ended;
    }
    if (__builtin_expect(
            static_cast<std::size_t>(end - tag.value) <= static_cast<std::size_t>(tag.length) ||
                !value_end::ends_value(tag.value[tag.length]),
            0)) {
      AdifStatus ended;
      const SettledValue settled = settle(call, tag.name, tag.value, tag.declared, ended);
      if (settled.outcome != SettledValue::kSettled) return ended;
      tag.value = settled.value;
      tag.length = settled.length;
      end = call.text.end();
    }
    // "<EOR>" takes five bytes: shorter values, many of them, need no look.
    if (__builtin_expect(tag.length >= 5 &&
                             scan::holds_tag_start(tag.value, static_cast<std::size_t>(tag.length)),
                         0) &&
        value_end::holds_end_of_record(tag.value, static_cast<std::size_t>(tag.length)))
      tell_value_problem(call, kValueHoldsEor, tag.name, tag.declared);
    store_field(call, tag);
    pending = tag.value;
    pending_length = tag.length;
    scan = tag.value + tag.length;
  }
  if (pending != nullptr) pending[pending_length] = '\0';
  return ADIF_LINE_DONE;
}

// The one place where a call's fields become its record's tree. A value cut
// off by the end of the input is the last thing a call meets, so it is told
// of after any duplicate the tree holds.
void finish_record(Call& call) {
  if (call.record) call.trees.finish(*call.record, call.error_text);
  if (call.cut_name != nullptr)
    set_tag_message(kInputEndedInValue, call.cut_name, call.cut_length, call.error_text);
}

}  // namespace

AdifReader::AdifReader(std::FILE* file) : lines_(file), trees_(std::make_unique<TreeBuilder>()) {}

AdifReader::AdifReader(const char* data, std::size_t size)
    : lines_(data, size), trees_(std::make_unique<TreeBuilder>()) {}

AdifReader::~AdifReader() = default;

AdifStatus parse_ADIF(AdifReader& reader, std::unique_ptr<QsoRecord>& record, char* line,
                      std::size_t size, std::string& error_text) {
  std::unique_ptr<QsoRecord> spare = record ? nullptr : reader.new_record();
  QsoRecord& home = record ? *record : *spare;
  Call call{*reader.trees_, record, error_text, std::move(spare),
            WorkingText(reader.lines_, home.storage, line, size, error_text)};
  const char* piece;
  std::size_t length;
  AdifStatus status;
  if (take_text(call.text, piece, length, status)) {
    if (call.spare)
      call.spare->exact_texts = true;  // every text below is an arena copy, every value cut
    status = read_fields(call, call.text.start(piece, length));
    // A line truncated on the way is the latest problem: a duplicate read
    // before it must not replace its message.
    if (status == ADIF_TRUNCATED_LINE) call.trees.told_of_problem();
    finish_record(call);
  }
  if (call.spare) reader.release(call.spare);  // no field was stored: keep it for later
  return status;
}
