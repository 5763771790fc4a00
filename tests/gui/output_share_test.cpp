// Output files on Windows: while the split writes a file, no other open for
// writing may succeed; QTHs that differ only in letter case, which name one
// file there, never both write it; the input is never opened as an output,
// a name too long for the file system counts as absent, and a file made for
// an output that then fails is removed again. And varnel-split.exe on logs
// and names that would make it hang or write a file it must not.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "adif/output_stream.h"
#include "fake_host.h"
#include "interrupts.h"
#include "platform/output_files.h"
#include "short_name.h"
#include "split/split.h"

namespace fs = std::filesystem;

namespace {

std::string read_bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class OutputShare : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("varnel-share-" +
               std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  fs::path folder_;
};

TEST_F(OutputShare, SecondWriterIsRefusedAndAReaderLetInWhileTheSplitWrites) {
  const std::string path = (folder_ / "rover_ME.adi").string();
  platform::OutputFiles outputs(nullptr);
  std::unique_ptr<platform::OutputFile> file = outputs.open(path.c_str());
  ASSERT_NE(file, nullptr);
  OutputStream stream(std::move(file));
  stream.write("<EOH>\r\n", 7);
  // Another spelling of the same name, as a second QTH would produce it.
  const std::string alias = (folder_ / "ROVER_me.ADI").string();
  EXPECT_EQ(std::fopen(alias.c_str(), "wb"), nullptr);
  EXPECT_EQ(platform::OutputFiles(nullptr).open(alias.c_str()), nullptr);
  EXPECT_EQ(outputs.open(alias.c_str()), nullptr);
  // A reader is let in, as C's fopen opens: sharing reading and writing, not deletion.
  std::FILE* reader = std::fopen(alias.c_str(), "rb");
  EXPECT_NE(reader, nullptr);
  if (reader != nullptr) std::fclose(reader);
  ASSERT_TRUE(stream.close());
  EXPECT_EQ(read_bytes(path), "<EOH>\r\n");
}

// An open that made its file and then refuses it removes that file again,
// through the handle that made it, and the outputs opened before it stay.
// Here the new file takes the identity of an output's file that was removed
// while the output was closed (file systems reuse identities), which the open
// cannot tell from the output's own file.
TEST_F(OutputShare, AFileMadeButNotOpenedIsRemovedAgain) {
  platform::OutputFiles outputs(nullptr);
  const fs::path kept = folder_ / "rover_kept.adi";
  std::unique_ptr<platform::OutputFile> kept_file = outputs.open(kept.string().c_str());
  ASSERT_NE(kept_file, nullptr);
  ASSERT_TRUE(kept_file->write("<EOH>\r\n", 7));
  fs::path refused;
  for (int i = 0; i < 64 && refused.empty(); ++i) {
    const fs::path path = folder_ / ("rover_" + std::to_string(i) + ".adi");
    std::unique_ptr<platform::OutputFile> file = outputs.open(path.string().c_str());
    if (file == nullptr) {
      refused = path;
    } else {
      ASSERT_TRUE(file->close());
      fs::remove(path);
    }
  }
  ASSERT_TRUE(kept_file->close());
  ASSERT_FALSE(refused.empty()) << "no identity was reused";
  EXPECT_FALSE(fs::exists(refused)) << refused;
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
  EXPECT_EQ(read_bytes(kept), "<EOH>\r\n");
}

TEST_F(OutputShare, QthsDifferingInCaseGoStraightToTheOpenFailureBox) {
  const fs::path input = folder_ / "rover.adi";
  std::ofstream(input, std::ios::binary) << "<CALL:4>K1AA <APP_N1MM_ROVERQTH:2>ME <EOR>\r\n"
                                            "<CALL:4>K2BB <APP_N1MM_ROVERQTH:2>Me <EOR>\r\n"
                                            "<CALL:4>K3CC <APP_N1MM_ROVERQTH:2>ME <EOR>\r\n";
  FakeHost host;
  host.answers = {Answer::kOk};
  StatusLists status;
  std::FILE* in = std::fopen(input.string().c_str(), "rb");
  ASSERT_NE(in, nullptr);
  SplitResult result = split_log(in, input.string().c_str(), host);
  std::fclose(in);
  EXPECT_EQ(result.files, 1);
  status = std::move(result.status);

  ASSERT_EQ(host.asked.size(), 1u);  // no overwrite question for the alias
  EXPECT_EQ(host.asked[0].text,
            "Could not open output file " + (folder_ / "rover_Me.adi").string() + "\n");
  EXPECT_EQ(host.asked[0].caption, "Error");
  EXPECT_EQ(read_bytes(folder_ / "rover_ME.adi"),
            "<EOH>\r\n<CALL:4>K1AA <EOR>\r\n<CALL:4>K3CC <EOR>\r\n");
}

TEST_F(OutputShare, OnlyANameThatCannotBeThereCountsAsAbsent) {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  const std::string folder = folder_.string();
  const struct {
    std::string path;
    bool exists;
  } cases[] = {
      {exe, true},
      {folder, true},
      {folder + "\\no-such-file.adi", false},
      {folder + "\\no-such-folder\\x.adi", false},
      {folder + "\\bad<name>.adi", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(platform::output_exists(c.path.c_str()), c.exists) << c.path;
}

// A hard link named like an output file is the input under another name: it
// must get the open-failure box, not be emptied while the input is read. A
// QTH too long for a file name is absent, so its open fails without a
// question about overwriting.
TEST_F(OutputShare, InputUnderAnotherNameAndOverLongNamesAreOpenFailures) {
  const fs::path input = folder_ / "rover.adi";
  const std::string qth(250, 'Q');
  const std::string log =
      "<CALL:4>K1AA <APP_N1MM_ROVERQTH:4>FN31 <EOR>\r\n"
      "<CALL:4>K2BB <APP_N1MM_ROVERQTH:4>FN42 <EOR>\r\n"
      "<CALL:4>K3CC <APP_N1MM_ROVERQTH:250>" +
      qth + " <EOR>\r\n";
  std::ofstream(input, std::ios::binary) << log;
  const std::string link = (folder_ / "rover_FN42.adi").string();
  ASSERT_TRUE(CreateHardLinkA(link.c_str(), input.string().c_str(), nullptr));
  FakeHost host;
  host.answers = {Answer::kYes, Answer::kOk, Answer::kOk};
  StatusLists status;
  host.input = std::fopen(input.string().c_str(), "rb");
  ASSERT_NE(host.input, nullptr);
  SplitResult result = split_log(host.input, input.string().c_str(), host);
  std::fclose(host.input);
  EXPECT_EQ(result.files, 1);
  status = std::move(result.status);

  ASSERT_EQ(host.asked.size(), 3u);
  EXPECT_EQ(host.asked[0].text, "Are you sure you want to overwrite rover_FN42.adi");
  EXPECT_EQ(host.asked[1].text, "Could not open output file " + link + "\n");
  // Too long for the text: the folder gives way, the name's start and end show.
  EXPECT_EQ(host.asked[2].text, "Could not open output file rover_" + qth.substr(0, 42) + "..." +
                                    qth.substr(0, 44) + ".adi\n");
  EXPECT_EQ(read_bytes(input), log);
  EXPECT_EQ(read_bytes(folder_ / "rover_FN31.adi"), "<EOH>\r\n<CALL:4>K1AA <EOR>\r\n");
}

// Runs varnel-split.exe with `arguments` in `folder`, standard input on NUL,
// and ends it if it has not finished within `timeout_ms` (ten seconds unless
// told). Returns its exit
// code (998 when it had to be ended) and what it wrote to standard error and
// then standard output, without CRs. The arguments are UTF-16, as Windows
// passes them, so that they may hold what no code page can.
std::pair<DWORD, std::string> run_split_exe(const fs::path& folder, const std::wstring& arguments,
                                            std::string exe = VARNEL_SPLIT_EXE,
                                            DWORD timeout_ms = 10000) {
  if (exe[0] == '/') exe = "Z:" + exe;  // the build tree's Unix path, as Wine maps it
  std::wstring line = L"\"" + std::wstring(exe.begin(), exe.end()) + L"\" " + arguments;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const std::string err = folder.string() + ".err", out = folder.string() + ".out";
  auto create = [&](const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0,
                       nullptr);
  };
  STARTUPINFOW start{};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdInput = CreateFileA("NUL", GENERIC_READ, 0, &inherit, OPEN_EXISTING, 0, nullptr);
  start.hStdError = create(err);
  start.hStdOutput = create(out);
  PROCESS_INFORMATION process{};
  DWORD code = 999;
  if (CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &start,
                     &process)) {
    if (WaitForSingleObject(process.hProcess, timeout_ms) == WAIT_TIMEOUT)
      TerminateProcess(process.hProcess, 998);
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  std::string text;
  for (HANDLE handle : {start.hStdInput, start.hStdError, start.hStdOutput}) CloseHandle(handle);
  for (const std::string& path : {err, out}) {
    text += read_bytes(path);
    fs::remove(path);
  }
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return {code, text};
}

// A device name as the log hung the program or read nothing; a QTH that
// spells another file's short name replaced that file. FN31 and fn31, one
// file here, must not both write it. An argument its code page cannot hold
// (with UTF-8, only a lone surrogate) came as a look-alike (U+FFFD) and
// split the file of that name.
TEST_F(OutputShare, VarnelSplitExeRefusesDevicesAndShortNames) {
  std::ofstream(folder_ / "ab_cdefghij.adi", std::ios::binary) << "old";
  const std::string alias = short_name_qth(folder_ / "ab_cdefghij.adi");
  ASSERT_FALSE(alias.empty()) << "no short names in " << folder_;
  std::ofstream(folder_ / "ab.adi", std::ios::binary)
      << "<CALL:4>K1AA <APP_N1MM_ROVERQTH:" << alias.size() << ">" << alias << " <EOR>\r\n";
  std::ofstream(folder_ / "rover.adi", std::ios::binary)
      << "<CALL:4>K1AA <APP_N1MM_ROVERQTH:4>FN31 <EOR>\r\n"
         "<CALL:4>K2BB <APP_N1MM_ROVERQTH:4>fn31 <EOR>\r\n";
  std::ofstream(folder_ / L"\xfffd.adi", std::ios::binary)
      << "<CALL:4>K1AA <APP_N1MM_ROVERQTH:4>FN31 <EOR>\r\n";
  const std::pair<std::wstring, std::string> cases[] = {
      {L"aux.adi", "Error opening aux.adi: not a file\n"},
      {L"com1.adi", "Error opening com1.adi: not a file\n"},
      {L"nul.adi", "Error opening nul.adi: not a file\n"},
      {L"--overwrite ab.adi",
       "Could not open output file ab_" + alias + ".adi\nDid not create any output files!\n\n"},
      {L"rover.adi",
       "Could not open output file rover_fn31.adi\nWrote    1 QSOs to rover_FN31.adi\n\n"},
      {L"\xd800.adi", "Error opening \xef\xbf\xbd.adi: " + std::string(strerror(EILSEQ)) + "\n"},
  };
  for (const auto& [arguments, output] : cases) {
    EXPECT_EQ(run_split_exe(folder_, arguments), std::make_pair(DWORD{1}, output));
  }
  EXPECT_EQ(read_bytes(folder_ / "ab_cdefghij.adi"), "old");
  EXPECT_EQ(read_bytes(folder_ / "rover_FN31.adi"), "<EOH>\r\n<CALL:4>K1AA <EOR>\r\n");
  EXPECT_FALSE(fs::exists(folder_ / L"\xfffd_FN31.adi"));
}

// varnel-split.exe shows what a log holds as escapes, as on Linux: the golden
// cases whose lines need escaping or cutting print their printed.txt (after
// the core's own line on standard error, when the case has one) and write
// their files. A Windows path shows as it was typed, backslashes and all.
TEST_F(OutputShare, VarnelSplitExeShowsControlsAsEscapes) {
  auto names_in = [](const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
      names.push_back(entry.path().filename().u8string());
    std::sort(names.begin(), names.end());
    return names;
  };
  const fs::path golden = fs::path(VARNEL_TEST_DATA) / "golden";
  for (const char* name : {"controls_in_values", "controls_in_qth", "binary_tail", "long_names"}) {
    SCOPED_TRACE(name);
    const fs::path case_dir = golden / name, work = folder_ / name;
    fs::create_directories(work);
    fs::copy_file(case_dir / "rover.adi", work / "rover.adi");
    const fs::path printed = case_dir / "printed.txt";
    std::string expected = read_bytes(fs::exists(printed) ? printed : case_dir / "status.txt");
    if (fs::exists(case_dir / "stderr_has.txt"))
      expected = read_bytes(case_dir / "stderr_has.txt") + expected;
    const DWORD exit_code = std::stoul(read_bytes(case_dir / "exit_code"));

    EXPECT_EQ(run_split_exe(work, L"rover.adi"), std::make_pair(exit_code, expected));
    std::vector<std::string> written = names_in(work);
    written.erase(std::find(written.begin(), written.end(), "rover.adi"));
    EXPECT_EQ(names_in(case_dir / "after"), written);
    for (const std::string& file : written) {
      EXPECT_EQ(read_bytes(case_dir / "after" / fs::u8path(file)),
                read_bytes(work / fs::u8path(file)))
          << file;
    }
  }
  const std::string missing = ": " + std::string(strerror(ENOENT)) + "\n";
  EXPECT_EQ(run_split_exe(folder_, L"sub\\x.adi"),
            std::make_pair(DWORD{1}, "Error opening sub\\x.adi" + missing));
  EXPECT_EQ(run_split_exe(folder_, L"sub\\rover.adi"),
            std::make_pair(DWORD{1}, "Error opening sub\\rover.adi" + missing));
}

// varnel-split.exe reads its options through the MinGW runtime's getopt_long,
// whose habits differ from glibc's: the same forms give the same messages,
// exit status and splits as on Linux.
TEST_F(OutputShare, VarnelSplitExeReadsOptionsAsOnLinux) {
  fs::create_directories(folder_ / "out");
  std::ofstream(folder_ / "a.adi", std::ios::binary)
      << "<CALL:4>K1AA <APP_N1MM_ROVERQTH:4>FN31 <EOR>\r\n";
  const std::string try_help = "Try 'varnel-split --help' for more information.\n";
  const struct {
    std::wstring arguments;
    DWORD exit_code;
    std::string output;
  } cases[] = {
      // A '-' inside a bundle never starts a long option.
      {L"-f-help a.adi", 2, "varnel-split: unknown option --\n" + try_help},
      {L"-n-o out a.adi", 2, "varnel-split: unknown option --\n" + try_help},
      {L"-fx a.adi", 2, "varnel-split: unknown option -x\n" + try_help},
      {L"--overwrite=yes a.adi", 2, "varnel-split: option --overwrite takes no value\n" + try_help},
      {L"a.adi --output-dir", 2, "varnel-split: option --output-dir needs a value\n" + try_help},
      {L"a.adi -fo", 2, "varnel-split: option -o needs a value\n" + try_help},
      {L"--o a.adi", 2,
       "varnel-split: ambiguous option --o (--overwrite, --output-dir)\n" + try_help},
      {L"a.adi -fo out", 0, "Wrote    1 QSOs to a_FN31.adi\n\n"},
      {L"-- --over", 1, "Error opening --over: " + std::string(strerror(ENOENT)) + "\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.arguments.begin(), c.arguments.end()));  // all ASCII
    EXPECT_EQ(run_split_exe(folder_, c.arguments), std::make_pair(c.exit_code, c.output));
  }
  EXPECT_EQ(read_bytes(folder_ / "out" / "a_FN31.adi"), "<EOH>\r\n<CALL:4>K1AA <EOR>\r\n");
  EXPECT_FALSE(fs::exists(folder_ / "a_FN31.adi"));
}

// More QTHs than msvcrt.dll has streams (2,048) each get their file, from
// the window as from varnel-split.exe: no box, no error.
TEST_F(OutputShare, VarnelSplitExeWritesThousandsOfFiles) {
  constexpr int kQths = 3000;
  {
    std::ofstream log(folder_ / "many.adi", std::ios::binary);
    for (int i = 0; i < kQths; ++i) {
      const std::string qth = "Q" + std::to_string(i);
      log << "<CALL:4>K1AA <APP_N1MM_ROVERQTH:" << qth.size() << ">" << qth << " <EOR>\r\n";
    }
  }
  // Thousands of files take Wine a while to make.
  const auto [code, output] = run_split_exe(folder_, L"many.adi", VARNEL_SPLIT_EXE, 90000);
  EXPECT_EQ(code, DWORD{0}) << output.substr(0, 300);
  int wrote = 0;
  for (std::size_t at = output.find("Wrote    1 QSOs to many_Q"); at != std::string::npos;
       at = output.find("Wrote    1 QSOs to many_Q", at + 1))
    ++wrote;
  EXPECT_EQ(wrote, kQths);
  EXPECT_EQ(output.find("Could not"), std::string::npos) << output.substr(0, 300);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), kQths + 1);
  EXPECT_EQ(read_bytes(folder_ / "many_Q2999.adi"), "<EOH>\r\n<CALL:4>K1AA <EOR>\r\n");
}

// cmd and PowerShell hand wildcards over as typed, and varnel-split.exe
// expands its FILEs itself: in name order, without folders or names that
// match only through their short name. A pattern matching nothing is an error
// naming it; an option's value is taken as typed, FILEs after "--" expanded.
TEST_F(OutputShare, VarnelSplitExeExpandsWildcardsInItsFiles) {
  const fs::path logs = folder_ / "logs";
  fs::create_directories(logs / "sub.adi");  // a folder, which *.adi matches too
  fs::create_directories(folder_ / "out");
  std::ofstream(logs / "b.adi", std::ios::binary)
      << "<CALL:4>K1AA <APP_N1MM_ROVERQTH:2>BB <EOR>\r\n";
  std::ofstream(logs / "a.adi", std::ios::binary)
      << "<CALL:4>K1AA <APP_N1MM_ROVERQTH:2>AA <EOR>\r\n";
  std::ofstream(logs / "c.adif", std::ios::binary)
      << "<CALL:4>K1AA <APP_N1MM_ROVERQTH:2>CC <EOR>\r\n";
  // A long name, which has a short one beside it, matches through itself.
  fs::create_directories(folder_ / "long");
  std::ofstream(folder_ / "long" / "rover log 2024.adi", std::ios::binary)
      << "<CALL:4>K1AA <APP_N1MM_ROVERQTH:2>DD <EOR>\r\n";
  const std::string d = "Wrote    1 QSOs to rover log 2024_DD.adi\n\n";
  const std::string a = "Wrote    1 QSOs to a_AA.adi\n\n", b = "Wrote    1 QSOs to b_BB.adi\n\n";
  const std::string missing = ": " + std::string(strerror(ENOENT)) + "\n";
  const struct {
    std::wstring arguments;
    DWORD exit_code;
    std::string output;
  } cases[] = {
      {L"-f -o out logs\\*.adi", 0, "==> logs\\a.adi <==\n" + a + "==> logs\\b.adi <==\n" + b},
      {L"-f -o out logs/?.ADI", 0, "==> logs/a.adi <==\n" + a + "==> logs/b.adi <==\n" + b},
      {L"-f -o out -- logs\\b*", 0, b},
      {L"-f -o out long\\*.adi", 0, d},
      {L"-f -o out long\\R*G*4.A?I", 0, d},
      {L"-f -o out long\\*g*g*.adi", 1, "Error opening long\\*g*g*.adi" + missing},
      {L"-f -o out logs\\x*.adi logs\\a.adi", 1, "Error opening logs\\x*.adi" + missing + a},
      {L"-f -o out nowhere\\*.adi", 1, "Error opening nowhere\\*.adi" + missing},
      {L"-f -o out logs\\sub*", 1,
       "Error opening logs\\sub*: " + std::string(strerror(EISDIR)) + "\n"},
      // Expanded, "ou*" would name the folder out.
      {L"-f -o ou* logs\\a.adi", 2,
       "varnel-split: output folder ou*: " + std::string(strerror(EINVAL)) +
           "\nTry 'varnel-split --help' for more information.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.arguments.begin(), c.arguments.end()));  // all ASCII
    EXPECT_EQ(run_split_exe(folder_, c.arguments), std::make_pair(c.exit_code, c.output));
  }
  EXPECT_EQ(read_bytes(folder_ / "out" / "a_AA.adi"), "<EOH>\r\n<CALL:4>K1AA <EOR>\r\n");
  EXPECT_FALSE(fs::exists(folder_ / "out" / "c_CC.adif"));
  EXPECT_FALSE(fs::exists(folder_ / "out" / "c_CC.adi"));
}

// Closing the console window, logging off and shutting down end the process
// once the handler returns: they are the interrupt, and the handler waits for
// the files. Ctrl-C and Ctrl-Break only ask the split to stop; anything else
// is left to the system.
TEST(ConsoleEvents, ClosingLoggingOffAndShuttingDownAreTheInterrupt) {
  const struct {
    DWORD event;
    int signal;
    bool ends_process;
  } rows[] = {
      {CTRL_C_EVENT, SIGINT, false},
      {CTRL_BREAK_EVENT, SIGBREAK, false},
      {CTRL_CLOSE_EVENT, SIGTERM, true},
      {CTRL_LOGOFF_EVENT, SIGTERM, true},
      {CTRL_SHUTDOWN_EVENT, SIGTERM, true},
      {3, 0, false},
      {4, 0, false},
      {7, 0, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.event);
    const ConsoleEvent meaning = console_event(row.event);
    EXPECT_EQ(meaning.signal, row.signal);
    EXPECT_EQ(meaning.ends_process, row.ends_process);
  }
}

// A log named drive-relative ("C:rover.adi"), and an output folder that is a
// drive's current folder ("-o C:"), as after a `cd` on that drive: each
// output was refused, its name compared with the path's text after the last
// separator, "C:" and all.
TEST_F(OutputShare, VarnelSplitExeTakesDriveRelativePaths) {
  const std::wstring drive = folder_.root_name().wstring();  // the drive of the current folder
  ASSERT_EQ(drive.size(), 2u) << folder_;
  fs::create_directories(folder_ / "out");
  std::ofstream(folder_ / "rover.adi", std::ios::binary)
      << "<CALL:4>K1AA <APP_N1MM_ROVERQTH:4>FN31 <EOR>\r\n";
  const std::string wrote = "Wrote    1 QSOs to rover_FN31.adi\n\n";
  // The second run replaces what the first made.
  for (int run = 0; run < 2; ++run) {
    EXPECT_EQ(run_split_exe(folder_, L"-f " + drive + L"rover.adi"),
              std::make_pair(DWORD{0}, wrote));
    EXPECT_EQ(run_split_exe(folder_ / "out", L"-f -o " + drive + L" ..\\rover.adi"),
              std::make_pair(DWORD{0}, wrote));
  }
  EXPECT_EQ(read_bytes(folder_ / "rover_FN31.adi"), "<EOH>\r\n<CALL:4>K1AA <EOR>\r\n");
  EXPECT_EQ(read_bytes(folder_ / "out" / "rover_FN31.adi"), "<EOH>\r\n<CALL:4>K1AA <EOR>\r\n");
}

// varnel-split.exe as Windows before 10 1903 run it: they ignore the
// manifest's UTF-8 code page, so it runs in the code page for non-Unicode
// programs, which Wine takes from the locale (1252 in the usual run, 932 in
// a run of its own). Each character of a QTH stands in a name exactly or as
// '_', never as the bytes of its UTF-8 read in that code page; the second
// byte of "ソ" (0x83 0x5C) is no separator; the status lines show the names
// as they were made.
TEST_F(OutputShare, VarnelSplitExeWithoutUtf8NamesFilesInTheCodePage) {
  const struct {
    UINT code_page;
    std::wstring log;
    std::vector<std::wstring> outputs;  // in the order of the status lines
  } cases[] = {
      {1252,
       L"a.\u00d8b.adi",
       {L"a_FN31.adi", L"a_\u00c6r\u00f8.adi", L"a__\u00f3d_.adi", L"a__.adi", L"a___.adi"}},
      {932,
       L"a.\u30bdb.adi",
       {L"a_FN31.adi", L"a__r_.adi", L"a___d_.adi", L"a_\u30bd.adi", L"a_\u6771\u4eac.adi"}},
  };
  const auto found = std::find_if(std::begin(cases), std::end(cases),
                                  [](const auto& c) { return c.code_page == GetACP(); });
  if (found == std::end(cases)) GTEST_SKIP() << "no case for code page " << GetACP();

  // The program with its manifest less the UTF-8 code page.
  const fs::path legacy = folder_ / "legacy" / "varnel-split.exe";
  fs::create_directories(legacy.parent_path());
  std::string exe = VARNEL_SPLIT_EXE, manifest_path = VARNEL_SPLIT_MANIFEST;
  for (std::string* path : {&exe, &manifest_path})
    if ((*path)[0] == '/') *path = "Z:" + *path;
  ASSERT_TRUE(CopyFileA(exe.c_str(), legacy.string().c_str(), FALSE));
  std::string manifest = read_bytes(manifest_path);
  const std::size_t start = manifest.find("<activeCodePage");
  const std::string end_tag = "</activeCodePage>";
  const std::size_t end = manifest.find(end_tag, start);
  ASSERT_NE(end, std::string::npos);
  manifest.erase(start, end + end_tag.size() - start);
  // Resource 1 of type 24 (RT_MANIFEST) is the manifest Windows reads at start.
  HANDLE update = BeginUpdateResourceW(legacy.c_str(), FALSE);
  ASSERT_NE(update, nullptr);
  ASSERT_TRUE(UpdateResourceW(update, MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(1),
                              MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), &manifest[0],
                              static_cast<DWORD>(manifest.size())));
  ASSERT_TRUE(EndUpdateResourceW(update, FALSE));

  const fs::path work = folder_ / "work";
  fs::create_directories(work);
  std::ofstream(work / found->log, std::ios::binary)
      << "<CALL:4>K1AA <APP_N1MM_ROVERQTH:4>FN31 <EOR>\r\n"
         "<CALL:4>K2BB <APP_N1MM_ROVERQTH:7>\xc5\x81\xc3\xb3\x64\xc5\xba <EOR>\r\n"
         "<CALL:4>K3CC <APP_N1MM_ROVERQTH:6>\xe6\x9d\xb1\xe4\xba\xac <EOR>\r\n"
         "<CALL:4>K4DD <APP_N1MM_ROVERQTH:5>\xc3\x86r\xc3\xb8 <EOR>\r\n"
         "<CALL:4>K5EE <APP_N1MM_ROVERQTH:3>\xe3\x82\xbd <EOR>\r\n";
  std::string printed;
  for (const std::wstring& output : found->outputs)
    printed += "Wrote    1 QSOs to " + fs::path(output).u8string() + "\n";
  EXPECT_EQ(run_split_exe(work, found->log, legacy.string()),
            std::make_pair(DWORD{0}, printed + "\n"));

  std::vector<std::wstring> made;
  for (const auto& entry : fs::directory_iterator(work))
    if (entry.path().filename() != found->log) made.push_back(entry.path().filename().wstring());
  std::vector<std::wstring> expected = found->outputs;
  std::sort(made.begin(), made.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(made, expected);
}

}  // namespace
