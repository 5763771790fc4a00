// The rule for which opened files may be written, fed with what a file system
// could report (a Windows link or short-name alias included), and the POSIX
// output files it guards.
#include "platform/output_files.h"

#include <gtest/gtest.h>

#include "temp_dir.h"

namespace {

using platform::FileId;

TEST(OutputChecks, OnlyAPlainFileWithOneNameThatIsNoneOfTheTakenOnesIsWritten) {
  const FileId taken{7, 100}, fresh{7, 200}, other_volume{8, 100};
  const FileId hidden_volume{0, 100, false};  // a standard stream as Wine shows it
  const struct {
    const char* what;
    platform::OpenedFile file;  // id, regular, reparse point, links, name as asked
    std::vector<FileId> taken;
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
  std::FILE* first = outputs.open((dir / "rover_FN31.adi").c_str());
  ASSERT_NE(first, nullptr);
  std::fputs("<EOH>\r\n", first);
  std::fflush(first);
  // As FN31 and fn31 in a case-blind folder would reach it.
  EXPECT_EQ(outputs.open((dir / "rover_FN31.adi").c_str()), nullptr);
  std::fclose(first);
  EXPECT_EQ(read_bytes(dir / "rover_FN31.adi"), "<EOH>\r\n");
}

}  // namespace
