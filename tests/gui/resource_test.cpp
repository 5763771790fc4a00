// The resources of the built VARNEL.exe, read the way Windows reads them:
// strings with LoadStringA, icons through the resource directory and the
// shell, the version block through the version API. Runs under Wine with the
// program's folder as working directory.
#include "resource.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <shellapi.h>

#include <cstdint>
#include <regex>
#include <string>
#include <vector>

namespace {

const WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);  // 1033

std::string program_path() {
  char path[MAX_PATH] = {};
  GetFullPathNameA("VARNEL.exe", sizeof path, path, nullptr);
  return path;
}

// The program file mapped as data: its resources without running any of it.
class ProgramFile {
 public:
  explicit ProgramFile(const std::string& path = program_path())
      : module_(LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
  ~ProgramFile() {
    if (module_) FreeLibrary(module_);
  }
  ProgramFile(const ProgramFile&) = delete;
  ProgramFile& operator=(const ProgramFile&) = delete;
  HMODULE get() const { return module_; }

  // The bytes of one resource in language 1033, empty when there is none.
  std::string resource(LPCSTR type, WORD id) const {
    HRSRC found = FindResourceExA(module_, type, MAKEINTRESOURCEA(id), kEnglishUs);
    if (!found) return {};
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(module_, found)));
    return bytes ? std::string(bytes, SizeofResource(module_, found)) : std::string();
  }

 private:
  HMODULE module_;
};

#pragma pack(push, 2)
struct GroupIconHeader {
  WORD reserved, type, count;
};
struct GroupIconEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bit_count;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

TEST(VarnelResources, StringTableHoldsTheFiveTextsInUsEnglish) {
  ProgramFile program;
  ASSERT_NE(program.get(), nullptr) << program_path();
  const struct {
    UINT id;
    const char* text;
  } strings[] = {
      {IDS_ABOUT_CAPTION, "About this program..."},
      {IDS_MAKER_LINE, "VARNEL contributors"},
      {IDS_TITLE, "VARNEL"},
      {IDS_NO_INPUT, "Did not specify input file."},
      {IDS_HELP_ADDRESS, "help\\varnel.html"},
  };
  for (const auto& s : strings) {
    char text[256] = {};
    EXPECT_GT(LoadStringA(program.get(), s.id, text, sizeof text), 0) << s.id;
    EXPECT_STREQ(text, s.text) << s.id;
  }
  // Help loads its address into 40 bytes; it must arrive whole.
  char address[40] = {};
  LoadStringA(program.get(), IDS_HELP_ADDRESS, address, sizeof address);
  EXPECT_STREQ(address, "help\\varnel.html");
}

TEST(VarnelResources, EveryResourceIsInUsEnglish) {
  ProgramFile program;
  const struct {
    LPCSTR type;
    WORD id;
  } resources[] = {
      {RT_STRING, IDS_ABOUT_CAPTION / 16 + 1},  // strings are stored in blocks of 16
      {RT_GROUP_ICON, IDI_PROGRAM},
      {RT_ICON, 1},
      {RT_ICON, 2},
      {RT_VERSION, 1},
      {RT_MANIFEST, 1},
  };
  for (const auto& r : resources)
    EXPECT_FALSE(program.resource(r.type, r.id).empty())
        << "type " << reinterpret_cast<uintptr_t>(r.type) << " id " << r.id;
}

TEST(VarnelResources, IconGroupHasA32And16PixelImageOf16Colours) {
  ProgramFile program;
  const std::string group = program.resource(RT_GROUP_ICON, IDI_PROGRAM);
  ASSERT_GE(group.size(), sizeof(GroupIconHeader));
  const auto* header = reinterpret_cast<const GroupIconHeader*>(group.data());
  EXPECT_EQ(header->type, 1);
  ASSERT_EQ(header->count, 2);
  ASSERT_EQ(group.size(), sizeof(GroupIconHeader) + 2 * sizeof(GroupIconEntry));
  const auto* entries = reinterpret_cast<const GroupIconEntry*>(header + 1);

  const struct {
    int size;
    WORD id;
  } expected[] = {{32, 1}, {16, 2}};
  for (int i = 0; i < 2; ++i) {
    const GroupIconEntry& e = entries[i];
    const int size = expected[i].size;
    SCOPED_TRACE(size);
    EXPECT_EQ(e.width, size);
    EXPECT_EQ(e.height, size);
    EXPECT_EQ(e.colours, 16);
    EXPECT_EQ(e.planes, 1);
    EXPECT_EQ(e.bit_count, 4);
    EXPECT_EQ(e.id, expected[i].id);

    std::string image = program.resource(RT_ICON, e.id);
    ASSERT_EQ(image.size(), e.bytes);
    ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
    const auto* bitmap = reinterpret_cast<const BITMAPINFOHEADER*>(image.data());
    EXPECT_EQ(bitmap->biWidth, size);
    EXPECT_EQ(bitmap->biHeight, 2 * size);  // colour bitmap and AND mask
    EXPECT_EQ(bitmap->biBitCount, 4);
    // Header, 16 palette entries, 4-bit rows and 1-bit mask rows, each row padded to 4 bytes.
    const size_t row4 = (size / 2 + 3) / 4 * 4, row1 = (size / 8 + 3) / 4 * 4;
    EXPECT_EQ(image.size(), 40 + 16 * 4 + size * (row4 + row1));
    HICON icon =
        CreateIconFromResourceEx(reinterpret_cast<BYTE*>(image.data()),
                                 static_cast<DWORD>(image.size()), TRUE, 0x00030000, size, size, 0);
    EXPECT_NE(icon, nullptr);
    if (icon) DestroyIcon(icon);
  }
}

