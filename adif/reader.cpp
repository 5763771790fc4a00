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
 * A line ends after an LF, after a CR that no LF follows, or when the
 * buffer is full. A value longer than the rest of its line is completed from
 * the next lines in the same call. A line read at the start of a call must
 * end in CR or LF within size - 1 bytes and hold no NUL byte; otherwise it is
 * reported as truncated and not interpreted. The last line of the input may
 * lack a line end. Text after an EOH or EOR tag is kept with the stream and
 * read first by the next call, so records sharing a line are all read.
 *
 * Recovery: a tag that never closes within the text ends the line quietly. A
 * value cut short by the end of the input is dropped and reported; when the
 * input is a file whose size is known, such a value is recognised before its
 * rest is gathered, so a corrupt length never pulls the file into memory.
 */
#include "adif/reader.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "adif/words.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
// Upper-cases (a-z only) the tag name that starts at `p`, in place, up to the
// first ':' or '>' or the NUL that ends the working text; returns where it
// stopped and sets `stop` to the byte found there. Names are the bytes the
// reader looks at most, so they are read many bytes at a time: a working
// text is followed by enough zero bytes for that (TextArena::copy).
// Most names are upper case already, and nothing is written back for them.
#if defined(__SSE2__)
// Thirty-two bytes a round: nearly every name ends within one.
char* scan_name(char* p, char& stop) {
  const __m128i colon = _mm_set1_epi8(':');
  const __m128i close = _mm_set1_epi8('>');
  const __m128i zero = _mm_setzero_si128();
  // a-z moved to the bottom of the signed range, where one compare finds them.
  const __m128i to_bottom = _mm_set1_epi8(static_cast<char>(-128 - 'a'));
  const __m128i past_z = _mm_set1_epi8(static_cast<char>(-128 + 26));
  auto marks = [&](__m128i bytes, unsigned& lowers) {
    const __m128i ends =
        _mm_or_si128(_mm_cmpeq_epi8(bytes, zero),
                     _mm_or_si128(_mm_cmpeq_epi8(bytes, colon), _mm_cmpeq_epi8(bytes, close)));
    lowers = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmplt_epi8(_mm_add_epi8(bytes, to_bottom), past_z)));
    return static_cast<unsigned>(_mm_movemask_epi8(ends));
  };
  for (;;) {
    unsigned low_lowers, high_lowers;
    const unsigned low = marks(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), low_lowers);
    const unsigned high =
        marks(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)), high_lowers);
    const uint32_t stops = low | (high << 16);
    uint32_t lowers = low_lowers | (high_lowers << 16);
    const unsigned at = stops != 0 ? static_cast<unsigned>(__builtin_ctz(stops)) : 32;
    // Only the bytes before the stop are the name's.
    lowers &= at == 32 ? ~uint32_t{0} : (uint32_t{1} << at) - 1;
    for (; lowers != 0; lowers &= lowers - 1) {
      char& letter = p[__builtin_ctz(lowers)];
      letter = static_cast<char>(letter - 0x20);
    }
    if (stops != 0) {
      stop = p[at];  // never just written: the stop is not a letter
      return p + at;
    }
    p += 32;
  }
}
#else
char* scan_name(char* p, char& stop) {
  for (;;) {
    const uint64_t word = words::load(p);
    const uint64_t stops =
        words::zero_bytes(word) | words::bytes_equal(word, ':') | words::bytes_equal(word, '>');
    uint64_t lower = words::lower_case_bytes(word);
    if (stops != 0) {
      const unsigned at = words::first_set_byte(stops);
      lower &= words::first_bytes(at);
      if (lower != 0) words::store(p, word - (lower >> 2));
      stop = p[at];
      return p + at;
    }
    if (lower != 0) words::store(p, word - (lower >> 2));
    p += 8;
  }
}
#endif

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Like atoi, but a number too large for 32 bits saturates instead of being
// undefined, so a corrupt length just runs to the end of the input. Sets
// *stop to the first byte after the number.
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

