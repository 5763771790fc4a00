// Fuzz target over the ADIF reader: arbitrary bytes go through parse_ADIF in
// the split driver's loop, every record it builds is checked for the promises
// the reader makes (names upper-cased, values no longer than declared, a
// well-formed AA tree in which every name is found again), and is written back
// out. Any crash, sanitizer report or broken promise aborts.
//
// The input is the log itself, byte for byte, so any ADIF file is a seed. Its
// first byte also picks the run's variant, so the fuzzer reaches them all:
//   low nibble 0xF  a 16-byte line buffer, so short lines already need
//                   continuation reads (otherwise the driver's 1024 bytes);
//   bit 0x10 clear  keep reading after a truncated line instead of stopping
//                   as the driver does (the rest of that line comes next).
//
// Where the input holds no NUL byte and every tag closes on its own line, the
// line structure must not matter, however long the lines and however small
// the buffer: the records then equal those of a plain reading of the bytes
// as one stream, so no text after an EOR or EOH tag, nor anywhere else, is
// dropped. That reading settles value ends by the same rules as the reader
// (a declared length that ends where no value can end is read as running
// into a record tag, or as UTF-8 characters, or stands and is told; a value
// that holds <EOR> is told), from code of its own. Memory held for a record
// stays within a small multiple of the input's size.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "adif/output_stream.h"
#include "adif/reader.h"
#include "adif/record.h"
#include "adif/writer.h"

