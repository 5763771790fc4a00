// varnel-split as a user runs it: the golden cases in a temporary folder, the
// command line's errors, and the questions on a terminal.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "golden_case.h"
#include "visible_text.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int exit_code = -1;
  std::string out;
  std::string err;
};

// Runs `command` through the shell in `folder` with standard input from
// `input` (a file or /dev/null), capturing both output streams.
Outcome run_in(const fs::path& folder, const std::string& command,
               const std::string& input = "/dev/null") {
  const fs::path out = folder.parent_path() / (folder.filename().string() + ".out");
  const fs::path err = folder.parent_path() / (folder.filename().string() + ".err");
  const std::string line = "cd '" + folder.string() + "' && " + command + " <'" + input + "' >'" +
                           out.string() + "' 2>'" + err.string() + "'";
  Outcome run;
  int status = std::system(line.c_str());
  if (WIFEXITED(status)) run.exit_code = WEXITSTATUS(status);
  run.out = golden::read_bytes(out);
  run.err = golden::read_bytes(err);
  fs::remove(out);
  fs::remove(err);
  return run;
}

const std::string binary = "'" VARNEL_SPLIT_BINARY "'";

class GoldenCli : public testing::TestWithParam<std::string> {};

TEST_P(GoldenCli, PrintsStatusWritesFilesAndExits) {
  const fs::path case_dir = golden::root() / GetParam();
  const fs::path work = golden::make_temp_folder("cli");
  ASSERT_FALSE(work.empty());
  golden::prepare(case_dir, work);

  Outcome run = run_in(work, binary + " " + golden::first_line(case_dir / "args") + " rover.adi");

  EXPECT_EQ(golden::printed(case_dir), run.out);
  EXPECT_EQ(std::atoi(golden::first_line(case_dir / "exit_code").c_str()), run.exit_code);
  golden::expect_same_files(golden::files_under(case_dir / "after"), golden::outputs(work));
  if (fs::exists(case_dir / "stderr_has.txt")) {
    for (const std::string& text : golden::lines_of(case_dir / "stderr_has.txt"))
      EXPECT_NE(run.err.find(text), std::string::npos) << "missing: " << text << "\n" << run.err;
  } else {
    EXPECT_EQ("", run.err);
  }
  fs::remove_all(work);
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenCli, testing::ValuesIn(golden::case_names()),
                         golden::case_label);

// Every control, bidirectional control and byte outside UTF-8 shows as an
// escape, a backslash doubles only where it would start one, and a long text
// is cut after a whole character or escape.
TEST(VisibleText, EscapesWhatHidesOrForgesAndCutsLongLines) {
  struct Case {
    std::string text;
    std::size_t limit;
    std::string shown;
  };
  const std::size_t line = kVisibleLineSize;
  const Case cases[] = {
      {"Wrote    2 QSOs to rover_FN31.adi", line, "Wrote    2 QSOs to rover_FN31.adi"},
      {"rover_Łódź Ро ログ 📡 ~", line, "rover_Łódź Ро ログ 📡 ~"},
      // C0 controls, DEL; a NUL inside the text too.
      {"a\tb\r\nc", line, "a\\tb\\r\\nc"},
      {std::string("\x01\x1b[2K\x1f\x7f\0z", 9), line, "\\x01\\x1b[2K\\x1f\\x7f\\x00z"},
      // C1 controls as UTF-8; U+00A0 after them is no control.
      {"\xc2\x80\xc2\x85\xc2\x9b\xc2\x9f\xc2\xa0", line, "\\u0080\\u0085\\u009b\\u009f\xc2\xa0"},
      // Every bidirectional control, between neighbours that are none.
      {"\xd8\x9b\xd8\x9c\xe2\x80\x8d\xe2\x80\x8e\xe2\x80\x8f\xe2\x80\x90", line,
       "\xd8\x9b\\u061c\xe2\x80\x8d\\u200e\\u200f\xe2\x80\x90"},
      {"\xe2\x80\xa9\xe2\x80\xaa\xe2\x80\xab\xe2\x80\xac\xe2\x80\xad\xe2\x80\xae\xe2\x80\xaf", line,
       "\xe2\x80\xa9\\u202a\\u202b\\u202c\\u202d\\u202e\xe2\x80\xaf"},
      {"\xe2\x81\xa5\xe2\x81\xa6\xe2\x81\xa7\xe2\x81\xa8\xe2\x81\xa9\xe2\x81\xaa", line,
       "\xe2\x81\xa5\\u2066\\u2067\\u2068\\u2069\xe2\x81\xaa"},
      // Bytes outside well-formed UTF-8, one escape each.
      {"Montr\xe9"
       "al \x85",
       line, "Montr\\xe9al \\x85"},
      {"\x80\xc0\xaf\xed\xa0\x80\xf4\x90\x80\x80Gr\xc3", line,
       "\\x80\\xc0\\xaf\\xed\\xa0\\x80\\xf4\\x90\\x80\\x80Gr\\xc3"},
      // A backslash shows as it is: a Windows path reads as it was typed.
      {"D:\\Logs\\rover.adi \\\\server\\share\\", line, "D:\\Logs\\rover.adi \\\\server\\share\\"},
      {"\\n \\x1b \\u202E \\\x1b", line, "\\n \\x1b \\u202E \\\\x1b"},
      // Cuts: the text fits to the last byte, or gives way to "..." after
      // the last whole character or escape that leaves room for it.
      {"0123456789", 10, "0123456789"},
      {"0123456789A", 10, "0123456..."},
      {"012345\x1b", 10, "012345\\x1b"},
      {"0123456\x1b", 10, "0123456..."},
      {"01234\x1bZZ", 10, "01234..."},
      {"012345\xc5\x81\xc5\x81\xc5\x81", 10, "012345..."},
      {"012345\\rxxy", 10, "012345\\..."},
      {"012345\\rxx", 10, "012345\\rxx"},
      {std::string(256, 'x'), line, std::string(256, 'x')},
      {std::string(257, 'x'), line, std::string(253, 'x') + "..."},
      {std::string(5000000, '\x07'), line,
       [] {
         std::string bells;
         for (int i = 0; i < 63; ++i) bells += "\\x07";
         return bells + "...";
       }()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 40));
    const std::string shown = visible_text(c.text, c.limit);
    EXPECT_EQ(c.shown, shown);
    EXPECT_LE(shown.size(), c.limit);
  }
  // A long path gives way in its folder, so the name and the end still show.
  const std::string deep = "/" + std::string(150, 'a') + "/" + std::string(150, 'b') + "/r.adi";
  const std::string heading = path_line("==> ", deep.c_str(), " <==");
  EXPECT_EQ(kVisibleLineSize, heading.size());
  EXPECT_EQ("==> /aaaa", heading.substr(0, 9));
  EXPECT_EQ("bbbb/r.adi <==", heading.substr(heading.size() - 14));
  EXPECT_NE(std::string::npos, heading.find("..."));
}