// The tag part after the colon, "LEN>" or "LEN:TYPE>", from `colon` + 1:
// sets `length` and returns where the value starts, or null when no '>'
// closes the tag before `end`.
char* read_length(char* colon, char* end, int32_t& length) {
  // Nearly every tag is a few digits and '>'.
  char* q = colon + 1;
  auto digit = static_cast<unsigned>(static_cast<unsigned char>(*q) - '0');
  if (digit < 10) {
    uint32_t value = digit;
    digit = static_cast<unsigned>(static_cast<unsigned char>(*++q) - '0');
    for (int n = 1; digit < 10 && n < 9; ++n) {
      value = value * 10 + digit;
      digit = static_cast<unsigned>(static_cast<unsigned char>(*++q) - '0');
    }
    if (*q == '>') {
      length = static_cast<int32_t>(value);
      return q + 1;
    }
  }
  char* digits_end;
  length = parse_length(colon + 1, &digits_end);
  char* close = *digits_end == '>'
                    ? digits_end
                    : static_cast<char*>(
                          std::memchr(colon + 1, '>', static_cast<std::size_t>(end - colon - 1)));
  if (close == nullptr) return nullptr;
  return close + 1;
}

bool line_is_whole(const char* line, std::size_t text_length, std::size_t count, std::size_t size) {
  // The usual line: no NUL, and the line end is its last byte.
  if (text_length == count && (line[count - 1] == '\n' || line[count - 1] == '\r')) return true;
  if (std::memchr(line, '\n', text_length) != nullptr) return true;
  if (std::memchr(line, '\r', text_length) != nullptr) return true;
  // No line end: still whole if the input simply ended before the buffer
  // filled, and no NUL byte cut the text short.
  return text_length == count && count < size - 1;
}

void set_cut_value_message(const char* name, int32_t length, std::string& error_text) {
  error_text.assign(ADIF_INPUT_ENDED_IN_VALUE);
  error_text.append(name);
  error_text.push_back(':');
  error_text.append(std::to_string(length));
  error_text.push_back('>');
}

// Completes a value that runs past its working text from the lines that
// follow, into a new working text in `home` that starts at the value: on
// success `value` and `end` point there. False when the input ends first (or
// reading failed); the value is then dropped and the input is at its end.
bool gather_value(LineReader& stream, QsoRecord& home, char* line, std::size_t size, char*& value,
                  char*& end, std::size_t wanted) {
  const auto have = static_cast<std::size_t>(end - value);
  // A length that runs past the end of a file of known size can never be
  // met: gathering the rest of the file would only cost its size in memory.
  const int64_t left = stream.remaining();
  if (left >= 0 && static_cast<uint64_t>(left) < wanted - have) {
    stream.skip_rest();
    return false;
  }
  try {
    // One growing buffer, so that a long value costs time linear in the bytes read.
    std::string joined(value, have);
    while (joined.size() < wanted) {
      if (stream.read_line(line, size) == 0) return false;
      joined.append(line, std::strlen(line));
    }
    value = home.storage.copy(joined.data(), joined.size());
    end = value + joined.size();
    return true;
  } catch (const std::bad_alloc&) {
    // Where the input's size is unknown a corrupt length may ask for more
    // than there is memory: that ends the input like a read error.
    stream.fail();
    return false;
  }
}

}  // namespace