namespace {

constexpr char kTruncated[] = "ERROR: Truncated input line: ";

void fail(const char* what, const char* name) {
  std::fprintf(stderr, "fuzz_reader: %s (field \"%s\")\n", what, name);
  std::abort();
}

// Checks the AA-tree rules of the subtree at `t` and that every field in it
// carries a well-formed name and value. Returns the number of fields.
int check_tree(const AdifField* root, const AdifField* t) {
  if (t == nullptr) return 0;
  if (t->name == nullptr || t->value == nullptr) fail("null name or value", "?");
  for (const char* p = t->name; *p != '\0'; ++p)
    if (*p >= 'a' && *p <= 'z') fail("name not upper-cased", t->name);
  if (t->length < 0) fail("field stored with a negative length", t->name);
  // The reader cuts every value at its length and no working text holds a
  // NUL of its own, so a stored value is exactly its length in bytes.
  if (std::strlen(t->value) != static_cast<std::size_t>(t->length))
    fail("value not exactly its length", t->name);
  if (find_field(root, t->name) != t) fail("field not found by its own name", t->name);

  if (t->left == nullptr && t->right == nullptr && t->level != 0)
    fail("leaf above level 0", t->name);
  if (t->left != nullptr && t->left->level != t->level - 1) fail("left child level", t->name);
  if (t->right != nullptr && t->right->level != t->level && t->right->level != t->level - 1)
    fail("right child level", t->name);
  if (t->right != nullptr && t->right->right != nullptr && t->right->right->level >= t->level)
    fail("right grandchild level", t->name);
  if (t->level > 0 && (t->left == nullptr || t->right == nullptr))
    fail("inner node without two children", t->name);
  if (t->left != nullptr && std::strcmp(t->left->name, t->name) >= 0) fail("left order", t->name);
  if (t->right != nullptr && std::strcmp(t->right->name, t->name) <= 0)
    fail("right order", t->name);
  return 1 + check_tree(root, t->left) + check_tree(root, t->right);
}

std::size_t written_size(const AdifField* t) {
  if (t == nullptr) return 0;
  std::size_t size = written_size(t->left) + written_size(t->right);
  if (std::strncmp(t->name, "APP_", 4) != 0) {
    std::size_t value = std::strlen(t->value);
    size += std::strlen(t->name) + std::to_string(value).size() + value + 4;  // "<", ":", ">", " "
  }
  return size;
}

void check_shortcut(const QsoRecord& record, const AdifField* shortcut, const char* name) {
  if (shortcut != nullptr && std::strcmp(shortcut->name, name) != 0)
    fail("shortcut points at another field", name);
  if (shortcut == nullptr && find_field(record.fields, name) != nullptr)
    fail("field in the tree but its shortcut is null", name);
}

void check_record(const QsoRecord& record) {
  check_tree(record.fields, record.fields);
  check_shortcut(record, record.call, "CALL");
  check_shortcut(record, record.dxcc, "DXCC");
  check_shortcut(record, record.qso_date, "QSO_DATE");
  check_shortcut(record, record.time_on, "TIME_ON");
  check_shortcut(record, record.band, "BAND");
  check_shortcut(record, record.mode, "MODE");
}

void check_written(const QsoRecord& record) {
  // Written back, the record takes exactly the bytes of its non-"APP_"
  // fields, each as "<NAME:LEN>VALUE ".
  std::string out;
  std::string fast;
  {
    OutputStream stream(out);
    write_fields(stream, record.fields);
    if (!stream.close()) fail("string stream reported a failure", "");
    OutputStream word_stream(fast);
    write_record_fields(word_stream, record);
    if (!word_stream.close()) fail("string stream reported a failure", "");
  }
  if (!record.exact_texts) fail("a record the reader made is not marked as such", "");
  if (fast != out) fail("word-at-a-time writing differs", "");
  if (out.size() != written_size(record.fields)) fail("written record has the wrong size", "");
  if (!out.empty() && out[0] != '<') fail("written record does not start with a tag", "");
}

// The record's fields in tree order as "NAME=value|".
void dump(const AdifField* t, std::string& out) {
  if (t == nullptr) return;
  dump(t->left, out);
  out.append(t->name).append("=").append(t->value).append("|");
  dump(t->right, out);
}

std::string dump(const QsoRecord* record) {
  std::string out;
  if (record != nullptr) dump(record->fields, out);
  return out;
}

// The key-field shortcuts as "NAME=value|", in name order.
std::string dump_shortcuts(const QsoRecord* record) {
  std::string out;
  if (record == nullptr) return out;
  for (const AdifField* field :
       {record->band, record->call, record->dxcc, record->mode, record->qso_date, record->time_on})
    if (field != nullptr) out.append(field->name).append("=").append(field->value).append("|");
  return out;
}

// The value-end rules, written apart from the reader's: a byte a declared
// length may end before, one well-formed UTF-8 character (decoded, then held
// to the code point ranges), and a well-formed tag.
bool may_end_value(char c) { return c == '<' || c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::size_t model_character(const char* d, std::size_t at, std::size_t n) {
  const auto lead = static_cast<unsigned char>(d[at]);
  if (lead < 0x80) return 1;
  std::size_t size;
  uint32_t code;
  if ((lead & 0xE0) == 0xC0) {
    size = 2;
    code = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    size = 3;
    code = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    size = 4;
    code = lead & 0x07;
  } else {
    return 0;
  }
  if (at + size > n) return 0;
  for (std::size_t i = 1; i < size; ++i) {
    const auto next = static_cast<unsigned char>(d[at + i]);
    if ((next & 0xC0) != 0x80) return 0;
    code = code << 6 | (next & 0x3F);
  }
  static const uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kLeast[size] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return 0;
  return size;
}

// How far around a declared end the reader looks, and its longest record tag.
constexpr std::size_t kReach = 256;

// Whether d[at] ('<') begins a record tag: <EOR> or <EOH> in any case, or a
// tag with a length, NAME of letters, digits and '_', at most kReach bytes.
// Sets `last` to how far past `at` a declared end may lie inside it.
bool model_record_tag(const char* d, std::size_t at, std::size_t n, uint64_t& last) {
  const std::size_t limit = std::min(n, at + kReach);
  auto count = [&](std::size_t& i, bool (*wanted)(char)) {
    const std::size_t from = i;
    while (i < limit && wanted(d[i])) ++i;
    return i - from;
  };
  auto name_byte = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
  };
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  auto letter = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; };
  std::size_t i = at + 1;
  const std::size_t name = count(i, name_byte);
  if (name == 0 || i == limit) return false;
  if (d[i] == '>') {
    std::string upper(d + at + 1, name);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    last = i - at;
    return upper == "EOR" || upper == "EOH";
  }
  if (d[i++] != ':') return false;
  const std::size_t digits_at = i;
  if (count(i, digit) == 0 || i == limit) return false;
  uint64_t length = 0;
  for (std::size_t k = digits_at; k < i; ++k)
    length = std::min<uint64_t>(length * 10 + static_cast<uint64_t>(d[k] - '0'), INT32_MAX);
  if (d[i] != '>' && (d[i++] != ':' || count(i, letter) == 0 || i == limit || d[i] != '>'))
    return false;
  last = i - at + length;
  return true;
}

