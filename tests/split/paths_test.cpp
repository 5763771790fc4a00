#include "split/paths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "adif/utf8.h"
#include "split/qth_files.h"

namespace {

// What an output folder named without a separator at its end is followed by:
// Windows' own separator there, a slash elsewhere (where '\\' is an
// ordinary byte of a name).
#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif
const std::string kFolderEnd = kWindows ? "\\" : "/";

TEST(Paths, FileNamePartFollowsTheLastSeparatorOfEitherKind) {
  struct Case {
    const char* path;
    const char* name;
  } cases[] = {
      {"D:\\Logs\\rover_ME.adi", "rover_ME.adi"},
      {"/home/op/my.logs/rover.adi", "rover.adi"},
      {"D:\\Logs/sub\\rover.adi", "rover.adi"},
      {"/home/op\\x/rover.adi", "rover.adi"},
      {"rover.adi", "rover.adi"},
      {"C:\\Logs\\", ""},
      {"", ""},
      // A drive-relative path ends its drive on Windows; elsewhere "Z:" is
      // part of a name.
      {"Z:rover.adi", kWindows ? "rover.adi" : "Z:rover.adi"},
      {"z:", kWindows ? "" : "z:"},
      {"Z:sub\\rover.adi", "rover.adi"},
      {"1:rover.adi", "1:rover.adi"},
  };
  for (const Case& c : cases) {
    const char* name = file_name_part(c.path);
    EXPECT_STREQ(name, c.name) << c.path;
    EXPECT_EQ(name, c.path + std::string(c.path).size() - std::string(c.name).size())
        << "points into the path";
  }
}

TEST(Paths, OutputPathCutsTheFileNameAtItsFirstDotAndAddsTheQth) {
  struct Case {
    const char* input;
    std::string qth;
    std::string output;
    const char* folder = nullptr;  // the output folder, when one is given
  } cases[] = {
      {"D:\\Logs\\rover.adi", "ME", "D:\\Logs\\rover_ME.adi"},
      {"D:\\My.Logs\\rover.adi", "ME", "D:\\My.Logs\\rover_ME.adi"},
      {"D:\\Logs\\rover", "ME", "D:\\Logs\\rover_ME.adi"},
      {"D:\\My.Logs\\rover", "ME", "D:\\My.Logs\\rover_ME.adi"},
      {"D:\\Logs\\rover.2016.adi", "ME", "D:\\Logs\\rover_ME.adi"},
      {"D:\\Logs\\rover.adi", "", "D:\\Logs\\rover_.adi"},
      {"/home/op/my.logs/rover.adi", "FN31", "/home/op/my.logs/rover_FN31.adi"},
      {"/home/op/my.logs/rover", "Me", "/home/op/my.logs/rover_Me.adi"},
      {"rover.adi", "FN31 FN32", "rover_FN31 FN32.adi"},
      {"/home/op/.adi", "ME", "/home/op/_ME.adi"},
      // The name keeps to the input's folder: bytes Windows refuses in a name become '_'.
      {"/logs/rover.adi", "FN31/FN32", "/logs/rover_FN31_FN32.adi"},
      {"D:\\Logs\\rover.adi", "..\\..\\Windows\\x", "D:\\Logs\\rover_.._.._Windows_x.adi"},
      {"D:\\Logs\\rover.adi", "A:B", "D:\\Logs\\rover_A_B.adi"},
      {"rover.adi", "\\/:*?\"<>|", "rover__________.adi"},
      {"rover.adi", std::string("a\x01\t\x1f\x20\x7f\xe9.b", 9), "rover_a___ \x7f_.b.adi"},
      // Well-formed UTF-8 stays; every byte outside it becomes '_'.
      {"/logs/rover.adi", "Łódź", "/logs/rover_Łódź.adi"},
      {"rover.adi", "Ро ログ 📡", "rover_Ро ログ 📡.adi"},
      {"rover.adi",
       "Montr\xe9"
       "al",
       "rover_Montr_al.adi"},
      {"rover.adi",
       "\x80"
       "A\xbf",
       "rover__A_.adi"},                                           // lone continuation bytes
      {"rover.adi", "Gr\xc3", "rover_Gr_.adi"},                    // cut at the end
      {"rover.adi", "\xe2\x82x\xf0\x9f\x93", "rover___x___.adi"},  // cut before another byte
      {"rover.adi", "\xc0\xaf\xc1\xbf\xe0\x9f\xbf\xf0\x8f\xbf\xbf",
       "rover____________.adi"},  // overlong
      {"rover.adi", "\xed\xa0\x80\xf4\x90\x80\x80\xf5\x80\xff",
       "rover___________.adi"},  // surrogate, too high
      // The first and last sequence of each length and around the surrogates
      // (the first, U+0080, is a C1 control).
      {"rover.adi", "\xc2\x80\xdf\xbf\xe0\xa0\x80\xed\x9f\xbf\xee\x80\x80\xef\xbf\xbf",
       "rover__\xdf\xbf\xe0\xa0\x80\xed\x9f\xbf\xee\x80\x80\xef\xbf\xbf.adi"},
      {"rover.adi", "\xf0\x90\x80\x80\xf4\x8f\xbf\xbf",
       "rover_\xf0\x90\x80\x80\xf4\x8f\xbf\xbf.adi"},
      // A C1 or bidirectional control, which would make the name show as
      // another, becomes one '_'; the characters next to them stay.
      {"/logs/rover.adi",
       "\xe2\x80\xae"
       "13NF",
       "/logs/rover__13NF.adi"},
      {"rover.adi",
       "FN\xc2\x85"
       "42\xc2\x9f\xc2\xa0",
       "rover_FN_42_\xc2\xa0.adi"},
      {"rover.adi",
       "\xd8\x9c\xe2\x80\x8e\xe2\x80\x8f"                              // U+061C, U+200E, U+200F
       "\xe2\x80\xaa\xe2\x80\xab\xe2\x80\xac\xe2\x80\xad\xe2\x80\xae"  // U+202A to U+202E
       "\xe2\x81\xa6\xe2\x81\xa7\xe2\x81\xa8\xe2\x81\xa9",             // U+2066 to U+2069
       "rover_" + std::string(12, '_') + ".adi"},
      {"rover.adi",
       "\xd8\x9b\xe2\x80\x8d\xe2\x80\x90"                   // U+061B, U+200D, U+2010
       "\xe2\x80\xa9\xe2\x80\xaf\xe2\x81\xa5\xe2\x81\xaa",  // U+2029, U+202F, U+2065, U+206A
       std::string("rover_\xd8\x9b\xe2\x80\x8d\xe2\x80\x90") +
           "\xe2\x80\xa9\xe2\x80\xaf\xe2\x81\xa5\xe2\x81\xaa.adi"},
      // An output folder takes the place of the input's, the name stays the input's.
      {"/logs/rover.adi", "FN31", "out" + kFolderEnd + "rover_FN31.adi", "out"},
      {"/logs/rover.adi", "FN31", "/out/rover_FN31.adi", "/out/"},
      {"/my.logs/rover.2016.adi", "FN31/..", "my.out" + kFolderEnd + "rover_FN31_...adi", "my.out"},
      {"/dev/stdin", "FN31", "/tmp" + kFolderEnd + "stdin_FN31.adi", "/tmp"},
      {"rover", "ME", kWindows ? "out\\rover_ME.adi" : "out\\/rover_ME.adi", "out\\"},
      // "D:" is the current folder of drive D on Windows, a plain name elsewhere.
      {"rover", "ME", kWindows ? "D:rover_ME.adi" : "D:/rover_ME.adi", "D:"},
      {"rover.adi", "ME", "rover_ME.adi", ""},
      // A drive-relative log's outputs go to that drive's current folder.
      {"Z:rover.adi", "FN31", "Z:rover_FN31.adi"},
      {"Z:rover.adi", "FN31", kWindows ? "out\\rover_FN31.adi" : "out/Z:rover_FN31.adi", "out"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(output_path(c.input, c.qth.c_str(), c.folder), c.output) << c.input << " " << c.qth;
}

#ifdef _WIN32
// Paths in a double-byte code page, as Windows that ignore the manifest's
// UTF-8 hand them over: in Japanese (932) the second byte of "\x83\x5c" (ソ)
// and of "\x95\x5c" (表) is the byte of '\\', and that of "\x83\x41" (ア)
// the byte of 'A'.
TEST(Paths, ASecondByteOfADoubleByteCharacterIsNeitherSeparatorNorLetter) {
  struct CodePage {
    int old = _getmbcp();
    ~CodePage() { _setmbcp(old); }
  } restore;
  ASSERT_EQ(_setmbcp(932), 0);
  const std::string so = "\x83\x5c", table = "\x95\x5c";
  const struct {
    std::string input, name, output;
    const char* folder;
  } cases[] = {
      {"C:\\" + table + "\\" + so + ".adi", so + ".adi", "C:\\" + table + "\\" + so + "_FN31.adi",
       nullptr},
      {"C:\\logs\\a.b" + so + "c.adi", "a.b" + so + "c.adi", "C:\\logs\\a_FN31.adi", nullptr},
      {"D:\\a.b" + so + "c.adi", "a.b" + so + "c.adi", "out\\a_FN31.adi", "out"},
      {"Z:" + so + "a.adi", so + "a.adi", "Z:" + so + "a_FN31.adi", nullptr},
      {so + "\\x.adi", "x.adi", so + "\\x_FN31.adi", nullptr},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(file_name_part(c.input.c_str()), c.name) << c.input;
    EXPECT_EQ(output_path(c.input.c_str(), "FN31", c.folder), c.output) << c.input;
  }
  // Two names apart only in the second byte of a character are two files.
  OpenPaths open;
  open.add("rover_\x83\x41.adi");
  EXPECT_FALSE(open.contains("rover_\x83\x61.adi"));
  EXPECT_TRUE(open.contains("ROVER_\x83\x41.ADI"));
}
#endif

}  // namespace

TEST(Paths, MessageShortensTheFolderInTheMiddleSoTheNameAndTheReasonShow) {
  const std::string deep =
      "C:\\Users\\Operator\\OneDrive - Radio Club\\Documents\\Ham Radio\\Contest Logs\\2024-06 "
      "June VHF\\rover_FN31PR.adi";
  struct Case {
    std::size_t size;
    const char* before;
    std::string path;
    const char* after;
    std::string want;
  } cases[] = {
      {128, "Could not open output file ", "D:\\Logs\\rover_FN31.adi", "\n",
       "Could not open output file D:\\Logs\\rover_FN31.adi\n"},
      {17, "<", "/a/b/c/d/e.adi", ">", "</a/b/c/d/e.adi>"},  // fits to the last byte
      {16, "<", "/a/b/c/d/e.adi", ">", "</a/...d/e.adi>"},
      {128, "Could not open output file ", deep, "\n",
       "Could not open output file C:\\Users\\Operator\\OneDrive - Radio Club\\...Ham "
       "Radio\\Contest Logs\\2024-06 June VHF\\rover_FN31PR.adi\n"},
      // A file name longer than the buffer keeps its start, its end and the reason.
      {128, "Error opening ", "/logs/" + std::string(150, 'q') + ".adi", ":\nFile name too long",
       "Error opening " + std::string(45, 'q') + "..." + std::string(41, 'q') +
           ".adi:\nFile name too long"},
      // Cuts that would fall inside a character move to its edge.
      {20, "", "/Ровер/Ровер/r.adi", "", "/Ро...ер/r.adi"},
      {21, "", "/Ровер/Ровер/r.adi", "", "/Ро...ер/r.adi"},
      {15, "", "/Łódź/Łódź.adi", "", "...Łódź.adi"},  // "..." and the name to the last byte
      {12, "", "/Łódź/Łódź.adi", "", "Łódź.adi"},     // the name alone fits, not with "..."
      {11, "", "/Łódź/Łódź.adi", "", "Ł....adi"},
      // A bare file name (an output name, the input's name) loses its middle:
      // the start and the end, with the QTH, stay. The end gets the larger
      // half; a cut inside a character gives its bytes to the other side.
      {128, "Are you sure you want to overwrite ",
       "Полевой день ВКВ 2024 ровер RA3ABC окончательный журнал_FN42.adi", "",
       "Are you sure you want to overwrite Полевой день ВКВ 2024 рове...ончательный "
       "журнал_FN42.adi"},
      {128, "Are you sure you want to overwrite ",
       "2024-06-08 ARRL June VHF Contest - K1ABC-R rover - log exported from N1MM Logger+ "
       "(final)_FN43.adi",
       "",
       "Are you sure you want to overwrite 2024-06-08 ARRL June VHF Contest - K1ABC-R r...g "
       "exported from N1MM Logger+ (final)_FN43.adi"},
      {20, "", "Ровер_FN42.adi", "", "Ровер_FN42.adi"},  // fits to the last byte
      {19, "", "Ровер_FN42.adi", "", "Ров...FN42.adi"},
      {18, "", "Ровер_FN42.adi", "", "Ров...N42.adi"},
      {16, "", "Ровер_FN42.adi", "", "Ров...42.adi"},
      {15, "", "Ровер_FN42.adi", "", "Ро...42.adi"},
      {18, "", "rover_Łódź.adi", "", "rover_Łódź.adi"},
      {17, "", "rover_Łódź.adi", "", "rover_...dź.adi"},
      {16, "", "rover_Łódź.adi", "", "rover_...ź.adi"},
      {15, "", "rover_Łódź.adi", "", "rover...ź.adi"},
      {14, "", "rover_Łódź.adi", "", "rover_....adi"},
      {10, "", "rover_Łódź.adi", "", "rov...adi"},
      {5, "", "rover_Łódź.adi", "", "...i"},
      {4, "", "rover_Łódź.adi", "", "..."},
      {3, "", "rover_Łódź.adi", "", ".."},
      {128, "Wrote    1 QSOs to ", std::string(200, 'r') + "_FN42.adi", "",
       "Wrote    1 QSOs to " + std::string(52, 'r') + "..." + std::string(44, 'r') + "_FN42.adi"},
      // The fixed parts leave (almost) no room.
      {10, "Error: ", "/x/y.adi", "", "Error: .."},
      {8, "Error: ", "/x/y.adi", "!", "Error: "},
  };
  for (const Case& c : cases) {
    char out[128];
    ASSERT_LE(c.size, sizeof out);
    EXPECT_EQ(format_path_message(out, c.size, c.before, c.path.c_str(), c.after), c.want)
        << c.size << " " << c.path;
    // A path without a folder is a bare name: both messages show it alike.
    if (file_name_part(c.path.c_str()) == c.path.c_str()) {
      EXPECT_EQ(format_name_message(out, c.size, c.before, c.path.c_str(), c.after), c.want)
          << c.size << " " << c.path;
    }
  }
}

// Every buffer size for names of one-, two-, three- and four-byte characters:
// the message is well-formed UTF-8 within the buffer, keeps the name's start
// and end around "...", and wastes no more than a character's cut-off bytes.
TEST(Paths, NameMessageNeverCutsACharacterAtAnySize) {
  const std::string names[] = {"rover_Łódź.adi", "Ровер_ログ_FN42.adi", "📡📡📡_📡📡.adi",
                               "a€b📡cÿd_FN42.adi"};
  for (const std::string& name : names) {
    for (std::size_t size = 1; size <= name.size() + 8; ++size) {
      for (const char* before : {"", "Wrote    1 QSOs to "}) {
        SCOPED_TRACE(name + " " + std::to_string(size) + " '" + before + "'");
        char out[64];
        const std::string shown = format_name_message(out, size, before, name.c_str(), "");
        const std::size_t room =
            size - 1 > std::strlen(before) ? size - 1 - std::strlen(before) : 0;
        if (room < 1) continue;  // `before` itself is cut: no name to look at
        ASSERT_EQ(shown.compare(0, std::strlen(before), before), 0);
        const std::string part = shown.substr(std::strlen(before));
        ASSERT_LE(part.size(), room);
        const auto* p = reinterpret_cast<const unsigned char*>(part.data());
        for (const auto* end = p + part.size(); p != end;) {
          const std::size_t length = utf8::character_size(p, end);
          ASSERT_NE(length, 0u) << "a cut character at "
                                << p - reinterpret_cast<const unsigned char*>(part.data());
          p += length;
        }
        if (room >= name.size()) {
          EXPECT_EQ(part, name);
          continue;
        }
        if (room <= 3) {
          EXPECT_EQ(part, std::string("...", room));
          continue;
        }
        const std::size_t gap = part.find("...");
        ASSERT_NE(gap, std::string::npos);
        const std::string head = part.substr(0, gap), tail = part.substr(gap + 3);
        EXPECT_EQ(name.compare(0, head.size(), head), 0);
        EXPECT_EQ(name.compare(name.size() - tail.size(), tail.size(), tail), 0);
        const std::size_t keep = room - 3;
        EXPECT_GE(tail.size() + 3, keep - keep / 2) << "the end gets the larger half";
        EXPECT_GE(part.size() + 3, room) << "at most a cut character's bytes are lost";
      }
    }
  }
}