AdifStatus parse_ADIF(LineReader& stream, std::unique_ptr<QsoRecord>& record, char* line,
                      std::size_t size, std::string& error_text) {
  // Text left after the EOH or EOR tag that ended the previous call is part
  // of a line already accepted: it is read first, with no truncation test.
  const char* source = line;
  std::size_t text_length;
  std::string carried;
  if (!stream.carried.empty()) {
    carried.swap(stream.carried);
    source = carried.data();
    text_length = carried.size();
  } else if (const char* whole = stream.next_whole_line(size, text_length)) {
    // The usual line, taken straight from the reader's buffer: whole, no NUL.
    source = whole;
    if (std::memchr(whole, '<', text_length) == nullptr) return ADIF_LINE_DONE;
  } else {
    std::size_t count = stream.read_line(line, size);
    if (count == 0) return ADIF_END_OF_FILE;
    text_length = std::strlen(line);
    if (!line_is_whole(line, text_length, count, size)) {
      error_text.assign("ERROR: Truncated input line: ");
      error_text.append(line, text_length);
      return ADIF_TRUNCATED_LINE;
    }
    if (std::memchr(line, '<', text_length) == nullptr) return ADIF_LINE_DONE;
  }

  // The working text must belong to the record its fields go into, but the
  // record may only appear once a field is stored: until then the text lives
  // in a spare record that becomes the caller's with the first field.
  std::unique_ptr<QsoRecord> spare;
  if (!record) {
    spare = stream.new_record();
    spare->exact_texts = true;  // every text below is an arena copy, every value cut at its length
  }
  QsoRecord& home = record ? *record : *spare;

  char* text = home.storage.copy(source, text_length);
  char* end = text + text_length;
  char* scan = text;
  char* pending = nullptr;  // the last value stored, still to be cut at its length
  int32_t pending_length = 0;

  for (;;) {
    // Fields usually stand at most one blank apart: look at the next two
    // bytes before paying for a memchr call.
    char* open;
    // (The text is followed by zero bytes, so both bytes can be read.)
    if (*scan == '<') {
      open = scan;
    } else if (scan[1] == '<') {
      open = scan + 1;
    } else {
      open = static_cast<char*>(std::memchr(scan, '<', static_cast<std::size_t>(end - scan)));
    }
    if (open == nullptr) break;
    // Cut only now: the byte just past a value may be the '<' found above.
    if (pending != nullptr) {
      pending[pending_length] = '\0';
      pending = nullptr;
    }

    char* name = open + 1;
    char stop;
    char* p;
    // Most tags hold the name the tree builder expects; any other is scanned.
    int32_t id = stream.trees.expected();
    if (id >= 0 && stream.trees.names_tag(id, name)) {
      p = name + stream.trees.name_length(id);
      stop = *p;
    } else {
      id = -1;
      p = scan_name(name, stop);
      if (stop == '\0') break;  // unfinished tag: nothing more on this line
    }
    const auto name_length = static_cast<std::size_t>(p - name);

    int32_t length = -1;
    char* value;
    *p = '\0';
    if (stop == '>') {
      value = p + 1;
    } else {
      value = read_length(p, end, length);
      if (value == nullptr) break;
    }

    if (length < 0) {
      AdifStatus ended;
      // (The name holds no NUL, so its length and bytes decide, as strcmp would.)
      if (name_length == 3 && std::memcmp(name, "EOH", 3) == 0) {
        ended = ADIF_END_OF_HEADER;
      } else if (name_length == 3 && std::memcmp(name, "EOR", 3) == 0) {
        ended = ADIF_END_OF_RECORD;
      } else {
        scan = value;
        continue;
      }
      // Another record may follow on the same line. Text without a tag
      // would only make the next call return ADIF_LINE_DONE, so it is not kept.
      auto rest = static_cast<std::size_t>(end - value);
      if (std::memchr(value, '<', rest) != nullptr) stream.carried.assign(value, rest);
      if (record) stream.trees.finish(*record, error_text);
      return ended;
    }

    auto wanted = static_cast<std::size_t>(length);
    if (static_cast<std::size_t>(end - value) < wanted) {
      if (!gather_value(stream, home, line, size, value, end, wanted)) {
        if (record) stream.trees.finish(*record, error_text);
        if (!stream.failed()) set_cut_value_message(name, length, error_text);
        return ADIF_END_OF_FILE;
      }
    }

    if (!record) record = std::move(spare);
    stream.trees.add(*record, name, name_length, id, value, length, error_text);
    pending = value;
    pending_length = length;
    scan = value + length;
  }

  if (pending != nullptr) pending[pending_length] = '\0';
  if (record) stream.trees.finish(*record, error_text);
  return ADIF_LINE_DONE;
}
