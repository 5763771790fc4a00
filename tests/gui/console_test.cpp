// varnel-split.exe on a Windows console whose output code page is not UTF-8
// (437, as most consoles start): the screen shows the letters of names and
// questions, not their UTF-8 bytes, and the console keeps its code page; a
// file still gets the UTF-8 bytes. The test makes a console of its own and
// reads back what the program left on its screen.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::wstring wide(const std::string& text) {
  std::wstring result(text.size(), L'\0');
  result.resize(MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                    &result[0], static_cast<int>(result.size())));
  return result;
}
std::string utf8(const std::wstring& text) {
  std::string result(text.size() * 3, '\0');
  result.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                    &result[0], static_cast<int>(result.size()), nullptr, nullptr));
  return result;
}

std::string record(const std::string& qth) {
  return "<CALL:4>W1AW <APP_N1MM_ROVERQTH:" + std::to_string(qth.size()) + ">" + qth + " <EOR>\r\n";
}

class Console : public testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        fs::temp_directory_path() / ("varnel-console-" + std::to_string(GetCurrentProcessId()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    screen_ = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, share, &inherit, OPEN_EXISTING,
                          0, nullptr);
    keyboard_ = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, share, &inherit, OPEN_EXISTING,
                            0, nullptr);
    ASSERT_NE(screen_, INVALID_HANDLE_VALUE);
    ASSERT_NE(keyboard_, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetConsoleOutputCP(437));
    // Wide enough that no line the program prints wraps.
    ASSERT_TRUE(SetConsoleScreenBufferSize(screen_, {300, 100}));
  }
  void TearDown() override {
    CloseHandle(screen_);
    CloseHandle(keyboard_);
    FreeConsole();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  void write_file(const std::string& name, const std::string& bytes) const {
    std::ofstream(folder_ / fs::path(wide(name)), std::ios::binary) << bytes;
  }

  // Types `keys` on the console's keyboard, for the program to read.
  void type(const std::wstring& keys) const {
    std::vector<INPUT_RECORD> presses;
    for (wchar_t key : keys) {
      for (BOOL down : {TRUE, FALSE}) {
        INPUT_RECORD press{};
        press.EventType = KEY_EVENT;
        press.Event.KeyEvent.bKeyDown = down;
        press.Event.KeyEvent.wRepeatCount = 1;
        press.Event.KeyEvent.wVirtualKeyCode = key == L'\r' ? VK_RETURN : VkKeyScanW(key) & 0xFF;
        press.Event.KeyEvent.uChar.UnicodeChar = key;
        presses.push_back(press);
      }
    }
    DWORD written = 0;
    ASSERT_TRUE(WriteConsoleInputW(keyboard_, presses.data(), static_cast<DWORD>(presses.size()),
                                   &written));
  }

  // Runs varnel-split.exe with `arguments` in the folder on a cleared
  // screen: its input from the console's keyboard, its output and error on
  // the console's screen, or its output in `out` when given. Returns its
  // exit code.
  DWORD run(const std::wstring& arguments, HANDLE out = nullptr) const {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    GetConsoleScreenBufferInfo(screen_, &info);
    DWORD cleared = 0;
    FillConsoleOutputCharacterW(screen_, L' ', info.dwSize.X * info.dwSize.Y, {0, 0}, &cleared);
    SetConsoleCursorPosition(screen_, {0, 0});
    std::string exe = VARNEL_SPLIT_EXE;
    if (exe[0] == '/') exe = "Z:" + exe;  // the build tree's Unix path, as Wine maps it
    std::wstring line = L"\"" + wide(exe) + L"\" " + arguments;
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = keyboard_;
    start.hStdOutput = out != nullptr ? out : screen_;
    start.hStdError = screen_;
    PROCESS_INFORMATION process{};
    DWORD code = 999;
    if (CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, folder_.c_str(),
                       &start, &process)) {
      if (WaitForSingleObject(process.hProcess, 20000) == WAIT_TIMEOUT)
        TerminateProcess(process.hProcess, 998);
      WaitForSingleObject(process.hProcess, INFINITE);
      GetExitCodeProcess(process.hProcess, &code);
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    }
    return code;
  }

  // What the screen shows, line by line from the top, blanks at the ends of
  // lines and empty lines at the end dropped, in UTF-8.
  std::vector<std::string> screen() const {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    GetConsoleScreenBufferInfo(screen_, &info);
    std::vector<std::string> lines;
    std::wstring row(info.dwSize.X, L' ');
    for (SHORT y = 0; y <= info.dwCursorPosition.Y; ++y) {
      DWORD read = 0;
      ReadConsoleOutputCharacterW(screen_, &row[0], info.dwSize.X, {0, y}, &read);
      std::wstring text = row.substr(0, read);
      text.erase(text.find_last_not_of(L' ') + 1);
      lines.push_back(utf8(text));
    }
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
  }

  // The screen as one text.
  std::string shown() const {
    std::string text;
    for (const std::string& line : screen()) text += line + "\n";
    return text;
  }

  fs::path folder_;
  HANDLE screen_ = INVALID_HANDLE_VALUE, keyboard_ = INVALID_HANDLE_VALUE;
};

TEST_F(Console, ShowsNamesAsTheyAreAndKeepsItsCodePage) {
  write_file("rover.adi", record("Łódź") + record("Ровер"));
  EXPECT_EQ(run(L"rover.adi"), 0u);
  EXPECT_EQ(screen(), (std::vector<std::string>{"Wrote    1 QSOs to rover_Łódź.adi",
                                                "Wrote    1 QSOs to rover_Ровер.adi"}));
  EXPECT_EQ(GetConsoleOutputCP(), 437u);

  // A file keeps getting UTF-8, whatever the console beside it.
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const fs::path printed = folder_ / "printed.txt";
  HANDLE file = CreateFileW(printed.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                            CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(run(L"--overwrite rover.adi", file), 0u);
  CloseHandle(file);
  std::ifstream in(printed, std::ios::binary);
  std::string bytes(std::istreambuf_iterator<char>(in), {});
  bytes.erase(std::remove(bytes.begin(), bytes.end(), '\r'), bytes.end());
  EXPECT_EQ(bytes, "Wrote    1 QSOs to rover_Łódź.adi\nWrote    1 QSOs to rover_Ровер.adi\n\n");
  EXPECT_TRUE(screen().empty());
}

// The questions for two QTHs of a long log name differ, and the console
// shows them and the status lines whole, letter for letter.
TEST_F(Console, AsksAboutLongNamesInTheirOwnLetters) {
  const std::string stem = "Полевой день ВКВ 2024 ровер RA3ABC окончательный журнал";
  write_file(stem + ".adi", record("FN42") + record("FN43"));
  write_file(stem + "_FN42.adi", "old");
  write_file(stem + "_FN43.adi", "old");
  type(L"y\ry\r");
  EXPECT_EQ(run(L"\"" + wide(stem) + L".adi\""), 0u);
  const std::string text = shown();
  const std::string question = "Are you sure you want to overwrite Полевой день ВКВ 2024 рове...";
  for (const char* qth : {"FN42", "FN43"}) {
    EXPECT_NE(text.find(question + "ончательный журнал_" + qth + ".adi [y]es/[n]o/[c]ancel?"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Wrote    1 QSOs to " + stem + "_" + qth + ".adi"), std::string::npos)
        << text;
  }
  EXPECT_EQ(text.find("\xEF\xBF\xBD"), std::string::npos) << text;
  EXPECT_EQ(GetConsoleOutputCP(), 437u);
}

}  // namespace
