// Whole splits through split_log, checked against the golden cases in
// tests/data/golden (see tests/support/golden_case.h for their layout).
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "fake_host.h"
#include "golden_case.h"
#include "split/split.h"
#include "split/split_settings.h"
#include "split/status.h"

namespace {

namespace fs = std::filesystem;

// Answers as varnel-split does when no one is at a terminal: the overwrite
// question by the case's option (Cancel without one), the open failure with OK.
class OptionHost : public FakeHost {
 public:
  Answer ask(const char* text, const char* caption, Buttons buttons, Icon icon) override {
    FakeHost::ask(text, caption, buttons, icon);
    if (buttons == Buttons::kOkCancel) return Answer::kOk;
    return existing;
  }
  Answer existing = Answer::kCancel;
};

// Reads the case's options, blank-separated words as varnel-split takes them
// ("--by FIELDS", "--name=TEMPLATE"), into the host's answers and the split's
// settings, through the calls varnel-split makes for them. The status lines
// are the split's own, without the count of records left out that
// varnel-split adds (printed.txt has it).
void read_args(const fs::path& case_dir, OptionHost& host, SplitSettings& settings) {
  std::istringstream words(golden::first_line(case_dir / "args"));
  std::string error;
  for (std::string word; words >> word;) {
    std::string value;
    const std::size_t equals = word.find('=');
    if (equals != std::string::npos) {
      value = word.substr(equals + 1);
      word.resize(equals);
    } else if (word == "--by" || word == "--name") {
      words >> value;
    }
    if (word == "--overwrite") {
      host.existing = Answer::kYes;
    } else if (word == "--skip-existing") {
      host.existing = Answer::kNo;
    } else if (word == "--each") {
      settings.each = true;
    } else if (word == "--dry-run") {
      settings.dry_run = true;
    } else if (word == "--by") {
      ASSERT_TRUE(parse_field_list(value.c_str(), settings.fields, error)) << error;
    } else if (word == "--name") {
      ASSERT_TRUE(settings.name.parse(value.c_str(), error)) << error;
    } else {
      FAIL() << "an option the golden cases do not know: " << word;
    }
  }
}

// "CAPTION BUTTONS ICON: TEXT" with the work folder as DIR and line ends as \n.
// A path in the work folder is written DIR/NAME on every platform, although
// Windows joins it with '\\'.
std::string describe(const AskedQuestion& q, const std::string& work) {
  std::string text = q.text;
  const std::string in_work = work + static_cast<char>(fs::path::preferred_separator);
  for (size_t at; (at = text.find(in_work)) != std::string::npos;)
    text.replace(at, in_work.size(), "DIR/");
  for (size_t at; (at = text.find(work)) != std::string::npos;)
    text.replace(at, work.size(), "DIR");
  for (size_t at; (at = text.find('\n')) != std::string::npos;) text.replace(at, 1, "\\n");
  return q.caption + (q.buttons == Buttons::kYesNoCancel ? " YesNoCancel" : " OkCancel") +
         (q.icon == Icon::kQuestion ? " Question: " : " Error: ") + text;
}

class GoldenSplit : public testing::TestWithParam<std::string> {};

TEST_P(GoldenSplit, WritesExpectedFilesStatusAndQuestions) {
  const fs::path case_dir = golden::root() / GetParam();
  const fs::path work = golden::make_temp_folder("golden");
  ASSERT_FALSE(work.empty());
  golden::prepare(case_dir, work);

  OptionHost host;
  SplitSettings settings;
  read_args(case_dir, host, settings);
  const std::string input_path = (work / "rover.adi").string();
  std::FILE* input = std::fopen(input_path.c_str(), "rb");
  ASSERT_NE(input, nullptr);
  host.input = input;
  // The very call the Split command and varnel-split make.
  const SplitResult result =
      split_log(input, input_path.c_str(), host, nullptr, nullptr, &settings);
  std::fclose(input);

  std::string shown;
  for (const std::string& line : status_lines(result.status)) shown += line + "\n";
  EXPECT_EQ(golden::read_bytes(golden::expected(case_dir, "status.txt")), shown);

  std::vector<std::string> asked;
  for (const AskedQuestion& q : host.asked) asked.push_back(describe(q, work.string()));
  EXPECT_EQ(golden::lines_of(golden::expected(case_dir, "questions.txt")), asked);

  golden::expect_same_files(golden::files_under(golden::expected(case_dir, "after")),
                            golden::outputs(work));
  fs::remove_all(work);
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenSplit, testing::ValuesIn(golden::case_names()),
                         golden::case_label);

}  // namespace
