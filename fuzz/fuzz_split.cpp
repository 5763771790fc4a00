// Fuzz target over a whole split: arbitrary input is split into a private
// temporary folder with a Host whose answers come from the input and
// settings drawn from it, the output files are closed and the status lines
// built, as the command-line tool does. Any crash or sanitizer report
// aborts, and so does a broken promise: a file outside its name template's
// pattern ("<input name>_<QTH>.adi" by default) or not named in valid UTF-8,
// a changed input, an output file that is not a header line plus whole
// records, a question with the wrong caption, buttons or icon, a file count
// that does not match what the closing pass reports, or a dry run that asks
// or writes anything.
//
// Input layout: three control bytes, then the log, byte for byte.
//   byte 0, bit 0   read the input through a FILE* (else from memory);
//   byte 0, bit 1   the Host reports every output file as existing, so each
//                   new QTH raises the overwrite question;
//   byte 0, bit 2   a QTH is a list, one output per item (--each);
//   byte 0, bit 3   a dry run (--dry-run);
//   byte 0, bits 4-5  the fields a QTH comes from (--by, kFieldLists);
//   byte 0, bits 6-7  the output names (--name, kTemplates);
//   bytes 1 and 2   the first eight answers, two bits each (Yes, No, Ok,
//                   Cancel); answers not valid for the box asked count as
//                   Cancel there. Later questions get the default button.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "adif/reader.h"
#include "platform/file_host.h"
#include "split/split_reader.h"
#include "split/split_settings.h"
#include "split/status.h"

namespace {

constexpr std::size_t kControlBytes = 3;
constexpr char kInputName[] = "in.adi";

// The --by lists drawn; the first is the default.
const char* const kFieldLists[4] = {"APP_N1MM_ROVERQTH,APP_WRITELOG_MYCTY", "my_gridsquare",
                                    "MY_POTA_REF,APP_N1MM_ROVERQTH", "CALL,QSO_DATE"};

// The --name templates drawn, each with what every name it gives starts and
// ends with. None can name the input, which a split from memory could not
// tell from another file.
struct Template {
  const char* text;
  const char* starts;
  const char* ends;
};
const Template kTemplates[4] = {{"{LOG}_{QTH}.adi", "in_", ".adi"},
                                {"q{QTH}.adi", "q", ".adi"},
                                {"{LOG}-{CALL}@{QTH}-{QSO_DATE}.adi", "in-", ".adi"},
                                {"{QTH}{my_gridsquare}x", "", "x"}};

void fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "fuzz_split: %s: %s\n", what, detail.c_str());
  std::abort();
}

bool starts_with(const std::string& text, const char* prefix) {
  return text.compare(0, std::strlen(prefix), prefix) == 0;
}

bool ends_with(const std::string& text, const char* suffix) {
  std::size_t n = std::strlen(suffix);
  return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

class ScriptedHost : public platform::FileHost {
 public:
  // `input`: the log's stream when it is read through a file, else null.
  ScriptedHost(unsigned script, bool all_exist, bool dry_run, std::FILE* input)
      : FileHost(input), script_(script), all_exist_(all_exist), dry_run_(dry_run) {}

  Answer ask(const char* text, const char* caption, Buttons buttons, Icon icon) override {
    if (dry_run_) fail("a dry run asked", text);
    // Texts go through a 128-byte buffer.
    if (std::strlen(text) > 127) fail("question text longer than 127 bytes", text);
    if (buttons == Buttons::kYesNoCancel) {
      if (std::strcmp(caption, "Warning") != 0 || icon != Icon::kQuestion ||
          !starts_with(text, "Are you sure you want to overwrite "))
        fail("malformed overwrite question", text);
    } else {
      if (std::strcmp(caption, "Error") != 0 || icon != Icon::kError ||
          !starts_with(text, "Could not open output file "))
        fail("malformed open-failure box", text);
    }
    if (asked_++ >= 8) return buttons == Buttons::kYesNoCancel ? Answer::kYes : Answer::kOk;
    static constexpr Answer kAnswers[4] = {Answer::kYes, Answer::kNo, Answer::kOk, Answer::kCancel};
    Answer answer = kAnswers[script_ & 3];
    script_ >>= 2;
    return answer;
  }

  bool output_exists(const char* path) override {
    return all_exist_ || FileHost::output_exists(path);
  }
  std::unique_ptr<OutputSink> open_output(const char* path) override {
    if (dry_run_) fail("a dry run opened", path);
    return FileHost::open_output(path);
  }

 private:
  unsigned script_;
  bool all_exist_;
  bool dry_run_;
  int asked_ = 0;
};

// The folder every run splits into, made once per process and removed at exit.
struct Scratch {
  std::string folder;
  std::string input;

  Scratch() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/varnel-fuzz-split.XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr) fail("mkdtemp failed", pattern);
    folder = buffer.data();
    input = folder + "/" + kInputName;
  }
  ~Scratch() {
    remove_outputs();
    unlink(input.c_str());
    rmdir(folder.c_str());
  }

  // Names of everything in the folder except the input.
  std::vector<std::string> outputs() const {
    std::vector<std::string> names;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir) fail("cannot list", folder);
    while (const dirent* entry = readdir(dir.get())) {
      std::string name = entry->d_name;
      if (name != "." && name != ".." && name != kInputName) names.push_back(name);
    }
    return names;
  }

  void remove_outputs() const {
    for (const std::string& name : outputs()) unlink((folder + "/" + name).c_str());
  }
};

