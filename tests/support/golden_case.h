#pragma once
// The whole-split golden cases under tests/data/golden/, shared by the driver
// test (tests/split) and the varnel-split test (tests/cli) so the two cannot
// drift. One folder per case:
//   rover.adi       the input (output files are named after it)
//   args            options for varnel-split; the driver test answers as they do
//   before/         files present beside the input before the split
//   after/          every file beside the input afterwards, the input excepted
//   status.txt      the status lines, one per line, as the split makes them
//   printed.txt     what varnel-split prints of them, when that differs: lines
//                   with control characters or bytes outside UTF-8 escaped,
//                   lines over 256 bytes cut (cli/visible_text.h)
//   questions.txt   the questions asked, "CAPTION BUTTONS ICON: TEXT" with the
//                   work folder as DIR and line ends as \n (none when absent)
//   exit_code       varnel-split's exit status
//   stderr_has.txt  texts its standard error must hold (it must be empty when absent)
//   windows/        what the split does differently on Windows, whose file
//                   names are blind to letter case: a status.txt,
//                   questions.txt or after/ there stands for the case's own
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "temp_folder.h"

namespace golden {

namespace fs = std::filesystem;

inline fs::path root() { return fs::path(VARNEL_TEST_DATA) / "golden"; }

inline std::vector<std::string> case_names() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(root()))
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// What the case expects of the split in `name` (status.txt, questions.txt or
// after): on Windows the case's windows/ one when it has one.
inline fs::path expected(const fs::path& case_dir, const std::string& name) {
#ifdef _WIN32
  const fs::path on_windows = case_dir / "windows" / name;
  if (fs::exists(on_windows)) return on_windows;
#endif
  return case_dir / name;
}

// The bytes of `path`, or "" when it cannot be read.
inline std::string read_bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// What varnel-split prints on standard output for the case in `case_dir`.
inline std::string printed(const fs::path& case_dir) {
  const fs::path printed = case_dir / "printed.txt";
  return read_bytes(fs::exists(printed) ? printed : case_dir / "status.txt");
}

// The first line of `path` without its line end ("" when absent).
inline std::string first_line(const fs::path& path) {
  std::string text = read_bytes(path);
  return text.substr(0, text.find('\n'));
}

inline std::vector<std::string> lines_of(const fs::path& path) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Every regular file under `folder` by its path relative to it, with its
// bytes. The names are UTF-8 on every platform, as the split writes them
// (Windows keeps them in UTF-16).
inline std::map<std::string, std::string> files_under(const fs::path& folder) {
  std::map<std::string, std::string> files;
  if (!fs::exists(folder)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file())
      files[fs::relative(entry.path(), folder).generic_u8string()] = read_bytes(entry.path());
  return files;
}

// A fresh folder of its own under the system's temporary folder.
using ::make_temp_folder;

// Fills `work` with the case's input and its `before` files.
inline void prepare(const fs::path& case_dir, const fs::path& work) {
  fs::copy(case_dir / "rover.adi", work / "rover.adi");
  if (fs::exists(case_dir / "before"))
    fs::copy(case_dir / "before", work, fs::copy_options::recursive);
}

// Files beside the input after the split, the input itself left out.
inline std::map<std::string, std::string> outputs(const fs::path& work) {
  std::map<std::string, std::string> files = files_under(work);
  files.erase("rover.adi");
  return files;
}

// Names each parameterised test after its case folder.
inline std::string case_label(const testing::TestParamInfo<std::string>& param) {
  return param.param;
}

// Expects the same file names with the same bytes in both maps.
inline void expect_same_files(const std::map<std::string, std::string>& expected,
                              const std::map<std::string, std::string>& actual) {
  std::vector<std::string> expected_names, actual_names;
  for (const auto& file : expected) expected_names.push_back(file.first);
  for (const auto& file : actual) actual_names.push_back(file.first);
  EXPECT_EQ(expected_names, actual_names);
  for (const auto& file : expected) {
    auto found = actual.find(file.first);
    if (found != actual.end()) {
      EXPECT_EQ(file.second, found->second) << "in " << file.first;
    }
  }
}

}  // namespace golden