bool model_holds_eor(const std::string& value) {
  for (std::size_t i = 0; i + 5 <= value.size(); ++i) {
    std::string five = value.substr(i, 5);
    for (char& c : five) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (five == "<EOR>") return true;
  }
  return false;
}

// Where the value at `pos`, declared `length` bytes long, ends; `broken` is
// set when the declared length has to stand although no value can end there.
std::size_t model_value_end(const char* d, std::size_t pos, int64_t length, std::size_t n,
                            bool& broken) {
  broken = false;
  const std::size_t declared = pos + static_cast<std::size_t>(length);
  if (declared == n || may_end_value(d[declared])) return declared;
  uint64_t last;
  std::size_t first = declared;
  for (std::size_t q = pos; q < declared && first == declared; ++q)
    if (d[q] == '<' && model_record_tag(d, q, n, last)) first = q;
  if (first < declared) {
    // Run into a tag: the last record tag before the declared end decides.
    const std::size_t low = declared - pos > kReach ? declared - kReach : pos;
    for (std::size_t q = declared; q-- > low;) {
      if (d[q] != '<' || !model_record_tag(d, q, n, last)) continue;
      if (declared - q > last) break;
      while (first > pos && std::strchr(" \t\r\n", d[first - 1]) != nullptr) --first;
      return first;
    }
    broken = true;
    return declared;
  }
  // Counted in UTF-8 characters, continuing the same stretch of text.
  std::size_t end = pos;
  bool whole = true;
  for (int64_t k = 0; k < length && whole; ++k) {
    const std::size_t size = end < n ? model_character(d, end, n) : 0;
    whole = size > 0;
    end += size;
  }
  if (whole && (end == n || may_end_value(d[end]))) {
    bool plain = true;
    for (std::size_t q = declared; q < end; ++q)
      plain = plain && d[q] != '<' && d[q] != '\r' && d[q] != '\n';
    if (plain) return end;
  }
  broken = true;
  return declared;
}

// The same bytes read as one stream of tags, without lines: what the reader
// must produce for a clean input. Each end tag yields the record before it;
// `rest` is the unfinished record at the end. False when the input is not
// clean, and no comparison can be made.
struct StreamReading {
  struct End {
    AdifStatus status;
    std::string record;  // as dump() shows it
    std::string latest;  // "NAME=value|" of the latest field of each key name
    std::string error;   // the latest problem's message: a duplicate or a broken value end
  };
  std::vector<End> ends;
  std::string rest;
  std::string cut;  // the tag of a value cut off by the end of the input

