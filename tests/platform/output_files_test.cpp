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
using platform::NameGivenBack;
using platform::Verdict;

// Reparse tags as Windows defines them (winnt.h).
constexpr uint32_t kSymbolicLink = 0xA000000C;  // IO_REPARSE_TAG_SYMLINK
constexpr uint32_t kJunction = 0xA0000003;      // IO_REPARSE_TAG_MOUNT_POINT
constexpr uint32_t kCloud = 0x9000001A;         // IO_REPARSE_TAG_CLOUD, OneDrive's files
constexpr uint32_t kCloudPinned = 0x9000601A;   // IO_REPARSE_TAG_CLOUD_6
constexpr uint32_t kDeduplicated = 0x80000013;  // IO_REPARSE_TAG_DEDUP
constexpr uint32_t kWsl = 0xA000001D;           // IO_REPARSE_TAG_LX_SYMLINK

TEST(OutputChecks, OnlyAPlainFileWithOneNameThatIsNoneOfTheTakenOnesIsWritten) {
  const FileId taken{7, 100}, fresh{7, 200}, other_volume{8, 100};
  const FileId hidden_volume{0, 100, false};  // a standard stream as Wine shows it
  const struct {
    const char* what;
    platform::OpenedFile file;  // id, regular, reparse tag, links, name as asked
    platform::FileIdSet taken;
    bool may_write;
  } cases[] = {
      {"a plain file", {fresh, true, false, 1, true}, {taken}, true},
      {"what a failed query leaves", {}, {}, false},
      {"a folder or device", {fresh, false, false, 1, true}, {}, false},
      {"a symbolic link or junction", {fresh, true, kSymbolicLink, 1, true}, {}, false},
      {"a file with a second name", {fresh, true, false, 2, true}, {}, false},
      {"a short-name alias", {fresh, true, false, 1, false}, {}, false},
      {"the input, a stream or an output", {taken, true, false, 1, true}, {fresh, taken}, false},
      {"the same index on another volume", {taken, true, false, 1, true}, {other_volume}, true},
      {"a hidden volume", {taken, true, false, 1, true}, {hidden_volume}, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(platform::may_write(c.file, c.taken), c.may_write) << c.what;
}

TEST(OutputChecks, OnlyReparsePointsThatStandForAnotherNameAreRefused) {
  const FileId taken{7, 100}, fresh{7, 200};
  const struct {
    const char* what;
    platform::OpenedFile file;
    Verdict verdict;
  } cases[] = {
      {"no reparse point", {fresh, true, 0, 1, true}, Verdict::kWrite},
      {"a symbolic link", {fresh, true, kSymbolicLink, 1, true}, Verdict::kRefuse},
      {"a junction or mount point", {fresh, true, kJunction, 1, true}, Verdict::kRefuse},
      {"a WSL symbolic link", {fresh, true, kWsl, 1, true}, Verdict::kRefuse},
      {"a tag that could not be read",
       {fresh, true, platform::kNameSurrogateBit, 1, true},
       Verdict::kRefuse},
      {"a OneDrive file", {fresh, true, kCloud, 1, true}, Verdict::kReopen},
      {"a pinned OneDrive file", {fresh, true, kCloudPinned, 1, true}, Verdict::kReopen},
      {"a deduplicated file", {fresh, true, kDeduplicated, 1, true}, Verdict::kReopen},
      {"a OneDrive file with a second name", {fresh, true, kCloud, 2, true}, Verdict::kRefuse},
      {"a OneDrive file under its short name", {fresh, true, kCloud, 1, false}, Verdict::kRefuse},
      {"a OneDrive file already taken", {taken, true, kCloud, 1, true}, Verdict::kRefuse},
      {"a OneDrive folder", {fresh, false, kCloud, 1, true}, Verdict::kRefuse},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::output_verdict(c.file, {taken}), c.verdict) << c.what;
    EXPECT_EQ(platform::may_write(c.file, {taken}), c.verdict == Verdict::kWrite) << c.what;
  }
}

TEST(OutputChecks, AReopenedCloudFileIsWrittenOnlyWhenItIsTheSameFile) {
  const platform::OpenedFile first{{7, 200, true, 5}, true, kCloud, 1, true};
  const struct {
    const char* what;
    platform::OpenedFile again;
    bool may_write;
  } cases[] = {
      {"the same file", {{7, 200, true, 5}, true, kCloud, 1, true}, true},
      {"the same file, no longer a placeholder", {{7, 200, true, 5}, true, 0, 1, true}, true},
      {"another file swapped in", {{7, 201, true, 5}, true, kCloud, 1, true}, false},
      {"the same index on another volume", {{8, 200, true, 5}, true, kCloud, 1, true}, false},
      {"another file ID's high half", {{7, 200, true, 6}, true, kCloud, 1, true}, false},
      {"a folder swapped in", {{7, 200, true, 5}, false, kCloud, 1, true}, false},
      {"a second name made meanwhile", {{7, 200, true, 5}, true, kCloud, 2, true}, false},
      {"a link's target", {{7, 200, true, 5}, true, kSymbolicLink, 1, true}, false},
      {"what a failed query leaves", {}, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(platform::may_write_reopened(first, c.again), c.may_write) << c.what;
}

TEST(OutputChecks, OnlyANameWithATildeMustBeGivenBackAsAsked) {
  const struct {
    const wchar_t* path;
    NameGivenBack given;
    bool as_asked;
  } cases[] = {
      // A name that cannot be a short alias needs no answer, nor a matching one.
      {L"C:\\Logs\\rover_FN31.adi", NameGivenBack::kNone, true},
      {L"\\\\server\\home\\rover_FN31.adi", NameGivenBack::kNone, true},
      {L"Z:rover_FN31.adi", NameGivenBack::kOther, true},
      {L"rover_FN31.adi", NameGivenBack::kSame, true},
      {L"C:\\Logs~1\\rover_FN31.adi", NameGivenBack::kNone, true},
      // One that can be must come back as asked.
      {L"C:\\Logs\\ROVER_~1.ADI", NameGivenBack::kSame, true},
      {L"C:\\Logs\\ROVER_~1.ADI", NameGivenBack::kOther, false},
      {L"C:\\Logs\\ROVER_~1.ADI", NameGivenBack::kNone, false},
      {L"\\\\server\\home\\rover_~1.adi", NameGivenBack::kNone, false},
      {L"rover_~.adi", NameGivenBack::kOther, false},
      {L"Z:~rover.adi", NameGivenBack::kNone, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::name_as_asked(c.path, c.given), c.as_asked)
        << testing::PrintToString(std::wstring(c.path)) << " " << static_cast<int>(c.given);
  }
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