TEST(VarnelSplit, CommandLineErrorsAndInformation) {
  struct Case {
    const char* args;
    int exit_code;
    bool on_stdout;  // else on standard error
    const char* text;
  };
  // A deep folder gives way in its middle; the name and the reason show.
  const std::string deep = "/" + std::string(60, 'a') + "/" + std::string(60, 'b') + "/missing.adi";
  const std::string deep_error = "Error opening /" + std::string(35, 'a') + "..." +
                                 std::string(35, 'b') + "/missing.adi: " + std::strerror(ENOENT) +
                                 "\n";
  const Case cases[] = {
      {"", 2, false, "no input FILE given\n"},
      {"--bogus rover.adi", 2, false, "unknown option --bogus\n"},
      {"--bogus=1 rover.adi", 2, false, "unknown option --bogus\n"},
      {"-x rover.adi", 2, false, "unknown option -x\n"},
      {"-fx rover.adi", 2, false, "unknown option -x\n"},
      {"--o rover.adi", 2, false, "ambiguous option --o (--overwrite, --output-dir)\n"},
      {"--overwrite --skip-existing rover.adi", 2, false,
       "--overwrite and --skip-existing exclude each other\n"},
      {"-f -n rover.adi", 2, false, "--overwrite and --skip-existing exclude each other\n"},
      {"rover.adi -fn", 2, false, "--overwrite and --skip-existing exclude each other\n"},
      {"--overwrite=yes rover.adi", 2, false, "option --overwrite takes no value\n"},
      {"rover.adi -o", 2, false, "option -o needs a value\n"},
      {"rover.adi --output-dir", 2, false, "option --output-dir needs a value\n"},
      {"rover.adi -fo", 2, false, "option -o needs a value\n"},
      {"-xf rover.adi", 2, false, "unknown option -x\n"},
      {"--=x rover.adi", 2, false, "unknown option --\n"},
      // A '-' inside a bundle is an unknown letter, never the start of a long
      // option; --help with a value is an error, not the help.
      {"-f-help rover.adi", 2, false, "unknown option --\n"},
      {"-n-o out rover.adi", 2, false, "unknown option --\n"},
      {"--help=no rover.adi", 2, false, "option --help takes no value\n"},
      {"-- --help", 1, false, "Error opening --help: "},
      // The output folder is checked before any log is read.
      {"-o missing rover.adi", 2, false, "output folder missing: No such file or directory\n"},
      {"--output-dir=rover.adi rover.adi", 2, false, "output folder rover.adi: Not a directory\n"},
      {"-o '' rover.adi", 2, false, "output folder : No such file or directory\n"},
      // The split's own options: field lists and name templates are
      // checked before any log is read.
      {"--by '' rover.adi", 2, false, "option --by: an empty field name in \"\"\n"},
      {"--by=MY_SOTA_REF,,MY_WWFF_REF rover.adi", 2, false,
       "option --by: an empty field name in \"MY_SOTA_REF,,MY_WWFF_REF\"\n"},
      {"--by 'MY:GRID' rover.adi", 2, false,
       "option --by: \"MY:GRID\" cannot be an ADIF field name\n"},
      {"rover.adi --by", 2, false, "option --by needs a value\n"},
      {"--name '' rover.adi", 2, false, "option --name: the template is empty\n"},
      {"--name 'out/{QTH}.adi' rover.adi", 2, false,
       "option --name: a path separator ('/' or '\\') in the template\n"},
      {"--name '..\\{QTH}' rover.adi", 2, false,
       "option --name: a path separator ('/' or '\\') in the template\n"},
      {"--name '{QTH}:x.adi' rover.adi", 2, false,
       "option --name: ':' cannot stand in a file name\n"},
      {"--name \"$(printf '{QTH}\\033.adi')\" rover.adi", 2, false,
       "option --name: byte 0x1b cannot stand in a file name\n"},
      {"--name '{QTH.adi' rover.adi", 2, false,
       "option --name: a '{' without its '}' in the template\n"},
      {"--name '{QTH}}.adi' rover.adi", 2, false,
       "option --name: a '}' without its '{' in the template\n"},
      {"--name '{MY:GRID}.adi' rover.adi", 2, false, "option --name: {MY:GRID} names no field\n"},
      {"--name '{}.adi' rover.adi", 2, false, "option --name: {} names no field\n"},
      {"--each=yes rover.adi", 2, false, "option --each takes no value\n"},
      {"--dry-run=1 rover.adi", 2, false, "option --dry-run takes no value\n"},
      {"-b MY_GRIDSQUARE rover.adi", 2, false, "unknown option -b\n"},
      // A dry run writes nothing, so its folder may be one still to be made
      // (it is not made: the input stays the only file), but not a file.
      {"--dry-run -o missing rover.adi", 0, true, "Would write    3 QSOs to rover_FN42.adi\n"},
      {"--dry -o rover.adi rover.adi", 2, false, "output folder rover.adi: Not a directory\n"},
      {"--help", 0, true, "Usage: varnel-split [OPTION]... FILE...\n"},
      {"--help", 0, true, "      --name=TEMPLATE   name the output files by TEMPLATE"},
      {"-h rover.adi", 0, true, "  -o, --output-dir=DIR  "},
      {"--he", 0, true, "Usage: varnel-split"},
      {"--version", 0, true, "varnel-split 1.1\n"},
      {"-V", 0, true, "varnel-split 1.1\n"},
      {"--help >/dev/full", 1, true, ""},
      {"--version >/dev/full", 1, true, ""},
      {"missing.adi", 1, false, "Error opening missing.adi: "},
      {"missing.adi other.adi", 1, false, "Error opening other.adi: "},
      {deep.c_str(), 1, false, deep_error.c_str()},
      // Names from the command line show their controls as escapes.
      {"\"$(printf 'a\\033[2Jb.adi')\"", 1, false, "Error opening a\\x1b[2Jb.adi: "},
      {"--\"$(printf 'x\\033')\" rover.adi", 2, false, "unknown option --x\\x1b\n"},
  };
  const fs::path work = golden::make_temp_folder("cli-usage");
  ASSERT_FALSE(work.empty());
  fs::copy(golden::root() / "interleaved_qths" / "rover.adi", work / "rover.adi");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    Outcome run = run_in(work, "(" + binary + " " + c.args + ")");
    EXPECT_EQ(c.exit_code, run.exit_code);
    const std::string& shown = c.on_stdout ? run.out : run.err;
    EXPECT_NE(shown.find(c.text), std::string::npos) << shown;
    EXPECT_EQ("", c.on_stdout ? run.err : run.out);
    // A usage error is one line naming the problem and a pointer to --help.
    if (c.exit_code == 2) {
      EXPECT_EQ(std::string("varnel-split: ") + c.text +
                    "Try 'varnel-split --help' for more information.\n",
                run.err);
    }
    // No run above may split: the only file is still the input.
    EXPECT_EQ(1u, golden::files_under(work).size());
  }
  Outcome missing = run_in(work, binary + " missing.adi");
  EXPECT_EQ(std::string("Error opening missing.adi: ") + std::strerror(ENOENT) + "\n", missing.err);
  fs::remove_all(work);
}

