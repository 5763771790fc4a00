// The rule for which opened files may be written, fed with what a file system
// could report (a Windows link or short-name alias included), and the output
// files it guards, closed and reopened as a split of many QTHs does.
#include "platform/output_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "temp_dir.h"

namespace {

using platform::FileId;

TEST(OutputChecks, OnlyAPlainFileWithOneNameThatIsNoneOfTheTakenOnesIsWritten) {
  const FileId taken{7, 100}, fresh{7, 200}, other_volume{8, 100};
  const FileId hidden_volume{0, 100, false};  // a standard stream as Wine shows it
  const struct {
    const char* what;
    platform::OpenedFile file;  // id, regular, reparse point, links, name as asked
    platform::FileIdSet taken;
    bool may_write;
  } cases[] = {
      {"a plain file", {fresh, true, false, 1, true}, {taken}, true},
      {"what a failed query leaves", {}, {}, false},
      {"a folder or device", {fresh, false, false, 1, true}, {}, false},
      {"a symbolic link or junction", {fresh, true, true, 1, true}, {}, false},
      {"a file with a second name", {fresh, true, false, 2, true}, {}, false},
      {"a short-name alias", {fresh, true, false, 1, false}, {}, false},
      {"the input, a stream or an output", {taken, true, false, 1, true}, {fresh, taken}, false},
      {"the same index on another volume", {taken, true, false, 1, true}, {other_volume}, true},
      {"a hidden volume", {taken, true, false, 1, true}, {hidden_volume}, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(platform::may_write(c.file, c.taken), c.may_write) << c.what;
}

TEST(OutputFiles, AFileOpenedOnceIsNeverOpenedAgain) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  platform::OutputFiles outputs(nullptr);
  std::unique_ptr<platform::OutputFile> first = outputs.open((dir / "rover_FN31.adi").c_str());
  ASSERT_NE(first, nullptr);
  ASSERT_TRUE(first->write("<EOH>\r\n", 7));
  // As FN31 and fn31 in a case-blind folder would reach it.
  EXPECT_EQ(outputs.open((dir / "rover_FN31.adi").c_str()), nullptr);
  // Nor while it is closed to make room for others.
  ASSERT_TRUE(first->close());
  EXPECT_EQ(outputs.open((dir / "rover_FN31.adi").c_str()), nullptr);
  EXPECT_EQ(read_bytes(dir / "rover_FN31.adi"), "<EOH>\r\n");
}

// An output closed to make room is reopened for appending only when its name
// still leads to the file it wrote, holding just what it wrote; whatever was
// put in its place is left as it is.
TEST(OutputFiles, AClosedOutputIsReopenedOnlyAsTheSameFile) {
  namespace fs = std::filesystem;
  const struct {
    const char* what;
    void (*meanwhile)(const std::string& path, const std::string& other);
    bool reopens;
    const char* bytes;  // at the output's name afterwards
  } cases[] = {
      {"nothing", [](const std::string&, const std::string&) {}, true, "<EOH>\r\nmore"},
      {"another file moved into its place",
       [](const std::string& path, const std::string& other) { fs::rename(other, path); }, false,
       "planted"},
      {"removed", [](const std::string& path, const std::string&) { fs::remove(path); }, false,
       "<absent>"},
      {"written by another program",
       [](const std::string& path, const std::string&) { write_bytes(path, "<EOH>\r\nX"); }, false,
       "<EOH>\r\nX"},
      {"given a second name",
       [](const std::string& path, const std::string& other) {
         fs::remove(other);
         fs::create_hard_link(path, other);
       },
       false, "<EOH>\r\n"},
#ifndef _WIN32
      {"a link to another file in its place",
       [](const std::string& path, const std::string& other) {
         fs::remove(path);
         fs::create_symlink(other, path);
       },
       false, "planted"},
#endif
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    const std::string path = dir / "rover_FN31.adi", other = dir / "planted.adi";
    write_bytes(other, "planted");
    platform::OutputFiles outputs(nullptr);
    std::unique_ptr<platform::OutputFile> file = outputs.open(path.c_str());
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(file->write("<EOH>\r\n", 7));
    ASSERT_TRUE(file->close());
    EXPECT_FALSE(file->write("lost", 4));  // closed: nothing reaches the file

    c.meanwhile(path, other);
    EXPECT_EQ(file->reopen(), c.reopens);
    EXPECT_EQ(file->write("more", 4), c.reopens);
    EXPECT_TRUE(file->close());
    EXPECT_EQ(read_bytes(path), c.bytes);
  }
}

}  // namespace
