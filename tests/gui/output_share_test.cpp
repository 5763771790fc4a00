// Output files on Windows: while the split writes a file, no other open for
// writing may succeed, and QTHs that differ only in letter case, which name
// one file there, never both write it.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "adif/output_stream.h"
#include "fake_host.h"
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
              ("varnel-share-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
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
  auto stream = OutputStream::open(path.c_str());
  ASSERT_TRUE(stream);
  stream->write("<EOH>\r\n");
  // Another spelling of the same name, as a second QTH would produce it.
  const std::string alias = (folder_ / "ROVER_me.ADI").string();
  EXPECT_EQ(std::fopen(alias.c_str(), "wb"), nullptr);
  EXPECT_EQ(OutputStream::open(alias.c_str()), nullptr);
  ASSERT_TRUE(stream->close());
  EXPECT_EQ(read_bytes(path), "<EOH>\r\n");
}

TEST_F(OutputShare, QthsDifferingInCaseGoStraightToTheOpenFailureBox) {
  const fs::path input = folder_ / "rover.adi";
  std::ofstream(input, std::ios::binary)
      << "<CALL:4>K1AA <APP_N1MM_ROVERQTH:2>ME <EOR>\r\n"
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

}  // namespace