TEST(VarnelResources, ProgramIconIsTheFileOnlyIconGroup) {
  // The window class takes icon index 0 of VARNEL.exe; with a single group that is IDI_PROGRAM.
  const std::string path = program_path();
  EXPECT_EQ(reinterpret_cast<UINT_PTR>(ExtractIconA(nullptr, path.c_str(), UINT(-1))), 1u);
  HICON icon = ExtractIconA(GetModuleHandleA(nullptr), path.c_str(), 0);
  EXPECT_NE(icon, nullptr);
  if (icon) DestroyIcon(icon);
}

TEST(VarnelResources, ManifestsAskForUtf8AndVarnelForCrispTextCommonControls6AsInvoker) {
  // Windows reads the manifest of a program from RT_MANIFEST 1; varnel-split.exe has its own.
  const std::string manifests[] = {ProgramFile().resource(RT_MANIFEST, 1),
                                   ProgramFile(VARNEL_SPLIT_EXE).resource(RT_MANIFEST, 1)};
  ASSERT_FALSE(manifests[0].empty());
  ASSERT_FALSE(manifests[1].empty()) << VARNEL_SPLIT_EXE;
  // Windows takes the settings only from this element.
  const std::string settings =
      R"(<application xmlns="urn:schemas-microsoft-com:asm\.v3">\s*<windowsSettings>[\s\S]*)";
  const std::string utf8 =
      settings +
      R"(<activeCodePage xmlns="http://schemas\.microsoft\.com/SMI/2019/WindowsSettings">UTF-8<)";
  const std::string crisp =
      settings +
      R"(<gdiScaling xmlns="http://schemas\.microsoft\.com/SMI/2017/WindowsSettings">true<)";
  const struct {
    const char* part;
    std::string pattern;
    bool in_varnel, in_split;
  } parts[] = {
      {"UTF-8 as the code page", utf8, true, true},
      {"text drawn at the screen's DPI", crisp, true, false},
      {"common controls 6", R"(name="Microsoft\.Windows\.Common-Controls"\s+version="6\.0\.0\.0")",
       true, false},
      {"as invoker", R"(<requestedExecutionLevel\s+level="asInvoker")", true, true},
      {"Windows 10 and 11", R"(<supportedOS Id="\{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a\}"/>)", true,
       true},
      {"Windows 8.1", R"(<supportedOS Id="\{1f676c76-80e1-4239-95bb-83d0f6d0da78\}"/>)", true,
       true},
      {"Windows 8", R"(<supportedOS Id="\{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38\}"/>)", true, true},
      {"Windows 7", R"(<supportedOS Id="\{35138b9a-5d96-4fbd-8e2d-a2440225f93a\}"/>)", true, true},
      // Declared DPI awareness would make Windows leave the 96-DPI layout's
      // pixels unscaled and clip its text.
      {"no DPI awareness", R"(dpiAware)", false, false},
  };
  for (const auto& p : parts) {
    EXPECT_EQ(std::regex_search(manifests[0], std::regex(p.pattern)), p.in_varnel) << p.part;
    EXPECT_EQ(std::regex_search(manifests[1], std::regex(p.pattern)), p.in_split)
        << p.part << " (varnel-split.exe)";
  }
}

TEST(VarnelResources, VersionBlockHoldsTheProgramsValues) {
  const std::string path = program_path();
  DWORD ignored = 0;
  std::vector<char> block(GetFileVersionInfoSizeA(path.c_str(), &ignored));
  ASSERT_FALSE(block.empty());
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
  auto query = [&](const char* key, UINT* length) {
    void* value = nullptr;
    *length = 0;
    return VerQueryValueA(block.data(), key, &value, length) ? value : nullptr;
  };

  UINT length = 0;
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(query("\\", &length));
  ASSERT_NE(fixed, nullptr);
  const struct {
    const char* name;
    DWORD actual, expected;
  } numbers[] = {
      {"signature", fixed->dwSignature, 0xFEEF04BD},
      {"file version MS", fixed->dwFileVersionMS, 0x00010000},
      {"file version LS", fixed->dwFileVersionLS, 0},
      {"product version MS", fixed->dwProductVersionMS, 0x00010000},
      {"product version LS", fixed->dwProductVersionLS, 0},
      {"file flags mask", fixed->dwFileFlagsMask, 0x3F},
      {"file flags", fixed->dwFileFlags, 0},
      {"operating system", fixed->dwFileOS, VOS_NT_WINDOWS32},
      {"file type", fixed->dwFileType, VFT_APP},
      {"file subtype", fixed->dwFileSubtype, 0},
  };
  for (const auto& n : numbers) EXPECT_EQ(n.actual, n.expected) << n.name;

  const struct {
    const char* key;
    const char* value;
  } strings[] = {
      {"CompanyName", "VARNEL contributors"},
      {"FileDescription", "VARNEL"},
      {"FileVersion", "1.0.0.0"},
      {"InternalName", "VARNEL"},
      {"LegalCopyright", "Copyright (C) 2026 VARNEL contributors"},
      {"OriginalFilename", "VARNEL.exe"},
      {"ProductName", "VARNEL"},
      {"ProductVersion", "1.0.0.0"},
  };
  for (const auto& s : strings) {
    const std::string key = std::string("\\StringFileInfo\\080904b0\\") + s.key;
    const auto* value = static_cast<const char*>(query(key.c_str(), &length));
    ASSERT_NE(value, nullptr) << s.key;
    EXPECT_STREQ(value, s.value) << s.key;
  }

  const auto* translation = static_cast<const WORD*>(query("\\VarFileInfo\\Translation", &length));
  ASSERT_NE(translation, nullptr);
  ASSERT_EQ(length, 4u);  // exactly one language and code page pair
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 1200);
}

}  // namespace
