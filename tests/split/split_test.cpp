#include "split/split.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "failing_streams.h"
#include "fake_host.h"
#include "split/split_settings.h"
#include "temp_dir.h"

namespace {

using Files = std::map<std::string, std::string>;
using Lines = std::vector<std::string>;

// One whole split of `input` from rover.adi in a fresh folder, closed as the
// Split command closes it.
struct SplitRun {
  void run(const std::string& input) {
    ASSERT_TRUE(dir.ok());
    const std::string path = dir / "rover.adi";
    write_bytes(path, input);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    host.input = file;
    testing::internal::CaptureStderr();
    SplitResult result = split_log(file, path.c_str(), host, nullptr, nullptr, settings);
    stderr_text = testing::internal::GetCapturedStderr();
    std::fclose(file);
    status = std::move(result.status);
    closed = result.files;
    cancelled = result.cancelled;
    left_out = result.left_out;
  }
  // Every file in the folder but the input, by name.
  Files outputs() const {
    Files files;
    for (const auto& item : std::filesystem::directory_iterator(dir.path()))
      if (item.path().filename() != "rover.adi")
        files[item.path().filename().string()] = read_bytes(item.path().string());
    return files;
  }

  TempDir dir;
  FakeHost host;
  StatusLists status;
  std::string stderr_text;
  int32_t closed = -1;
  bool cancelled = false;
  int64_t left_out = -1;
  const SplitSettings* settings = nullptr;  // null: the window's split
};

const std::string kRecordA = "<CALL:2>K1 <APP_N1MM_ROVERQTH:1>A <EOR>\r\n";
const std::string kWrittenA = "<CALL:2>K1 <EOR>\r\n";

TEST(SplitByQth, RecordsGoToTheFileOfTheirQth) {
  struct Case {
    const char* what;
    std::string input;
    Files files;
  } cases[] = {
      {"header fields never reach a record",
       "Log export\r\n<ADIF_VER:5>3.1.0 <PROGRAMID:4>TEST\r\n<EOH>\r\n<CALL:6>N0CALL "
       "<APP_N1MM_ROVERQTH:2>ME <EOR>\r\n",
       {{"rover_ME.adi", "<EOH>\r\n<CALL:6>N0CALL <EOR>\r\n"}}},
      {"ROVERQTH wins over MYCTY",
       "<CALL:2>K1 <APP_WRITELOG_MYCTY:2>WW <APP_N1MM_ROVERQTH:2>RR <EOR>\r\n"
       "<CALL:2>K2 <app_writelog_mycty:2>WW <EOR>\r\n",
       {{"rover_RR.adi", "<EOH>\r\n<CALL:2>K1 <EOR>\r\n"},
        {"rover_WW.adi", "<EOH>\r\n<CALL:2>K2 <EOR>\r\n"}}},
      {"empty ROVERQTH still decides",
       "<CALL:2>K1 <APP_N1MM_ROVERQTH:0> <APP_WRITELOG_MYCTY:2>WW <EOR>\r\n",
       {{"rover_.adi", "<EOH>\r\n<CALL:2>K1 <EOR>\r\n"}}},
      {"records without a QTH are dropped",
       "<CALL:2>K0 <EOR>\r\n<EOR>\r\n" + kRecordA + "<CALL:2>K2 <APP_X_ROVERQTH:1>A <EOR>\r\n",
       {{"rover_A.adi", "<EOH>\r\n" + kWrittenA}}},
      {"fields without a QTH after the last end of record are dropped quietly",
       kRecordA + "<CALL:2>K9 <BAND:2>2M\r\n",
       {{"rover_A.adi", "<EOH>\r\n" + kWrittenA}}},
      {"last line without a line end is read",
       kRecordA + "<CALL:2>K2 <APP_N1MM_ROVERQTH:1>A <EOR>",
       {{"rover_A.adi", "<EOH>\r\n" + kWrittenA + "<CALL:2>K2 <EOR>\r\n"}}},
      {"no record, no file", "<ADIF_VER:5>3.1.0 <EOH>\r\n", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SplitRun split;
    split.run(c.input);
    EXPECT_EQ(split.outputs(), c.files);
    EXPECT_EQ(split.closed, static_cast<int32_t>(c.files.size()));
    EXPECT_TRUE(split.host.asked.empty());
    EXPECT_EQ(split.stderr_text, "");
    EXPECT_EQ(split.status.heads[1], nullptr);
    // Only a split that wrote nothing says so, as its one error.
    EXPECT_EQ(status_lines(split.status).front() == "Did not create any output files!",
              c.files.empty());
  }
}

TEST(SplitByQth, CancelAtTheSecondQthKeepsTheFirstFile) {
  SplitRun split;
  write_bytes(split.dir / "rover_B.adi", "old");
  split.host.answers = {Answer::kCancel};
  split.run(kRecordA + "<CALL:2>K2 <APP_N1MM_ROVERQTH:1>B <EOR>\r\n" + kRecordA);
  EXPECT_EQ(split.outputs(),
            (Files{{"rover_A.adi", "<EOH>\r\n" + kWrittenA}, {"rover_B.adi", "old"}}));
  EXPECT_EQ(split.host.asked.size(), 1u);
  EXPECT_EQ(status_lines(split.status), (Lines{"Wrote    1 QSOs to rover_A.adi", ""}));
}

// A stop asked for between lines, or at a question (which the host then
// answers Cancel), ends the split as Cancel does, with a line saying so: the
// first file keeps its whole records.
TEST(SplitByQth, StopRequestEndsTheSplitAsCancelDoes) {
  struct Case {
    const char* what;
    int stop_at_look;
    bool stop_when_asked;
  } cases[] = {{"before the third line", 3, false}, {"at the question about B", 0, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SplitRun split;
    write_bytes(split.dir / "rover_B.adi", "old");
    split.host.stop_at_look = c.stop_at_look;
    split.host.stop_when_asked = c.stop_when_asked;
    split.run(kRecordA + kRecordA + "<CALL:2>K2 <APP_N1MM_ROVERQTH:1>B <EOR>\r\n" + kRecordA);
    EXPECT_EQ(split.outputs(), (Files{{"rover_A.adi", "<EOH>\r\n" + kWrittenA + kWrittenA},
                                      {"rover_B.adi", "old"}}));
    EXPECT_EQ(split.host.asked.size(), c.stop_when_asked ? 1u : 0u);
    EXPECT_EQ(status_lines(split.status), (Lines{"ERROR: Interrupted before the end of the log", "",
                                                 "Wrote    2 QSOs to rover_A.adi", ""}));
  }
}

TEST(SplitByQth, TruncatedLineStopsTheSplitAndIsReported) {
  SplitRun split;
  // Lines of any length are read; a NUL byte is what truncates one.
  const std::string nul_line = std::string(1100, 'x') + "\r\n<CALL:2>K3" + std::string("\0y", 2);
  split.run(kRecordA + "<CALL:2>K2 <APP_N1MM_ROVERQTH:1>A\r\n" + nul_line + "\r\n<EOR>\r\n" +
            kRecordA);
  EXPECT_EQ(split.outputs(), (Files{{"rover_A.adi", "<EOH>\r\n" + kWrittenA}}));
  EXPECT_EQ(split.stderr_text, "ERROR:\tUnrecognized status 4 returned from parse_ADIF()\n");
  EXPECT_EQ(status_lines(split.status), (Lines{"ERROR: Truncated input line: <CALL:2>K3", "",
                                               "Wrote    1 QSOs to rover_A.adi", ""}));
}

TEST(SplitByQth, DuplicateFieldIsReportedAsAWarningAtTheEnd) {
  SplitRun split;
  split.run(
      "<CALL:2>K1 <CALL:2>K2 <APP_N1MM_ROVERQTH:1>A <EOR>\r\n<BAND:3>20M <BAND:2>6M <EOR>\r\n");
  EXPECT_EQ(split.outputs(), (Files{{"rover_A.adi", "<EOH>\r\n" + kWrittenA}}));
  EXPECT_EQ(split.stderr_text, "");
  EXPECT_EQ(status_lines(split.status),
            (Lines{"Duplicate field: <BAND:2>6M", "", "Wrote    1 QSOs to rover_A.adi", ""}));
}

TEST(SplitByQth, TwoQthsNamingOneFileNeverWriteItTwice) {
  SplitRun split;
  split.host.answers = {Answer::kOk};
  split.run(
      "<CALL:2>K1 <APP_N1MM_ROVERQTH:3>A/B <EOR>\r\n<CALL:2>K2 <APP_N1MM_ROVERQTH:3>A_B <EOR>\r\n"
      "<CALL:2>K3 <APP_N1MM_ROVERQTH:3>A/B <EOR>\r\n<CALL:2>K4 <APP_N1MM_ROVERQTH:3>A_B <EOR>\r\n");
  ASSERT_EQ(split.host.asked.size(), 1u);
  EXPECT_EQ(split.host.asked[0].text,
            "Could not open output file " + (split.dir / "rover_A_B.adi") + "\n");
  EXPECT_EQ(split.host.asked[0].caption, "Error");
  EXPECT_EQ(split.outputs(),
            (Files{{"rover_A_B.adi", "<EOH>\r\n<CALL:2>K1 <EOR>\r\n<CALL:2>K3 <EOR>\r\n"}}));
  EXPECT_EQ(status_lines(split.status), (Lines{"Wrote    2 QSOs to rover_A_B.adi", ""}));
}

// Under a host's limit on open outputs, the one written least recently is
// closed and reopened for its next record: every file gets the same bytes
// and lines as with no limit. A closed output whose name leads to another
// file by then gets the open-failure question, and that file is left alone.
TEST(SplitByQth, OutputsTakeTurnsUnderTheHostsLimit) {
  auto record = [](const char* call, const char* qth) {
    return std::string("<CALL:2>") + call + " <APP_N1MM_ROVERQTH:1>" + qth + " <EOR>\r\n";
  };
  const std::string input = record("K1", "A") + record("K2", "B") + record("K3", "A") +
                            record("K4", "C") + record("K5", "B") + record("K6", "A");
  const Files all{
      {"rover_A.adi", "<EOH>\r\n<CALL:2>K1 <EOR>\r\n<CALL:2>K3 <EOR>\r\n<CALL:2>K6 <EOR>\r\n"},
      {"rover_B.adi", "<EOH>\r\n<CALL:2>K2 <EOR>\r\n<CALL:2>K5 <EOR>\r\n"},
      {"rover_C.adi", "<EOH>\r\n<CALL:2>K4 <EOR>\r\n"}};
  const Lines wrote{"Wrote    3 QSOs to rover_A.adi", "Wrote    2 QSOs to rover_B.adi",
                    "Wrote    1 QSOs to rover_C.adi", ""};
  struct Case {
    const char* what;
    std::size_t most_open;
    bool replace_a;  // rover_A.adi moved away and another file made there before the third line
    Answer answer;   // to the open-failure question
    Files files;
    Lines lines;
  } cases[] = {
      {"one at a time", 1, false, Answer::kOk, all, wrote},
      {"two at a time", 2, false, Answer::kOk, all, wrote},
      {"all at once", 3, false, Answer::kOk, all, wrote},
      {"replaced, then OK",
       1,
       true,
       Answer::kOk,
       {{"rover_A.adi", "planted"},
        {"moved.adi", "<EOH>\r\n<CALL:2>K1 <EOR>\r\n"},
        *all.find("rover_B.adi"),
        *all.find("rover_C.adi")},
       {"Wrote    1 QSOs to rover_A.adi", "Wrote    2 QSOs to rover_B.adi",
        "Wrote    1 QSOs to rover_C.adi", ""}},
      {"replaced, then Cancel",
       1,
       true,
       Answer::kCancel,
       {{"rover_A.adi", "planted"},
        {"moved.adi", "<EOH>\r\n<CALL:2>K1 <EOR>\r\n"},
        {"rover_B.adi", "<EOH>\r\n<CALL:2>K2 <EOR>\r\n"}},
       {"Wrote    1 QSOs to rover_A.adi", "Wrote    1 QSOs to rover_B.adi", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SplitRun split;
    split.host.most_open = c.most_open;
    split.host.answers = {c.answer};
    const std::string a = split.dir / "rover_A.adi";
    if (c.replace_a) {
      // A's file lives on under another name, so no output made later can
      // come to have its identity.
      split.host.on_look = [&](int look) {
        if (look != 3) return;
        std::filesystem::rename(a, split.dir / "moved.adi");
        write_bytes(a, "planted");
      };
    }
    split.run(input);
    EXPECT_EQ(split.outputs(), c.files);
    EXPECT_EQ(status_lines(split.status), c.lines);
    EXPECT_EQ(split.cancelled, c.answer == Answer::kCancel && c.replace_a);
    ASSERT_EQ(split.host.asked.size(), c.replace_a ? 1u : 0u);
    if (c.replace_a) {
      EXPECT_EQ(split.host.asked[0].text, "Could not open output file " + a + "\n");
    }
  }
}

// varnel-split's settings: the fields a QTH comes from, named outputs, list
// QTHs, dry runs and the line for records left out.
TEST(SplitByQth, SettingsChooseTheQthTheNamesAndTheFiles) {
  struct Case {
    const char* what;
    const char* by;  // null: the default fields
    const char* name;
    bool each;
    bool dry_run;
    std::string input;
    Files files;
    Lines status;
    int64_t left_out;
    std::size_t questions;  // each answered OK
  } cases[] = {
      {"the first field named decides, even empty",
       "my_sota_ref,MY_WWFF_REF",
       "{QTH}.adi",
       false,
       false,
       "<CALL:2>K1 <MY_WWFF_REF:7>KFF-001 <MY_SOTA_REF:0> <EOR>\r\n"
       "<CALL:2>K2 <my_wwff_ref:7>KFF-001 <EOR>\r\n<CALL:2>K3 <APP_N1MM_ROVERQTH:1>A <EOR>\r\n",
       {{".adi", "<EOH>\r\n<CALL:2>K1 <MY_SOTA_REF:0> <MY_WWFF_REF:7>KFF-001 <EOR>\r\n"},
        {"KFF-001.adi", "<EOH>\r\n<CALL:2>K2 <MY_WWFF_REF:7>KFF-001 <EOR>\r\n"}},
       {"Wrote    1 QSOs to .adi", "Wrote    1 QSOs to KFF-001.adi",
        "Left out 1 QSOs without MY_SOTA_REF or MY_WWFF_REF", ""},
       1,
       0},
      {"an absent field is empty; records with one name share its file in input order",
       nullptr,
       "{CALL}-{QTH}.adi",
       false,
       false,
       "<CALL:2>K1 <APP_N1MM_ROVERQTH:1>A <EOR>\r\n<APP_N1MM_ROVERQTH:1>A <BAND:2>6M <EOR>\r\n"
       "<CALL:2>K1 <APP_N1MM_ROVERQTH:1>A <BAND:2>2M <EOR>\r\n",
       {{"-A.adi", "<EOH>\r\n<BAND:2>6M <EOR>\r\n"},
        {"K1-A.adi", "<EOH>\r\n<CALL:2>K1 <EOR>\r\n<BAND:2>2M <CALL:2>K1 <EOR>\r\n"}},
       {"Wrote    1 QSOs to -A.adi", "Wrote    2 QSOs to K1-A.adi", ""},
       0,
       0},
      {"names alike only once made safe never write one file twice",
       nullptr,
       "{CALL}.adi",
       false,
       false,
       "<CALL:3>A/B <APP_N1MM_ROVERQTH:1>A <EOR>\r\n<CALL:3>A:B <APP_N1MM_ROVERQTH:1>A <EOR>\r\n"
       "<CALL:3>A/B <APP_N1MM_ROVERQTH:1>B <EOR>\r\n",
       {{"A_B.adi", "<EOH>\r\n<CALL:3>A/B <EOR>\r\n<CALL:3>A/B <EOR>\r\n"}},
       {"Wrote    2 QSOs to A_B.adi", ""},
       0,
       1},
      {"a list QTH puts the record into each item's file once",
       "MY_POTA_REF",
       nullptr,
       true,
       false,
       "<CALL:2>K1 <MY_POTA_REF:24> K-0001 ,K-0002,,K-0001\t<EOR>\r\n"
       "<CALL:2>K2 <MY_POTA_REF:6>K-0002 <EOR>\r\n<CALL:2>K3 <MY_POTA_REF:3> , <EOR>\r\n"
       "<CALL:2>K4 <EOR>\r\n",
       {{"rover_K-0001.adi",
         "<EOH>\r\n<CALL:2>K1 <MY_POTA_REF:24> K-0001 ,K-0002,,K-0001\t <EOR>\r\n"},
        {"rover_K-0002.adi",
         "<EOH>\r\n<CALL:2>K1 <MY_POTA_REF:24> K-0001 ,K-0002,,K-0001\t <EOR>\r\n"
         "<CALL:2>K2 <MY_POTA_REF:6>K-0002 <EOR>\r\n"}},
       {"Wrote    1 QSOs to rover_K-0001.adi", "Wrote    2 QSOs to rover_K-0002.adi",
        "Left out 2 QSOs without MY_POTA_REF", ""},
       2,
       0},
      {"items that name one file give the record once",
       "MY_POTA_REF",
       "{CALL}.adi",
       true,
       false,
       "<CALL:2>K1 <MY_POTA_REF:13>K-0001,K-0002 <EOR>\r\n",
       {{"K1.adi", "<EOH>\r\n<CALL:2>K1 <MY_POTA_REF:13>K-0001,K-0002 <EOR>\r\n"}},
       {"Wrote    1 QSOs to K1.adi", ""},
       0,
       0},
      {"a dry run writes and asks nothing",
       nullptr,
       "{QTH}.adi",
       true,
       true,
       "<CALL:2>K1 <APP_N1MM_ROVERQTH:3>A,B <EOR>\r\n<CALL:2>K2 <APP_N1MM_ROVERQTH:3>A/C <EOR>\r\n"
       "<CALL:2>K3 <APP_N1MM_ROVERQTH:3>A:C <EOR>\r\n<CALL:2>K4 <APP_N1MM_ROVERQTH:3>A:C <EOR>\r\n",
       {{"A.adi", "old"}},
       {"Would not write 2 QSOs: another output is named A_C.adi", "",
        "Would write    1 QSOs to A.adi", "Would write    1 QSOs to A_C.adi",
        "Would write    1 QSOs to B.adi", ""},
       0,
       0},
      {"a dry run shortens a long name in the middle, never half a letter",
       nullptr,
       "{QTH}.adi",
       true,
       true,
       "<CALL:2>K1 <APP_N1MM_ROVERQTH:110>Полевой день ВКВ 2024 ровер RA3ABC окончательный "
       "журнал для ARRL FN42 <EOR>\r\n",
       {{"A.adi", "old"}},
       {"Would write    1 QSOs to Полевой день ВКВ 2024 ровер RA...ательный журнал для ARRL "
        "FN42.adi",
        ""},
       0,
       0},
      {"a dry run without outputs says so",
       nullptr,
       nullptr,
       false,
       true,
       "<CALL:2>K1 <EOR>\r\n",
       {{"A.adi", "old"}},
       {"Would not create any output files!", "",
        "Left out 1 QSOs without APP_N1MM_ROVERQTH or APP_WRITELOG_MYCTY", ""},
       1,
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SplitSettings settings;
    std::string error;
    if (c.by != nullptr) {
      ASSERT_TRUE(parse_field_list(c.by, settings.fields, error)) << error;
    }
    if (c.name != nullptr) {
      ASSERT_TRUE(settings.name.parse(c.name, error)) << error;
    }
    settings.each = c.each;
    settings.dry_run = c.dry_run;
    settings.report_left_out = true;
    SplitRun split;
    split.settings = &settings;
    split.host.answers.assign(c.questions, Answer::kOk);
    // A file already there, so that a split that asked or wrote would show.
    if (c.dry_run) write_bytes(split.dir / "A.adi", "old");
    split.run(c.input);
    EXPECT_EQ(split.outputs(), c.files);
    EXPECT_EQ(status_lines(split.status), c.status);
    EXPECT_EQ(split.left_out, c.left_out);
    EXPECT_EQ(split.host.asked.size(), c.questions);
  }
}

TEST(SplitByQth, InputReadErrorIsReported) {
  TempDir dir;
  ASSERT_TRUE(std::filesystem::create_directory(dir / "rover.adi"));
  std::FILE* file = open_folder_for_reading(dir / "rover.adi");  // opens, but every read fails
  ASSERT_NE(file, nullptr);
  FakeHost host;
  const SplitResult result = split_log(file, (dir / "rover.adi").c_str(), host);
  std::fclose(file);
  EXPECT_EQ(result.files, 0);
  EXPECT_EQ(status_lines(result.status), (Lines{"ERROR: Could not read all of rover.adi",
                                                "Did not create any output files!", ""}));
}

}  // namespace