std::string read_file(const std::string& path) {
  std::string bytes;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!file) fail("cannot read back", path);
  char chunk[4096];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) bytes.append(chunk, got);
  return bytes;
}

void write_input(const std::string& path, const uint8_t* data, std::size_t size) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
  if (!file || std::fwrite(data, 1, size, file.get()) != size) fail("cannot write", path);
}

// Whether `name` is valid UTF-8, decoded code point by code point: each the
// shortest form of a scalar value (no surrogate, nothing past U+10FFFF).
bool valid_utf8(const std::string& name) {
  for (std::size_t i = 0; i < name.size();) {
    const unsigned char lead = static_cast<unsigned char>(name[i]);
    const std::size_t length = lead < 0x80       ? 1
                               : lead >> 5 == 6  ? 2
                               : lead >> 4 == 14 ? 3
                               : lead >> 3 == 30 ? 4
                                                 : 0;
    if (length == 0 || i + length > name.size()) return false;
    uint32_t value = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      const unsigned char next = static_cast<unsigned char>(name[i + k]);
      if (next >> 6 != 2) return false;
      value = value << 6 | (next & 0x3F);
    }
    static constexpr uint32_t kShortest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kShortest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
      return false;
    i += length;
  }
  return true;
}

// Every file the split left must be an output file beside the input: a
// regular file named by `name` in valid UTF-8, holding one header line and
// whole records; `written` of them.
void check_outputs(const Scratch& scratch, int32_t written, const Template& name_of) {
  std::vector<std::string> names = scratch.outputs();
  if (names.size() != static_cast<std::size_t>(written))
    fail("output files on disk differ from the files closed", std::to_string(names.size()));
  for (const std::string& name : names) {
    std::string path = scratch.folder + "/" + name;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) fail("not a regular file", name);
    if (!starts_with(name, name_of.starts) || !ends_with(name, name_of.ends))
      fail("unexpected file name", name);
    if (!valid_utf8(name)) fail("file name is not valid UTF-8", name);
    std::string bytes = read_file(path);
    if (!starts_with(bytes, "<EOH>\r\n") || !ends_with(bytes, "<EOR>\r\n") || bytes.size() < 14)
      fail("output is not a header line plus records", name);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Scratch scratch;
  if (size < kControlBytes) return 0;
  const bool through_file = (data[0] & 1) != 0;
  const bool all_exist = (data[0] & 2) != 0;
  const unsigned script = data[1] | (static_cast<unsigned>(data[2]) << 8);
  const Template& name = kTemplates[data[0] >> 6];
  SplitSettings settings;
  std::string error;
  if (!parse_field_list(kFieldLists[(data[0] >> 4) & 3], settings.fields, error) ||
      !settings.name.parse(name.text, error))
    fail("a drawn setting was refused", error);
  settings.each = (data[0] & 4) != 0;
  settings.dry_run = (data[0] & 8) != 0;
  settings.report_left_out = true;
  const uint8_t* log = data + kControlBytes;
  const std::size_t log_size = size - kControlBytes;

  write_input(scratch.input, log, log_size);
  SplitResult result;
  if (through_file) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> input(std::fopen(scratch.input.c_str(), "rb"),
                                                          std::fclose);
    if (!input) fail("cannot open", scratch.input);
    ScriptedHost host(script, all_exist, settings.dry_run, input.get());
    result = split_log(input.get(), scratch.input.c_str(), host, nullptr, nullptr, &settings);
  } else {
    ScriptedHost host(script, all_exist, settings.dry_run, nullptr);
    AdifReader reader(reinterpret_cast<const char*>(log), log_size);
    result = split_log(reader, scratch.input.c_str(), host, nullptr, &settings);
  }
  const int32_t closed = result.files;
  std::vector<std::string> lines = status_lines(result.status);
  if (closed > 0 && lines.empty()) fail("files closed but no status line", std::to_string(closed));
  // Set when replaying a reproducer, to see what the split made of it.
  if (std::getenv("FUZZ_SPLIT_VERBOSE") != nullptr)
    for (const std::string& line : lines) std::fprintf(stderr, "  | %s\n", line.c_str());

  if (read_file(scratch.input) != std::string(reinterpret_cast<const char*>(log), log_size))
    fail("the input was changed", scratch.input);
  // A dry run's files are the ones a split would write; it writes none.
  check_outputs(scratch, settings.dry_run ? 0 : closed, name);
  scratch.remove_outputs();
  return 0;
}