  bool read(const char* d, std::size_t n) {
    if (std::memchr(d, '\0', n) != nullptr) return false;
    std::map<std::string, std::string> fields;
    std::map<std::string, std::string> latest;
    std::string error;
    std::size_t pos = 0;
    for (;;) {
      const char* open = static_cast<const char*>(std::memchr(d + pos, '<', n - pos));
      if (open == nullptr) break;
      std::size_t i = static_cast<std::size_t>(open - d) + 1;
      std::string name;
      for (; i < n && d[i] != ':' && d[i] != '>'; ++i) {
        if (d[i] == '\r' || d[i] == '\n') return false;
        name += d[i] >= 'a' && d[i] <= 'z' ? static_cast<char>(d[i] - 'a' + 'A') : d[i];
      }
      if (i == n) break;  // an unfinished tag at the very end is ignored
      int64_t length = -1;
      if (d[i] == ':') {
        std::size_t j = i + 1;
        while (j < n && std::strchr(" \t\v\f", d[j]) != nullptr && d[j] != '\0') ++j;
        bool negative = false;
        if (j < n && (d[j] == '+' || d[j] == '-')) negative = d[j++] == '-';
        length = 0;
        for (; j < n && d[j] >= '0' && d[j] <= '9'; ++j)
          length = std::min<int64_t>(length * 10 + (d[j] - '0'), INT32_MAX);
        if (negative) length = -length;
        for (; i < n && d[i] != '>'; ++i)
          if (d[i] == '\r' || d[i] == '\n') return false;
        if (i == n) break;
      }
      pos = i + 1;
      if (length < 0) {
        if (name == "EOH" || name == "EOR") {
          End end{name == "EOH" ? ADIF_END_OF_HEADER : ADIF_END_OF_RECORD, "", "", error};
          for (const auto& field : fields) end.record += field.first + "=" + field.second + "|";
          for (const auto& field : latest) end.latest += field.first + "=" + field.second + "|";
          ends.push_back(end);
          fields.clear();
          latest.clear();
        }
        continue;
      }
      if (static_cast<uint64_t>(length) > n - pos) {
        cut = "<" + name + ":" + std::to_string(length) + ">";
        break;
      }
      bool broken;
      const std::size_t end = model_value_end(d, pos, length, n, broken);
      if (broken)
        error = "Value does not end where its length says: <" + name + ":" +
                std::to_string(length) + ">";
      std::string value(d + pos, end - pos);
      if (model_holds_eor(value))
        error = "Value holds an <EOR> tag: <" + name + ":" + std::to_string(length) + ">";
      if (!fields.emplace(name, value).second)
        error = "Duplicate field: <" + name + ":" + std::to_string(length) + ">" + value;
      for (const char* key : {"CALL", "DXCC", "QSO_DATE", "TIME_ON", "BAND", "MODE"})
        if (name == key) latest[name] = value;
      pos = end;
    }
    for (const auto& field : fields) rest += field.first + "=" + field.second + "|";
    return true;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const unsigned char variant = size > 0 ? data[0] : 0;
  const std::size_t line_size = (variant & 0x0F) == 0x0F ? 16 : 1024;
  const bool stop_at_truncated = (variant & 0x10) != 0;

  const char* bytes = reinterpret_cast<const char*>(data);
  AdifReader reader(bytes, size);
  std::vector<char> line(line_size, '\0');
  std::unique_ptr<QsoRecord> record;
  std::string error_text;
  StreamReading expected;
  const bool clean = expected.read(bytes, size);
  std::size_t ends = 0;

  // Every call consumes at least one byte or ends the input; the bound only
  // guards against a reader that stops making progress.
  for (std::size_t calls = 0; calls <= size + 1; ++calls) {
    AdifStatus status = parse_ADIF(reader, record, line.data(), line.size(), error_text);
    if (record != nullptr) {
      if (record->storage.allocated() > 16 * size + 65536) fail("record holds too much memory", "");
      check_record(*record);
      // Writing costs a buffer per stream, so only records the reader is done with are written.
      if (status != ADIF_LINE_DONE) check_written(*record);
    }
    switch (status) {
      case ADIF_LINE_DONE:
        break;
      case ADIF_END_OF_HEADER:
      case ADIF_END_OF_RECORD:
        if (clean) {
          if (ends >= expected.ends.size() || expected.ends[ends].status != status ||
              expected.ends[ends].record != dump(record.get()))
            fail("record differs from the stream reading", "");
          if (expected.ends[ends].latest != dump_shortcuts(record.get()))
            fail("shortcuts differ from the stream reading", "");
          if (expected.ends[ends].error != error_text)
            fail("problem message differs from the stream reading", "");
        }
        ++ends;
        record.reset();
        break;
      case ADIF_END_OF_FILE:
        if (clean) {
          if (ends != expected.ends.size()) fail("end tags dropped", "");
          if (expected.cut.empty()
                  ? error_text.rfind(kInputEndedInValue, 0) == 0
                  : error_text != "ERROR: Input ended inside the value of " + expected.cut)
            fail("value cut off by the end of the input misreported", "");
          if (expected.cut.empty() && dump(record.get()) != expected.rest)
            fail("unfinished last record differs from the stream reading", "");
        }
        return 0;
      case ADIF_TRUNCATED_LINE:
        if (clean) fail("clean input reported as truncated", "");
        if (error_text.compare(0, sizeof kTruncated - 1, kTruncated) != 0)
          fail("truncated line without its message", "");
        if (stop_at_truncated) return 0;
        break;
      default:
        fail("status out of range", "");
    }
  }
  fail("reader did not reach the end of the input", "");
  return 0;
}
