// Output files on Windows: while the split writes a file, no other open for
// writing may succeed; QTHs that differ only in letter case, which name one
// file there, never both write it; the input is never opened as an output,
// and a name too long for the file system counts as absent.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "adif/output_stream.h"
#include "fake_host.h"
#include "platform/output_files.h"
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

TEST_F(OutputShare, SecondWriterIsRefusedWhileTheSplitWrites) {
  const std::string path = (folder_ / "rover_ME.adi").string();
  platform::OutputFiles outputs(nullptr);
  std::FILE* file = outputs.open(path.c_str());
  ASSERT_NE(file, nullptr);
  OutputStream stream(file);
  stream.write("<EOH>\r\n");
  // Another spelling of the same name, as a second QTH would produce it.
  const std::string alias = (folder_ / "ROVER_me.ADI").string();
  EXPECT_EQ(std::fopen(alias.c_str(), "wb"), nullptr);
  EXPECT_EQ(platform::OutputFiles(nullptr).open(alias.c_str()), nullptr);
  EXPECT_EQ(outputs.open(alias.c_str()), nullptr);
  ASSERT_TRUE(stream.close());
  EXPECT_EQ(read_bytes(path), "<EOH>\r\n");
}

TEST_F(OutputShare, QthsDifferingInCaseGoStraightToTheOpenFailureBox) {
  const fs::path input = folder_ / "rover.adi";
  std::ofstream(input, std::ios::binary) << "<CALL:4>K1AA <APP_N1MM_ROVERQTH:2>ME <EOR>\r\n"
                                            "<CALL:4>K2BB <APP_N1MM_ROVERQTH:2>Me <EOR>\r\n"
                                            "<CALL:4>K3CC <APP_N1MM_ROVERQTH:2>ME <EOR>\r\n";
  FakeHost host;
  host.answers = {Answer::Ok};
  StatusLists status;
  std::FILE* in = std::fopen(input.string().c_str(), "rb");
  ASSERT_NE(in, nullptr);
  std::unique_ptr<QthFile> registry = split_by_qth(in, input.string().c_str(), host, status);
  std::fclose(in);
  EXPECT_EQ(close_qth_files(registry.get(), status), 1);

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
  host.answers = {Answer::Yes, Answer::Ok, Answer::Ok};
  StatusLists status;
  host.input = std::fopen(input.string().c_str(), "rb");
  ASSERT_NE(host.input, nullptr);
  std::unique_ptr<QthFile> registry =
      split_by_qth(host.input, input.string().c_str(), host, status);
  std::fclose(host.input);
  EXPECT_EQ(close_qth_files(registry.get(), status), 1);

  ASSERT_EQ(host.asked.size(), 3u);
  EXPECT_EQ(host.asked[0].text, "Are you sure you want to overwrite rover_FN42.adi");
  EXPECT_EQ(host.asked[1].text, "Could not open output file " + link + "\n");
  EXPECT_EQ(host.asked[2].text,
            ("Could not open output file " + (folder_ / ("rover_" + qth + ".adi")).string())
                .substr(0, 127));
  EXPECT_EQ(read_bytes(input), log);
  EXPECT_EQ(read_bytes(folder_ / "rover_FN31.adi"), "<EOH>\r\n<CALL:4>K1AA <EOR>\r\n");
}

}  // namespace