// Options stand anywhere among the logs even where POSIXLY_CORRECT asks a
// program to stop reading options at the first FILE.
TEST(VarnelSplit, OptionsAfterTheLogsCountWhateverPosixlyCorrectSays) {
  const struct {
    const char* args;
    const char* err;
  } cases[] = {
      {"rover.adi -fn", "--overwrite and --skip-existing exclude each other\n"},
      {"rover.adi --o", "ambiguous option --o (--overwrite, --output-dir)\n"},
  };
  const fs::path work = golden::make_temp_folder("cli-posixly");
  ASSERT_FALSE(work.empty());
  fs::copy(golden::root() / "interleaved_qths" / "rover.adi", work / "rover.adi");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    Outcome run = run_in(work, "POSIXLY_CORRECT=1 " + binary + " " + c.args);
    EXPECT_EQ(2, run.exit_code);
    EXPECT_EQ(
        std::string("varnel-split: ") + c.err + "Try 'varnel-split --help' for more information.\n",
        run.err);
    EXPECT_EQ(1u, golden::files_under(work).size());
  }
  fs::remove_all(work);
}

// Short options, several logs in one run and an output folder. Every file
// that was there before the run keeps its bytes (the row's `changed` file
// aside), and the files afterwards are exactly those listed.
TEST(VarnelSplit, OptionFormsSeveralLogsAndOutputFolder) {
  struct Case {
    const char* setup;  // shell commands run in the work folder after the common ones
    const char* args;   // varnel-split's arguments and redirections
    int exit_code;
    const char* out;                // standard output, exactly
    const char* err_has;            // null: standard error stays empty
    const char* files;              // every file afterwards; NAME:CALL holds the one QSO of CALL
    const char* changed = nullptr;  // a file there before that may change
  };
  // log FILE CALL QTH writes a log of one QSO.
  const std::string common =
      "log() { printf '<EOH>\\r\\n<CALL:4>%s <APP_N1MM_ROVERQTH:4>%s <EOR>\\r\\n' \"$2\" \"$3\" "
      ">\"$1\"; }; log a.adi K1AA FN31; log b.adi K1BB FN42; ";
  const char* both =
      "==> a.adi <==\nWrote    1 QSOs to a_FN31.adi\n\n"
      "==> b.adi <==\nWrote    1 QSOs to b_FN42.adi\n\n";
  const char* a_only = "Wrote    1 QSOs to a_FN31.adi\n\n";
  const char* none = "Did not create any output files!\n\n";
  const char* a_then_a_txt_refused =
      "==> a.adi <==\nWrote    1 QSOs to a_FN31.adi\n\n"
      "==> a.txt <==\nDid not create any output files!\n\n";
  const Case cases[] = {
      {"printf old >a_FN31.adi", "-f a.adi", 0, a_only, nullptr, "a.adi a_FN31.adi:K1AA b.adi",
       "a_FN31.adi"},
      {"printf old >a_FN31.adi", "-n a.adi b.adi", 1,
       "==> a.adi <==\nDid not create any output files!\n\n"
       "==> b.adi <==\nWrote    1 QSOs to b_FN42.adi\n\n",
       nullptr, "a.adi a_FN31.adi b.adi b_FN42.adi:K1BB"},
      {"log -x.adi K1XX FN31", "-f -- -x.adi", 0, "Wrote    1 QSOs to -x_FN31.adi\n\n", nullptr,
       "-x.adi -x_FN31.adi:K1XX a.adi b.adi"},
      {"", "a.adi b.adi", 0, both, nullptr, "a.adi a_FN31.adi:K1AA b.adi b_FN42.adi:K1BB"},
      {"", "a.adi missing.adi b.adi", 1, both,
       "Error opening missing.adi: ", "a.adi a_FN31.adi:K1AA b.adi b_FN42.adi:K1BB"},
      // Cancel (nobody to answer for b_FN42.adi) ends the run before c.adi.
      {"printf old >b_FN42.adi; log c.adi K1CC FN43", "a.adi b.adi c.adi", 1,
       "==> a.adi <==\nWrote    1 QSOs to a_FN31.adi\n\n==> b.adi <==\n"
       "Did not create any output files!\n\n",
       "varnel-split: c.adi: not split, the run was cancelled\n",
       "a.adi a_FN31.adi:K1AA b.adi b_FN42.adi c.adi"},
      // An output of an earlier log, or another log of the run, is never written.
      {"log a.txt K1CC FN31", "-f a.adi a.txt ./a.adi", 1,
       "==> a.adi <==\nWrote    1 QSOs to a_FN31.adi\n\n==> a.txt <==\n"
       "Did not create any output files!\n\n==> ./a.adi <==\nDid not create any output files!\n\n",
       "Could not open output file ./a_FN31.adi\n", "a.adi a.txt a_FN31.adi:K1AA b.adi"},
      {"log b_FN42.adi K1DD FN31", "-f b.adi b_FN42.adi", 1,
       "==> b.adi <==\nDid not create any output files!\n\n"
       "==> b_FN42.adi <==\nWrote    1 QSOs to b_FN42_FN31.adi\n\n",
       "varnel-split: b_FN42.adi is another log or an earlier output of this run\n",
       "a.adi b.adi b_FN42.adi b_FN42_FN31.adi:K1DD"},
      // Such a file gets no question, nor the answer the options give to one:
      // nobody to ask would cancel the run, -n would keep it without a word.
      {"log a.txt K1CC FN31", "a.adi a.txt", 1, a_then_a_txt_refused,
       "varnel-split: a_FN31.adi is another log or an earlier output of this run\n"
       "Could not open output file a_FN31.adi\n",
       "a.adi a.txt a_FN31.adi:K1AA b.adi"},
      {"log a.txt K1CC FN31", "-n a.adi a.txt", 1, a_then_a_txt_refused,
       "varnel-split: a_FN31.adi is another log or an earlier output of this run\n"
       "Could not open output file a_FN31.adi\n",
       "a.adi a.txt a_FN31.adi:K1AA b.adi"},
      // The output folder, in every form; the names stay the log's.
      {"mkdir out", "-o out a.adi", 0, a_only, nullptr, "a.adi b.adi out/a_FN31.adi:K1AA"},
      {"mkdir out", "-foout a.adi", 0, a_only, nullptr, "a.adi b.adi out/a_FN31.adi:K1AA"},
      {"mkdir out sub && log sub/a.adi K1SS FN31", "--output-dir=out/ sub/a.adi", 0, a_only,
       nullptr, "a.adi b.adi out/a_FN31.adi:K1SS sub/a.adi"},
      {"mkdir out", "--output-dir out a.adi b.adi", 0, both, nullptr,
       "a.adi b.adi out/a_FN31.adi:K1AA out/b_FN42.adi:K1BB"},
      {"mkdir out", "-o out /dev/stdin <b.adi", 0, "Wrote    1 QSOs to stdin_FN42.adi\n\n", nullptr,
       "a.adi b.adi out/stdin_FN42.adi:K1BB"},
      // The outputs' protections hold in the folder as beside the log.
      {"mkdir out && ln -s ../a.adi out/a_FN31.adi", "-f -o out a.adi", 1, none,
       "Could not open output file out/a_FN31.adi\n", "a.adi b.adi"},  // links are not listed
      {"mkdir out && ln a.adi out/a_FN31.adi", "-f -o out a.adi", 1, none,
       "Could not open output file out/a_FN31.adi\n", "a.adi b.adi out/a_FN31.adi"},
      {"mkdir out sub && log sub/a.adi K1SS FN31", "-f -o out a.adi sub/a.adi", 1,
       "==> a.adi <==\nWrote    1 QSOs to a_FN31.adi\n\n"
       "==> sub/a.adi <==\nDid not create any output files!\n\n",
       "Could not open output file out/a_FN31.adi\n", "a.adi b.adi out/a_FN31.adi:K1AA sub/a.adi"},
      // A name's controls show as escapes, in the headings, the status lines
      // and the messages alike.
      {"log \"$(printf 'c\\033d.adi')\" K1CC FN31", "\"$(printf 'c\\033d.adi')\" a.adi", 0,
       "==> c\\x1bd.adi <==\nWrote    1 QSOs to c\\x1bd_FN31.adi\n\n"
       "==> a.adi <==\nWrote    1 QSOs to a_FN31.adi\n\n",
       nullptr,
       "a.adi a_FN31.adi:K1AA b.adi c\x1b"
       "d.adi c\x1b"
       "d_FN31.adi:K1CC"},
      {"mkdir \"$(printf 'o\\033ut')\" && printf old >\"$(printf 'o\\033ut')/a_FN31.adi\"",
       "-o \"$(printf 'o\\033ut')\" a.adi", 1, none,
       "varnel-split: o\\x1but/a_FN31.adi already exists; run again with --overwrite",
       "a.adi b.adi o\x1b"
       "ut/a_FN31.adi"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.setup) + " / " + c.args);
    const fs::path work = golden::make_temp_folder("cli-runs");
    ASSERT_FALSE(work.empty());
    ASSERT_EQ(0, run_in(work, "(" + common + c.setup + ")").exit_code);
    const std::map<std::string, std::string> before = golden::files_under(work);

    Outcome run = run_in(work, "(" + binary + " " + c.args + ")");

    EXPECT_EQ(c.exit_code, run.exit_code);
    EXPECT_EQ(c.out, run.out);
    if (c.err_has) {
      EXPECT_NE(run.err.find(c.err_has), std::string::npos) << run.err;
    } else {
      EXPECT_EQ("", run.err);
    }
    const std::map<std::string, std::string> after = golden::files_under(work);
    for (const auto& file : before) {
      if (c.changed == nullptr || file.first != c.changed) {
        EXPECT_EQ(file.second, after.count(file.first) ? after.at(file.first) : "") << file.first;
      }
    }
    std::vector<std::string> names;
    std::istringstream listed(c.files);
    for (std::string name; listed >> name;) {
      const std::size_t colon = name.find(':');
      if (colon != std::string::npos) {
        const std::string call = name.substr(colon + 1);
        name.resize(colon);
        EXPECT_EQ("<EOH>\r\n<CALL:4>" + call + " <EOR>\r\n",
                  after.count(name) ? after.at(name) : "(missing)")
            << name;
      }
      names.push_back(name);
    }
    std::vector<std::string> present;
    for (const auto& file : after) present.push_back(file.first);
    EXPECT_EQ(names, present);
    fs::remove_all(work);
  }
}

