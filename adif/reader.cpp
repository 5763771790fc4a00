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
 * A value longer than the rest of its line is completed from the next lines
 * in the same call. A line read at the start of a call must end in CR or LF
 * within size - 1 bytes and hold no NUL byte; otherwise it is reported as
 * truncated and not interpreted. The last line of the input may lack a line
 * end. A tag that never closes within the text ends the line quietly, and a
 * value cut short by the end of the input is dropped.
 */
#include "adif/reader.h"

#include <cstdint>
#include <cstring>

namespace {
// How the name scan treats each byte: 0 part of the name, 1 ends it (':',
// '>', or the NUL that ends the text), 2 a lower-case letter to fold.
struct NameBytes {
  unsigned char kind[256];
  constexpr NameBytes() : kind() {
    kind[0] = kind[':'] = kind['>'] = 1;
    for (int c = 'a'; c <= 'z'; ++c) kind[c] = 2;
  }
};
constexpr NameBytes kNameBytes;

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Like atoi, but a number too large for 32 bits saturates instead of being
// undefined, so a corrupt length just runs to the end of the input.
int32_t parse_length(const char* p, char** stop) {
  while (is_blank(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  int64_t value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > INT32_MAX) value = int64_t{INT32_MAX} + 1;
  }
  *stop = const_cast<char*>(p);
  if (negative) return static_cast<int32_t>(-value);
  return static_cast<int32_t>(value > INT32_MAX ? INT32_MAX : value);
}

bool line_is_whole(const char* line, std::size_t text_length, std::size_t count,
                   std::size_t size) {
  if (std::memchr(line, '\n', text_length) != nullptr) return true;
  if (std::memchr(line, '\r', text_length) != nullptr) return true;
  // No line end: still whole if the input simply ended before the buffer
  // filled, and no NUL byte cut the text short.
  return text_length == count && count < size - 1;
}

}  // namespace

AdifStatus parse_ADIF(LineReader& stream, std::unique_ptr<QsoRecord>& record, char* line,
                      std::size_t size, std::string& error_text) {
  std::size_t count = stream.read_line(line, size);
  if (count == 0) return ADIF_END_OF_FILE;
  std::size_t text_length = std::strlen(line);
  if (!line_is_whole(line, text_length, count, size)) {
    error_text.assign("ERROR: Truncated input line: ");
    error_text.append(line, text_length);
    return ADIF_TRUNCATED_LINE;
  }
  if (std::memchr(line, '<', text_length) == nullptr) return ADIF_LINE_DONE;

  // The working text must belong to the record its fields go into, but the
  // record may only appear once a field is stored: until then the text lives
  // in a spare record that becomes the caller's with the first field.
  std::unique_ptr<QsoRecord> spare;
  if (!record) spare = std::make_unique<QsoRecord>();
  QsoRecord& home = record ? *record : *spare;

  char* text = home.storage.copy(line, text_length);
  char* end = text + text_length;
  char* scan = text;
  char* pending = nullptr;  // the last value stored, still to be cut at its length
  int32_t pending_length = 0;

  for (;;) {
    // Fields usually stand at most one blank apart: look at the next two
    // bytes before paying for a memchr call.
    char* open;
    if (scan < end && *scan == '<') {
      open = scan;
    } else if (end - scan > 1 && scan[1] == '<') {
      open = scan + 1;
    } else {
      open = static_cast<char*>(std::memchr(scan, '<', static_cast<std::size_t>(end - scan)));
    }
    if (open == nullptr) break;
    *open = '\0';
    // Cut only now: the byte just past a value may be the '<' found above.
    if (pending != nullptr) {
      pending[pending_length] = '\0';
      pending = nullptr;
    }

    char* name = open + 1;
    char* p = name;
    for (unsigned char kind; (kind = kNameBytes.kind[static_cast<unsigned char>(*p)]) != 1; ++p) {
      if (kind == 2) *p = static_cast<char>(*p - 'a' + 'A');
    }
    if (*p == '\0') break;  // unfinished tag: nothing more on this line

    int32_t length = -1;
    char* value;
    if (*p == '>') {
      *p = '\0';
      value = p + 1;
    } else {
      *p = '\0';
      char* digits_end;
      length = parse_length(p + 1, &digits_end);
      char* close = *digits_end == '>' ? digits_end
                                       : static_cast<char*>(std::memchr(
                                             p + 1, '>', static_cast<std::size_t>(end - p - 1)));
      if (close == nullptr) break;
      *close = '\0';
      value = close + 1;
    }

    if (length < 0) {
      if (std::strcmp(name, "EOH") == 0) return ADIF_END_OF_HEADER;
      if (std::strcmp(name, "EOR") == 0) return ADIF_END_OF_RECORD;
      scan = value;
      continue;
    }

    auto wanted = static_cast<std::size_t>(length);
    if (static_cast<std::size_t>(end - value) < wanted) {
      // Gather the continuation lines in one growing buffer, so that a huge
      // declared length costs time linear in the bytes read.
      std::string joined(value, static_cast<std::size_t>(end - value));
      while (joined.size() < wanted) {
        if (stream.read_line(line, size) == 0) return ADIF_END_OF_FILE;
        joined.append(line, std::strlen(line));
      }
      value = home.storage.copy(joined.data(), joined.size());
      end = value + joined.size();
    }

    if (!record) record = std::move(spare);
    add_field(*record, name, value, length, error_text);
    pending = value;
    pending_length = length;
    scan = value + length;
  }

  if (pending != nullptr) pending[pending_length] = '\0';
  return ADIF_LINE_DONE;
}