// Output names that are no plain new file, and runs with closed standard
// streams or a file-size limit: the input is never changed, nothing is written
// through a link, nothing hangs, and every failure is reported with exit 1.
TEST(VarnelSplit, OutputsThatMustNotBeWrittenAreReported) {
  struct Case {
    const char* setup;    // shell commands run in the work folder first
    const char* command;  // what runs, VARNEL standing for varnel-split
    int exit_code;
    const char* err_has;
    const char* out_has;
    const char* absent = nullptr;      // nothing may be made there
    const char* fn31_bytes = nullptr;  // rover_FN31.adi's bytes afterwards
  };
  const std::string long_qth =
      "printf '<CALL:4>K1LN <APP_N1MM_ROVERQTH:250>%0250d <EOR>\\r\\n' 0 >>rover.adi";
  // Too long for the text: the start and the end of the name and the line end still show.
  const std::string long_name_error = "Could not open output file rover_" + std::string(42, '0') +
                                      "..." + std::string(44, '0') + ".adi\n";
  const Case cases[] = {
      {"ln -s rover.adi rover_FN42.adi", "VARNEL --overwrite rover.adi", 1,
       "Could not open output file rover_FN42.adi\n", "Wrote    2 QSOs to rover_FN31.adi"},
      {"ln rover.adi rover_FN42.adi", "VARNEL --overwrite rover.adi", 1,
       "Could not open output file rover_FN42.adi\n", "Wrote    2 QSOs to rover_FN31.adi"},
      {"mkdir away && ln -s away/planted.adi rover_FN31.adi", "VARNEL rover.adi", 1,
       "rover_FN31.adi already exists", "", "away/planted.adi"},
      {"mkdir away && ln -s away/planted.adi rover_FN31.adi", "VARNEL --overwrite rover.adi", 1,
       "Could not open output file rover_FN31.adi\n", "Wrote    2 QSOs to rover_FN42.adi",
       "away/planted.adi"},
      // Files with other names: a pair of output names, a snapshot elsewhere.
      {"printf old >rover_FN31.adi && ln rover_FN31.adi rover_FN42.adi",
       "VARNEL --overwrite rover.adi", 1, "Could not open output file rover_FN31.adi\n",
       "Wrote    1 QSOs to rover_EN91.adi\n\n", nullptr, "old"},
      {"mkdir snapshot && printf old >snapshot/rover_FN31.adi && "
       "ln snapshot/rover_FN31.adi rover_FN31.adi",
       "VARNEL --overwrite rover.adi", 1, "Could not open output file rover_FN31.adi\n",
       "Wrote    2 QSOs to rover_FN42.adi", nullptr, "old"},
      // Standard output is an output: it gets the status lines, not records.
      {"true", "VARNEL --overwrite rover.adi >rover_FN31.adi", 1,
       "Could not open output file rover_FN31.adi\n", "", nullptr,
       "Wrote    1 QSOs to rover_EN91.adi\nWrote    2 QSOs to rover_FN42.adi\n\n"},
      {"mkfifo rover_FN31.adi", "timeout 10 VARNEL --overwrite rover.adi", 1,
       "Could not open output file rover_FN31.adi\n", "Wrote    2 QSOs to rover_FN42.adi"},
      {long_qth.c_str(), "VARNEL rover.adi", 1, long_name_error.c_str(), "Wrote    2 QSOs"},
      {long_qth.c_str(), "VARNEL --skip-existing rover.adi", 1, long_name_error.c_str(), ""},
      // The question about rover_FN42.adi comes while rover_FN31.adi is open.
      {"printf old >rover_FN42.adi", "VARNEL rover.adi <&- 2>&-", 1, "", "Wrote    1 QSOs", nullptr,
       "<EOH>\r\n<CALL:5>K1ABC <EOR>\r\n"},
      {"printf old >rover_FN42.adi", "VARNEL rover.adi >&- 2>&-", 1, "", "", nullptr,
       "<EOH>\r\n<CALL:5>K1ABC <EOR>\r\n"},
      {"for i in $(seq 100 299); do printf '<CALL:4>K%d <APP_N1MM_ROVERQTH:4>FN31 <EOR>\\r\\n' $i; "
       "done >>rover.adi",
       "ulimit -f 2; VARNEL rover.adi", 1, "",
       "ERROR: Could not write all 202 QSOs to rover_FN31.adi"},
      // Output to a pipe nobody reads any more (fd 5): the split goes on
      // after a message it could not write, and exits 1.
      {"ln -s rover.adi rover_FN42.adi && mkfifo pipe",
       "exec 4<>pipe 5>pipe 4<&-; VARNEL --overwrite rover.adi >&5 2>&5", 1, "", "", nullptr,
       "<EOH>\r\n<CALL:5>K1ABC <EOR>\r\n<CALL:6>N3QQTX <EOR>\r\n"},
      {"mkfifo pipe", "exec 4<>pipe 5>pipe 4<&-; VARNEL rover.adi >&5", 1, "", "", nullptr,
       "<EOH>\r\n<CALL:5>K1ABC <EOR>\r\n<CALL:6>N3QQTX <EOR>\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.setup) + " / " + c.command);
    const fs::path work = golden::make_temp_folder("cli-hostile");
    ASSERT_FALSE(work.empty());
    fs::copy(golden::root() / "existing_cancel" / "rover.adi", work / "rover.adi");
    ASSERT_EQ(0, run_in(work, std::string("(") + c.setup + ")").exit_code);
    const std::string input = golden::read_bytes(work / "rover.adi");
    std::string command = c.command;
    command.replace(command.find("VARNEL"), 6, binary);

    Outcome run = run_in(work, "(" + command + ")");

    EXPECT_EQ(c.exit_code, run.exit_code);
    EXPECT_NE(run.err.find(c.err_has), std::string::npos) << run.err;
    EXPECT_NE(run.out.find(c.out_has), std::string::npos) << run.out;
    EXPECT_EQ(input, golden::read_bytes(work / "rover.adi"));
    if (c.absent) {
      EXPECT_FALSE(fs::exists(fs::symlink_status(work / c.absent)));
    }
    if (c.fn31_bytes) {
      EXPECT_EQ(c.fn31_bytes, golden::read_bytes(work / "rover_FN31.adi"));
    }
    fs::remove_all(work);
  }
}

// A log of 20,000 QTHs under a limit of 1,024 open files: every QTH gets its
// file, whole, the outputs closed and reopened as they take turns, and the
// status lines are those of any split.
TEST(VarnelSplit, MoreQthsThanOpenFilesAreAllWritten) {
  constexpr int kQths = 20000;
  // Many small files: in memory where the system has a folder for that, so
  // that the test waits on the turns of the descriptors, not on a busy disk.
  const bool in_memory = fs::is_directory("/dev/shm") && access("/dev/shm", W_OK) == 0;
  const fs::path work = golden::make_temp_folder("cli-many", in_memory ? "/dev/shm" : "");
  ASSERT_FALSE(work.empty());
  // Two rounds in the same order: in the second, every output must be
  // reopened, and the one it closes to make room is the next one needed.
  auto record = [](int qth, const char* call) {
    const std::string name = "Q" + std::to_string(qth);
    return "<CALL:" + std::to_string(std::strlen(call)) + ">" + call +
           " <APP_N1MM_ROVERQTH:" + std::to_string(name.size()) + ">" + name + " <EOR>\r\n";
  };
  {
    std::ofstream log(work / "rover.adi", std::ios::binary);
    for (const char* call : {"K1AA", "W9ZZZ"})
      for (int i = 0; i < kQths; ++i) log << record(i, call);
  }
  Outcome run = run_in(work, "ulimit -n 1024 && " + binary + " rover.adi");

  EXPECT_EQ(0, run.exit_code);
  EXPECT_EQ("", run.err.substr(0, 200));
  std::istringstream lines(run.out);
  std::string line;
  std::map<std::string, int> wrote;
  while (std::getline(lines, line) && !line.empty()) wrote[line] += 1;
  EXPECT_EQ(wrote.size(), static_cast<std::size_t>(kQths)) << run.out.substr(0, 200);
  int whole = 0;
  for (int i = 0; i < kQths; ++i) {
    const std::string name = "rover_Q" + std::to_string(i) + ".adi";
    whole +=
        wrote.count("Wrote    2 QSOs to " + name) == 1 &&
        golden::read_bytes(work / name) == "<EOH>\r\n<CALL:4>K1AA <EOR>\r\n<CALL:5>W9ZZZ <EOR>\r\n";
  }
  EXPECT_EQ(kQths, whole);
  fs::remove_all(work);
}

// Where the input's size cannot be known (a pipe), a corrupt length gathers
// the rest of the log, and a record whose <EOR> is misspelt never ends; when
// memory runs out, that ends the input like a read error instead of
// aborting, and what was written is kept and reported.
TEST(VarnelSplit, RunningOutOfMemoryOnAPipedLogIsAReadError) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer reserves more address space than the limit leaves";
#endif
  struct Case {
    const char* rest;  // what follows a first QSO of FN31 on the pipe
    const char* line;
  };
  const Case cases[] = {
      {"printf '<CALL:4>K1AB <NOTES:2147483647>x\r\n';"
       "yes 0123456789012345678901234567890123456789",
       "ERROR: Not enough memory to read all of rover.adi"},
      {"yes '<CALL:4>K1AB <APP_N1MM_ROVERQTH:4>FN31 <EOR/>'",
       "ERROR: Not enough memory to read all of rover.adi"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const fs::path work = golden::make_temp_folder("cli-memory");
    ASSERT_FALSE(work.empty());
    const std::string command =
        "mkfifo rover.adi && "
        "( { printf '<CALL:4>K1AA <APP_N1MM_ROVERQTH:4>FN31 <EOR>\r\n'; { " +
        std::string(c.rest) + "; } | head -c 400000000; } >rover.adi & ) && ulimit -v 150000 && " +
        binary + " rover.adi";
    Outcome run = run_in(work, "(" + command + ")");
    EXPECT_EQ(1, run.exit_code) << run.err;
    EXPECT_NE(run.out.find(c.line), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Wrote    1 QSOs to rover_FN31.adi"), std::string::npos) << run.out;
    EXPECT_EQ("<EOH>\r\n<CALL:4>K1AA <EOR>\r\n", golden::read_bytes(work / "rover_FN31.adi"));
    fs::remove_all(work);
  }
}

// SIGINT, SIGTERM or SIGHUP at the overwrite question or while the log comes
// through a pipe end the split as Cancel does: every file written so far is
// closed after its last whole record and reported, with an error line, and
// the exit status is 128 + the signal's number.
TEST(VarnelSplit, InterruptEndsTheSplitAsCancelDoes) {
  const bool have_terminal = std::system("script -qec true /dev/null >/dev/null 2>&1") == 0;
  const std::string record = "<CALL:4>K1AA <APP_N1MM_ROVERQTH:4>FN31 <EOR>\r\n";
  // The split itself runs with the default signal actions, whatever the
  // test was started with; `pid` gets its process id. `dollar` is $ as the
  // shell must see it there.
  auto run_split = [](const std::string& dollar) {
    return "env --default-signal=INT,TERM,HUP sh -c 'echo " + dollar + dollar + " >pid; exec " +
           binary + " rover.adi'";
  };
  struct Case {
    int signal;
    bool at_question;  // else while the split waits for more of a piped log
  };
  const Case cases[] = {{SIGINT, true}, {SIGHUP, true}, {SIGTERM, false}, {SIGINT, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.signal) + (c.at_question ? " at the question" : " mid-split"));
    if (c.at_question && !have_terminal) continue;  // script(1) gives the terminal
    const fs::path work = golden::make_temp_folder("cli-interrupt");
    ASSERT_FALSE(work.empty());
    const std::string kill_when = " 2>/dev/null && break; sleep 0.05; done; kill -" +
                                  std::to_string(c.signal) + " $(cat pid)) & ";
    std::string command;
    if (c.at_question) {
      fs::copy(golden::root() / "existing_cancel" / "rover.adi", work / "rover.adi");
      std::ofstream(work / "rover_FN42.adi", std::ios::binary) << "old";
      // Standard input stays open without an answer, so the question waits.
      command = "mkfifo hold; exec 3<>hold; (for i in $(seq 400); do grep -q overwrite tty.txt" +
                kill_when + "timeout 60 script -qec \"" + run_split("\\$") +
                "\" /dev/null <hold >tty.txt";
    } else {
      // More than the reader's buffer, then a record cut short, and the
      // writer waits: the split stops where the pipe ran dry.
      command = "mkfifo rover.adi; (for i in $(seq 2000); do printf '" + record +
                "'; done; printf '<CALL:4>K1AC'; exec sleep 30) >rover.adi & writer=$!; "
                "(for i in $(seq 400); do [ -e rover_FN31.adi ]" +
                kill_when + run_split("$") + "; status=$?; kill $writer; exit $status";
    }
    Outcome run = run_in(work, "(" + command + ")");
    if (c.at_question) run.out = golden::read_bytes(work / "tty.txt");

    EXPECT_EQ(128 + c.signal, run.exit_code) << run.err;
    EXPECT_NE(run.out.find("ERROR: Interrupted before the end of the log"), std::string::npos)
        << run.out;
    const std::string fn31 = golden::read_bytes(work / "rover_FN31.adi");
    if (c.at_question) {
      EXPECT_NE(run.out.find("Wrote    1 QSOs to rover_FN31.adi"), std::string::npos) << run.out;
      EXPECT_EQ("<EOH>\r\n<CALL:5>K1ABC <EOR>\r\n", fn31);
      EXPECT_EQ("old", golden::read_bytes(work / "rover_FN42.adi"));
      EXPECT_FALSE(fs::exists(work / "rover_EN91.adi"));
    } else {
      const std::size_t at = run.out.find("Wrote ");
      const int written = at == std::string::npos ? 0 : std::atoi(run.out.c_str() + at + 6);
      EXPECT_GT(written, 0) << run.out;
      EXPECT_LT(written, 2000);
      std::string expected = "<EOH>\r\n";
      for (int i = 0; i < written; ++i) expected += "<CALL:4>K1AA <EOR>\r\n";
      EXPECT_EQ(expected, fn31);
    }
    fs::remove_all(work);
  }
}

// On a terminal the overwrite question is asked there; an unknown answer is
// asked again. Uses script(1) for the terminal and skips without it.
TEST(VarnelSplit, AsksOnTerminal) {
  if (std::system("script -qec true /dev/null >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "script(1) is not available";
  struct Case {
    const char* typed;
    const char* same_as;  // the golden case whose results the answers give
    int prompts;
  };
  const Case cases[] = {
      {"maybe\nYes\n", "existing_overwrite", 2},
      {"n\n", "existing_skip", 1},
      {"x\nc\n", "existing_cancel", 2},
      {"", "existing_cancel", 1},  // end of input cancels
  };
  const std::string prompt =
      "Are you sure you want to overwrite rover_FN42.adi [y]es/[n]o/[c]ancel? ";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    const fs::path case_dir = golden::root() / c.same_as;
    const fs::path work = golden::make_temp_folder("cli-tty");
    ASSERT_FALSE(work.empty());
    golden::prepare(case_dir, work);
    const fs::path typed = work.string() + ".typed";
    std::ofstream(typed, std::ios::binary) << c.typed;

    Outcome run =
        run_in(work, "script -qec \"" + binary + " rover.adi\" /dev/null", typed.string());

    EXPECT_EQ(std::atoi(golden::first_line(case_dir / "exit_code").c_str()), run.exit_code);
    size_t prompts = 0;
    for (size_t at = 0; (at = run.out.find(prompt, at)) != std::string::npos; at += prompt.size())
      ++prompts;
    EXPECT_EQ(static_cast<size_t>(c.prompts), prompts) << run.out;
    golden::expect_same_files(golden::files_under(case_dir / "after"), golden::outputs(work));
    fs::remove(typed);
    fs::remove_all(work);
  }
}

// A log that its logging program is still writing: while the split waits
// at a question, the program finishes the last record and appends another.
// The split covers the log as it stood when it was read: the cut record is
// reported, and nothing appended later is taken in.
TEST(VarnelSplit, LogStillBeingWrittenIsSplitAsItStood) {
  if (std::system("script -qec true /dev/null >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "script(1) is not available";
  const fs::path work = golden::make_temp_folder("cli-growing");
  ASSERT_FALSE(work.empty());
  const std::string command =
      "printf '<CALL:5>K1ABC <APP_N1MM_ROVERQTH:4>FN42 <EOR>\\r\\n"
      "<CALL:5>K9XYZ <APP_N1MM_ROVERQTH:4>FN42 <BA' >rover.adi && printf old >rover_FN42.adi && "
      "mkfifo answers && { script -qec \"" +
      binary +
      " rover.adi\" /dev/null <answers >shown & } "
      "&& exec 3>answers && "
      "for i in $(seq 100); do grep -q overwrite shown && break; sleep 0.1; done && "
      "printf 'ND:2>2M <EOR>\\r\\n<CALL:5>K8BBB <APP_N1MM_ROVERQTH:4>FN31 <EOR>\\r\\n' >>rover.adi "
      "&& printf 'y\\n' >&3 && exec 3>&- && wait $! ; status=$?; cat shown; exit $status";
  Outcome run = run_in(work, "(" + command + ")");
  EXPECT_EQ(1, run.exit_code) << run.out << run.err;
  EXPECT_NE(run.out.find("ERROR: Input ended before the <EOR> of the last record"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("Wrote    1 QSOs to rover_FN42.adi"), std::string::npos) << run.out;
  EXPECT_EQ("<EOH>\r\n<CALL:5>K1ABC <EOR>\r\n", golden::read_bytes(work / "rover_FN42.adi"));
  EXPECT_FALSE(fs::exists(work / "rover_FN31.adi"));
  fs::remove_all(work);
}

}  // namespace
