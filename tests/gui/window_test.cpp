// The real main window under Wine, driven by real messages.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <regex>
#include <thread>

#include "gui/input_file.h"
#include "gui/resource.h"
#include "gui/win32_host.h"
#include "gui_fixture.h"
#include "platform/code_page.h"
#include "short_name.h"

namespace {

const std::vector<Created> kControls = {
    {"LISTBOX", "", 0x50104000, 0x200, 135, 25, 200, 30, ID_INPUT_NAME_LIST},
    {"BUTTON", "Input", 0x50010000, 0, 20, 25, 80, 25, ID_INPUT},
    {"BUTTON", "Split", 0x50000000, 0, 20, 75, 80, 25, ID_SPLIT},
    {"BUTTON", "Help", 0x50000000, 0, 135, 75, 80, 25, ID_HELP},
    {"BUTTON", "About", 0x50000000, 0, 250, 75, 80, 25, ID_ABOUT},
    {"BUTTON", "Exit", 0x50000000, 0, 365, 75, 80, 25, ID_EXIT},
    {"LISTBOX", "", 0x50B04100, 0x200, 20, 125, 440, 200, ID_STATUS_LIST},
};

std::string record(const char* qth) {
  return std::string("<CALL:4>W1AW <APP_N1MM_ROVERQTH:") + std::to_string(strlen(qth)) + ">" + qth +
         " <EOR>\r\n";
}

// Files dropped as Explorer hands them over: a DROPFILES header, then the
// paths in UTF-16, each ended by a NUL, and one more NUL.
HDROP make_drop(const std::vector<std::string>& files) {
  std::wstring list;
  for (const std::string& file : files) list += wide(file) + L'\0';
  list += L'\0';
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  memcpy(header + 1, list.data(), list.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

}  // namespace

TEST_F(Window, MakesClassWindowAndSevenControlsAsAskedInTabOrder) {
  WNDCLASSA wc{};
  ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "VARNEL", &wc));
  EXPECT_EQ(wc.style, 0u);
  EXPECT_EQ(wc.lpfnWndProc, main_window_proc);
  EXPECT_EQ(wc.cbClsExtra + wc.cbWndExtra, 0);
  EXPECT_EQ(wc.hCursor, LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(wc.hbrBackground, GetSysColorBrush(COLOR_BTNFACE));
  EXPECT_EQ(wc.lpszMenuName, nullptr);

  ASSERT_EQ(created.size(), 1 + kControls.size());
  EXPECT_EQ(created[0].class_name + "|" + created[0].text, "VARNEL|VARNEL");
  EXPECT_EQ(created[0].style, 0x10CF0000u);
  EXPECT_EQ(created[0].ex_style & ~WS_EX_WINDOWEDGE,
            0u);  // the system adds the edge to framed windows
  RECT outer{};
  GetWindowRect(main, &outer);
  EXPECT_EQ(outer.right - outer.left, 500);
  EXPECT_EQ(outer.bottom - outer.top, 400);

  for (size_t i = 0; i < kControls.size(); ++i) {
    const Created& want = kControls[i];
    const Created& got = created[i + 1];
    SCOPED_TRACE(want.id);
    EXPECT_EQ(got.class_name + "|" + got.text, want.class_name + "|" + want.text);
    EXPECT_EQ(got.style, want.style);
    EXPECT_EQ(got.ex_style, want.ex_style);
    EXPECT_EQ(std::vector<int>({got.x, got.y, got.width, got.height}),
              std::vector<int>({want.x, want.y, want.width, want.height}));
    EXPECT_EQ(got.id, want.id);
    EXPECT_EQ(got.parent, main);
    EXPECT_EQ(GetDlgItem(main, static_cast<int>(want.id)), got.window);
    char class_name[16] = {};
    GetClassNameA(got.window, class_name, sizeof class_name);
    EXPECT_STREQ(class_name, want.class_name == "LISTBOX" ? "ListBox" : "Button");
  }
  EXPECT_EQ(input_list, created[1].window);
  EXPECT_EQ(status_list, created[7].window);
  // The input-name list is trimmed to whole lines; the buttons stay as made.
  RECT names = placed(input_list);
  RECT names_client{};
  GetClientRect(input_list, &names_client);
  EXPECT_LE(names.bottom - names.top, 30);
  EXPECT_EQ(names_client.bottom % SendMessageA(input_list, LB_GETITEMHEIGHT, 0, 0), 0);
  for (int id = ID_INPUT; id <= ID_EXIT; ++id) {
    const Created& want = kControls[id - ID_INPUT + 1];
    EXPECT_EQ(edges(placed(GetDlgItem(main, id))),
              edges({want.x, want.y, want.x + 80, want.y + 25}));
  }
  EXPECT_EQ(SendMessageA(status_list, WM_GETFONT, 0, 0),
            reinterpret_cast<LRESULT>(GetStockObject(SYSTEM_FIXED_FONT)));
  EXPECT_EQ(SendMessageA(input_list, WM_GETFONT, 0, 0), 0);
  // The manifest gives the controls of common controls 6, which alone know BCM_GETIDEALSIZE.
  SIZE ideal{};
  EXPECT_TRUE(SendMessageA(GetDlgItem(main, ID_INPUT), BCM_GETIDEALSIZE, 0,
                           reinterpret_cast<LPARAM>(&ideal)));
  // Tab only ever reaches Input, the one tab stop.
  HWND input = GetDlgItem(main, ID_INPUT);
  EXPECT_EQ(GetNextDlgTabItem(main, nullptr, FALSE), input);
  EXPECT_EQ(GetNextDlgTabItem(main, input, FALSE), input);
}

TEST_F(Window, KeepsMinimumTrackingSizeAndStatusListLayoutThroughResizes) {
  MINMAXINFO info;
  memset(&info, 7, sizeof info);
  MINMAXINFO expected = info;
  expected.ptMinTrackSize = {500, 400};
  SendMessageA(main, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(memcmp(&info, &expected, sizeof info), 0);

  const SIZE first = client();
  std::vector<RECT> buttons;
  for (int id = ID_INPUT; id <= ID_EXIT; ++id) buttons.push_back(placed(GetDlgItem(main, id)));
  auto expect_layout = [&](const char* step) {
    SCOPED_TRACE(step);
    const SIZE now = client();
    const RECT r = placed(status_list);
    EXPECT_EQ(std::vector<LONG>({r.left, r.top, r.right - r.left, r.bottom - r.top}),
              std::vector<LONG>({20, 125, 440 + now.cx - first.cx, now.cy - 160}));
    for (int id = ID_INPUT; id <= ID_EXIT; ++id) {
      EXPECT_EQ(edges(placed(GetDlgItem(main, id))), edges(buttons[id - ID_INPUT]));
    }
  };
  expect_layout("created");
  struct Step {
    const char* name;
    int width, height;
  };
  for (const Step& s : {Step{"larger", 700, 600}, Step{"narrow", 520, 410}, Step{"wide", 900, 450},
                        Step{"below minimum", 300, 200}}) {
    SetWindowPos(main, nullptr, 0, 0, s.width, s.height, SWP_NOMOVE | SWP_NOZORDER);
    expect_layout(s.name);
  }
  RECT outer{};
  GetWindowRect(main, &outer);
  EXPECT_EQ(std::vector<LONG>({outer.right - outer.left, outer.bottom - outer.top}),
            std::vector<LONG>({500, 400}));

  const RECT before = placed(status_list);
  for (int show : {SW_MAXIMIZE, SW_RESTORE, SW_MINIMIZE, SW_RESTORE}) {
    ShowWindow(main, show);
    if (show != SW_MINIMIZE) expect_layout(show == SW_MAXIMIZE ? "maximised" : "restored");
  }
  const RECT after = placed(status_list);
  EXPECT_EQ(edges(after), edges(before));
}

TEST_F(Window, OtherNotificationsAndIdsOnlyGetDefaultProcessing) {
  chosen = write_file("log.adi", record("AA"));
  const struct {
    int id, code;
  } cases[] = {{ID_INPUT, 1}, {ID_SPLIT, 5}, {ID_HELP, 0xFFFF}, {ID_ABOUT, 1},
               {ID_EXIT, 1},  {1000, 0},     {1006, 0},         {ID_STATUS_LIST, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(command(c.id, c.code), 0);
    EXPECT_EQ(boxes.size() + dialogs.size() + shell.size(), 0u);
    EXPECT_EQ(take_quit(), -1);
  }
}

TEST_F(Window, SplitWithoutUsableInputShowsErrorAndLeavesStatusList) {
  SendMessageA(status_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("earlier"));
  EXPECT_EQ(command(ID_SPLIT), 1);
  const std::string long_name = std::string(150, 'q') + ".adi";
  const std::string missing = (dir / "missing.adi").string();
  // Device names: a serial port's read would never come back, so the run
  // ends after 20 s instead of at ctest's limit.
  HANDLE watchdog = nullptr;
  CreateTimerQueueTimer(
      &watchdog, nullptr, [](void*, BOOLEAN) { TerminateProcess(GetCurrentProcess(), 3); }, nullptr,
      20000, 0, WT_EXECUTEONLYONCE);
  for (const std::string& name : {std::string("missing.adi"), long_name, std::string("aux.adi"),
                                  std::string("com1.adi"), std::string("nul.adi")}) {
    choose((dir / name).string());
    EXPECT_EQ(lines(input_list), std::vector<std::string>{name});
    EXPECT_EQ(command(ID_SPLIT), 1);
  }
  DeleteTimerQueueTimer(nullptr, watchdog, INVALID_HANDLE_VALUE);
  ASSERT_EQ(boxes.size(), 6u);
  // The long name loses its middle, so that its start, its end and the reason show.
  const std::string texts[] = {"Did not specify input file.",
                               "Error opening " + missing + ":\nNo such file or directory",
                               "Error opening " + std::string(41, 'q') + "..." +
                                   std::string(38, 'q') + ".adi:\nNo such file or directory",
                               "Error opening " + (dir / "aux.adi").string() + ":\nnot a file",
                               "Error opening " + (dir / "com1.adi").string() + ":\nnot a file",
                               "Error opening " + (dir / "nul.adi").string() + ":\nnot a file"};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(boxes[i].text, texts[i]);
    EXPECT_EQ(boxes[i].caption, "Error");
    EXPECT_EQ(boxes[i].owner, nullptr);
    EXPECT_EQ(boxes[i].style, static_cast<UINT>(MB_ICONERROR | MB_OK));
  }
  EXPECT_EQ(lines(status_list), std::vector<std::string>{"earlier"});
}

TEST_F(Window, SplitShowsStatusGroupsAndExtentOnlyGrows) {
  const std::string rover =
      write_file("rover.log.adi", "<EOH>\r\n" + record("FN31PR_HILLTOP") +
                                      record("FN31PR_HILLTOP") + record("FN42"));
  const std::string none = write_file("none.adi", "<CALL:4>W1AW <EOR>\r\n");
  // A NUL byte truncates its line: the split stops there with an error.
  const std::string cut =
      write_file("cut.adi", record("A") + std::string(1100, 'x') + std::string(1, '\0'));
  const std::string longer =
      write_file("longer.adi", record("A_VERY_LONG_QTH_NAME_FOR_THE_EXTENT"));
  // A log in a Polish folder beside its look-alike, with a UTF-8 and a
  // Latin-1 QTH. The manifest makes the program's code page UTF-8, so these
  // narrow paths are UTF-8 (std::filesystem would take them for Latin-1).
  const std::string polish = dir.string() + "\\Łódź", look_alike = dir.string() + "\\Lódz";
  const std::string utf8_log = record("Łódź") + record("Montr\351al");  // \351: Latin-1 é
  for (const std::string& folder : {polish, look_alike}) {
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    std::ofstream(folder + "\\rover.adi", std::ios::binary) << utf8_log;
  }
  struct Step {
    std::string input;
    std::vector<std::string> want;  // "*" stands for any non-empty line
    size_t questions;
  };
  const Step steps[] = {
      {rover,
       {"Wrote    2 QSOs to rover_FN31PR_HILLTOP.adi", "Wrote    1 QSOs to rover_FN42.adi", ""},
       0},
      {none, {"Did not create any output files!", ""}, 0},
      {rover,
       {"Wrote    2 QSOs to rover_FN31PR_HILLTOP.adi", "Wrote    1 QSOs to rover_FN42.adi", ""},
       2},
      {cut, {"*", "", "Wrote    1 QSOs to cut_A.adi", ""}, 0},
      {longer, {"Wrote    1 QSOs to longer_A_VERY_LONG_QTH_NAME_FOR_THE_EXTENT.adi", ""}, 0},
      {polish + "\\rover.adi",
       {"Wrote    1 QSOs to rover_Montr_al.adi", "Wrote    1 QSOs to rover_Łódź.adi", ""},
       0},
  };
  on_box = [] { return IDYES; };
  size_t longest = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.input);
    boxes.clear();
    choose(step.input);
    EXPECT_EQ(command(ID_SPLIT), 0);
    std::vector<std::string> shown = lines(status_list);
    ASSERT_EQ(shown.size(), step.want.size());
    for (size_t i = 0; i < shown.size(); ++i) {
      if (step.want[i] == "*")
        EXPECT_FALSE(shown[i].empty());
      else
        EXPECT_EQ(shown[i], step.want[i]);
      longest = std::max(longest, shown[i].size());
    }
    EXPECT_EQ(SendMessageA(status_list, LB_GETHORIZONTALEXTENT, 0, 0),
              static_cast<LRESULT>(8 * longest));
    ASSERT_EQ(boxes.size(), step.questions);
    for (const BoxCall& box : boxes) {
      EXPECT_EQ(box.owner, nullptr);
      EXPECT_EQ(box.style, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION));
    }
  }
  EXPECT_TRUE(std::filesystem::exists(dir / "rover_FN42.adi"));
  // The outputs stand beside the chosen log; the look-alike holds its log alone.
  for (const char* name : {"\\rover_Łódź.adi", "\\rover_Montr_al.adi"})
    EXPECT_NE(GetFileAttributesA((polish + name).c_str()), INVALID_FILE_ATTRIBUTES) << name;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((look_alike + "\\*.adi").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(found.cFileName, "rover.adi");
  EXPECT_FALSE(FindNextFileA(search, &found)) << found.cFileName;
  FindClose(search);
}

// More QTHs than msvcrt.dll has streams (2,048): each gets its file, with no
// box, and the status list says so for every one.
TEST_F(Window, SplitOfThousandsOfQthsWritesEveryFileWithoutABox) {
  constexpr int kQths = 3000;
  std::string log;
  for (int i = 0; i < kQths; ++i) log += record(("Q" + std::to_string(i)).c_str());
  choose(write_file("many.adi", log));
  EXPECT_EQ(command(ID_SPLIT), 0);
  EXPECT_TRUE(boxes.empty()) << boxes.front().text;
  const std::vector<std::string> shown = lines(status_list);
  const auto wrote = std::count_if(shown.begin(), shown.end(), [](const std::string& line) {
    return line.rfind("Wrote    1 QSOs to many_Q", 0) == 0;
  });
  EXPECT_EQ(wrote, kQths);
  EXPECT_EQ(shown.size(), static_cast<size_t>(kQths) + 1);
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    files += entry.path().filename().string().rfind("many_Q", 0) == 0;
  EXPECT_EQ(files, kQths);
}

// A QTH that spells another file's short name would open and replace that
// file: it gets the open-failure box, and the file keeps its bytes.
TEST_F(Window, SplitNeverWritesAFileThroughItsShortName) {
  const std::string other = write_file("ab_cdefghij.adi", "old");
  const std::string alias = short_name_qth(other);
  ASSERT_FALSE(alias.empty()) << "no short names in " << dir;
  choose(write_file("ab.adi", record(alias.c_str())));
  on_box = [this] { return boxes.size() == 1 ? IDYES : IDOK; };
  EXPECT_EQ(command(ID_SPLIT), 0);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "Are you sure you want to overwrite ab_" + alias + ".adi");
  EXPECT_EQ(boxes[1].text,
            "Could not open output file " + (dir / ("ab_" + alias + ".adi")).string() + "\n");
  EXPECT_EQ(lines(status_list), (std::vector<std::string>{"Did not create any output files!", ""}));
  std::ifstream in(other, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "old");
}

TEST_F(Window, InputDialogRecordAndCancelKeepsEarlierChoice) {
  const std::string first = write_file("first.adi", "");
  const std::filesystem::path started_in = std::filesystem::current_path();
  choose(first);
  chosen.clear();  // the second dialog is cancelled (after scribbling in its buffer)
  command(ID_INPUT);
  ASSERT_EQ(dialogs.size(), 2u);
  const OPENFILENAMEW& r = dialogs[0];
  EXPECT_EQ(r.lStructSize, sizeof(OPENFILENAMEW));
  EXPECT_EQ(std::wstring(r.lpstrFilter, 39),
            std::wstring(L"ADIF Files\0*.adi;*.adif\0All Files\0*.*\0\0", 39));
  EXPECT_EQ(r.nFilterIndex, 0u);
  EXPECT_EQ(r.nMaxFile, 260u);
  EXPECT_STREQ(r.lpstrTitle, L"Input ADIF File");
  EXPECT_EQ(r.Flags, 0x8100Cu);
  // The folder browsed to stays free: the current folder is the one before.
  EXPECT_EQ(std::filesystem::current_path(), started_in);
  EXPECT_STREQ(r.lpstrDefExt, L"adi");
  EXPECT_EQ(r.hwndOwner, nullptr);
  EXPECT_EQ(r.lpstrCustomFilter, nullptr);
  EXPECT_EQ(r.lpstrFileTitle, nullptr);
  EXPECT_EQ(r.lpstrInitialDir, nullptr);
  EXPECT_EQ(dialog_files, (std::vector<std::string>{"", first}));
  EXPECT_EQ(std::string(input_path), first);
  EXPECT_EQ(lines(input_list), std::vector<std::string>{"first.adi"});
}

TEST_F(Window, AboutHelpAndExit) {
  command(ID_ABOUT);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].owner, main);
  EXPECT_EQ(boxes[0].caption, "About this program...");
  EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_ICONINFORMATION | MB_OK));
  EXPECT_TRUE(std::regex_match(
      boxes[0].text,
      std::regex("VARNEL\nVersion 1\\.1 -- [A-Z][a-z]{2} [ 1-3][0-9] "
                 "20[0-9]{2} [0-2][0-9]:[0-5][0-9]:[0-5][0-9]\nVARNEL contributors")))
      << boxes[0].text;

  command(ID_HELP);
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  ASSERT_EQ(shell.size(), 1u);
  EXPECT_EQ(shell[0].owner, nullptr);
  EXPECT_EQ(shell[0].verb, "open");
  EXPECT_EQ(shell[0].file, std::string(exe, strrchr(exe, '\\') + 1) + "help\\varnel.html");
  EXPECT_TRUE(shell[0].no_parameters_or_directory);
  EXPECT_EQ(shell[0].show, SW_SHOWNORMAL);

  EXPECT_EQ(command(ID_EXIT), 0);
  EXPECT_EQ(take_quit(), 0);
  EXPECT_TRUE(IsWindow(main));
}

TEST(HelpTarget, AddressWithoutSchemeIsTakenFromProgramFolder) {
  const struct {
    const char *address, *module, *want;
  } cases[] = {
      {"help\\varnel.html", "C:\\apps\\VARNEL.exe", "C:\\apps\\help\\varnel.html"},
      {"https://example.org/varnel", "C:\\apps\\VARNEL.exe", "https://example.org/varnel"},
      {"mailto:op@example.org", "C:\\apps\\VARNEL.exe", "mailto:op@example.org"},
      {"varnel.html", "", "varnel.html"},
  };
  for (const auto& c : cases) {
    char out[MAX_PATH];
    help_target(c.address, c.module, out, sizeof out);
    EXPECT_STREQ(out, c.want);
  }
}

TEST_F(Window, MessageLoopEndsWithCodeZeroOnExitAndOnClose) {
  PostMessageA(main, WM_COMMAND, ID_EXIT, 0);
  EXPECT_EQ(app.run(), 0);
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(app.run(), 0);
  EXPECT_FALSE(IsWindow(main));
}

TEST_F(Window, OneSplitAtATimeAndQuitWaitsForIt) {
  const std::string rover =
      write_file("rover.adi", record("FN31") + record("FN31") + record("FN42"));
  write_file("rover_FN31.adi", "old");
  write_file("rover_FN42.adi", "old");
  const std::string other = write_file("other.adi", record("ZZ"));
  const struct {
    const char* name;
    UINT message;
    WPARAM wParam;
  } quits[] = {{"Exit", WM_COMMAND, ID_EXIT}, {"close box", WM_CLOSE, 0}};
  for (const auto& quit : quits) {
    SCOPED_TRACE(quit.name);
    choose(rover);
    boxes.clear();
    dialogs.clear();
    on_box = [&] {
      // While the overwrite question is up: a second Split or Input does
      // nothing, and the quit waits.
      chosen = other;
      EXPECT_EQ(command(ID_SPLIT), 0);
      command(ID_INPUT);
      SendMessageA(main, quit.message, quit.wParam, 0);
      EXPECT_EQ(take_quit(), -1);
      return IDYES;
    };
    command(ID_SPLIT);
    // The question for FN42 was never shown: the quit cancelled it.
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(dialogs.empty());
    EXPECT_EQ(std::string(input_path), rover);
    EXPECT_EQ(take_quit(), 0);
    // Closed, so it can be opened for writing again.
    HANDLE file = CreateFileA((dir / "rover_FN31.adi").string().c_str(), GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
  }
  EXPECT_FALSE(IsWindow(main));
}

// Windows ending the session during a split: the end is refused while the
// split runs; when it comes anyway, the files are closed after their last
// whole record before WM_ENDSESSION returns (after which Windows ends the
// process), and the split stops as after Cancel. A critical query (the user
// chose to shut down anyway) is granted, its files closed before the answer.
// The end reaches the window during a question, or from another thread
// between records.
TEST_F(Window, EndOfSessionDuringASplitClosesItsFilesFirst) {
  const std::string rover =
      write_file("rover.adi", record("A") + record("B") + record("A") + record("C") + record("A"));
  const std::string one = "<CALL:4>W1AW <EOR>\r\n";
  const std::string two_of_a = "<EOH>\r\n" + one + one;
  const std::string stopped = "ERROR: Interrupted before the end of the log\n";
  const struct {
    const char* name;
    bool critical;  // a critical query follows the refused one, and is granted
    BOOL ends;      // the WM_ENDSESSION that follows
    bool from_thread;
    size_t questions;
    std::string a, c, shown;  // rover_A.adi, rover_C.adi, the status list's lines
  } rows[] = {
      {"ended at the second question", false, TRUE, false, 2, two_of_a, "old C",
       stopped + "\nWrote    2 QSOs to rover_A.adi\n\n"},
      {"called off at the second question", false, FALSE, false, 2, two_of_a + one,
       "<EOH>\r\n" + one, "Wrote    3 QSOs to rover_A.adi\nWrote    1 QSOs to rover_C.adi\n\n"},
      {"ended from another thread before the first record", false, TRUE, true, 0, "<absent>",
       "old C", stopped + "Did not create any output files!\n\n"},
      // Shut down anyway: Windows may end the process right after the answer.
      {"critical at the second question", true, TRUE, false, 2, two_of_a, "old C",
       stopped + "\nWrote    2 QSOs to rover_A.adi\n\n"},
      {"critical, then no WM_ENDSESSION", true, FALSE, false, 2, two_of_a, "old C",
       stopped + "\nWrote    2 QSOs to rover_A.adi\n\n"},
      {"critical from another thread before the first record", true, TRUE, true, 0, "<absent>",
       "old C", stopped + "Did not create any output files!\n\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::filesystem::remove(dir / "rover_A.adi");
    write_file("rover_B.adi", "old B");  // declined with No
    write_file("rover_C.adi", "old C");  // its question is up when the session ends
    choose(rover);
    boxes.clear();
    on_box = [&] {
      if (boxes.size() == 1) return IDNO;
      EXPECT_EQ(SendMessageA(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), FALSE);
      if (row.critical) {
        EXPECT_EQ(SendMessageA(main, WM_QUERYENDSESSION, 0, ENDSESSION_CRITICAL), TRUE);
        EXPECT_EQ(read_file("rover_A.adi"), two_of_a);
      }
      SendMessageA(main, WM_ENDSESSION, row.ends, ENDSESSION_LOGOFF);
      // What Windows leaves on disk when it ends the process right here.
      if (row.ends) {
        EXPECT_EQ(read_file("rover_A.adi"), two_of_a);
      }
      return IDYES;  // too late once the session has ended
    };
    std::thread sender;
    DWORD_PTR granted = 0;
    if (row.from_thread) {
      sender = std::thread([&] {
        // One message: the split ends at it and then takes no other.
        DWORD_PTR result = 0;
        if (row.critical) {
          SendMessageTimeoutA(main, WM_QUERYENDSESSION, 0, ENDSESSION_CRITICAL, SMTO_NORMAL, 10000,
                              &granted);
        } else {
          SendMessageTimeoutA(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000,
                              &result);
        }
      });
      // The split takes the message at its first look at the queue.
      for (int i = 0; i < 500 && !(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE); ++i)
        Sleep(10);
    }
    command(ID_SPLIT);
    if (sender.joinable()) sender.join();
    EXPECT_EQ(granted, row.critical && row.from_thread ? TRUE : FALSE);

    std::string shown;
    for (const std::string& line : lines(status_list)) shown += line + "\n";
    EXPECT_EQ(shown, row.shown);
    EXPECT_EQ(boxes.size(), row.questions);
    EXPECT_EQ(read_file("rover_A.adi"), row.a);
    EXPECT_EQ(read_file("rover_B.adi"), "old B");
    EXPECT_EQ(read_file("rover_C.adi"), row.c);
    // No split, no objection.
    EXPECT_NE(SendMessageA(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), FALSE);
  }
}

TEST(Win32Host, MapsAnswersAndStyles) {
  std::vector<BoxCall> asked;
  int answer = 0;
  modal_calls().message_box = [&](HWND owner, const char* text, const char* caption, UINT style) {
    asked.push_back({owner, text, caption, style});
    return answer;
  };
  Win32Host host(nullptr);
  const struct {
    int pressed;
    Buttons buttons;
    Icon icon;
    UINT style;
    Answer want;
  } cases[] = {
      {IDYES, Buttons::kYesNoCancel, Icon::kQuestion, MB_YESNOCANCEL | MB_ICONQUESTION,
       Answer::kYes},
      {IDNO, Buttons::kYesNoCancel, Icon::kQuestion, MB_YESNOCANCEL | MB_ICONQUESTION, Answer::kNo},
      {IDCANCEL, Buttons::kYesNoCancel, Icon::kQuestion, MB_YESNOCANCEL | MB_ICONQUESTION,
       Answer::kCancel},
      {IDOK, Buttons::kOkCancel, Icon::kError, MB_OKCANCEL | MB_ICONERROR, Answer::kOk},
      {0, Buttons::kOkCancel, Icon::kError, MB_OKCANCEL | MB_ICONERROR, Answer::kCancel},
      {IDABORT, Buttons::kOkCancel, Icon::kError, MB_OKCANCEL | MB_ICONERROR, Answer::kCancel},
  };
  for (const auto& c : cases) {
    answer = c.pressed;
    asked.clear();
    EXPECT_EQ(host.ask("text", "caption", c.buttons, c.icon), c.want);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].owner, nullptr);
    EXPECT_EQ(asked[0].text + "|" + asked[0].caption, "text|caption");
    EXPECT_EQ(asked[0].style, c.style);
  }
  modal_calls() = real_modal_calls();
}

TEST_F(Window, DroppedFileBecomesInputUnlessSplittingOrTooLong) {
  EXPECT_TRUE(GetWindowLongPtrA(main, GWL_EXSTYLE) &
              WS_EX_ACCEPTFILES);  // Explorer drops only then
  const std::string earlier = write_file("earlier.adi", record("FN31"));
  write_file("earlier_FN31.adi", "old");  // so that the split stops at a question
  const std::string first = (dir / "first log.adi").string(),
                    second = (dir / "second.adi").string();
  const std::string too_long = (dir / (std::string(250, 'x') + ".adi")).string();
  const struct {
    const char* name;
    std::vector<std::string> files;
    bool during_split;
    std::string want;
  } rows[] = {
      {"one file", {first}, false, first},
      {"two files", {second, first}, false, second},
      {"a Polish folder",
       {dir.string() + "\\Łódź\\rover.adi"},
       false,
       dir.string() + "\\Łódź\\rover.adi"},
      {"during a split", {first}, true, earlier},
      {"too long", {too_long, first}, false, earlier},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    choose(earlier);
    boxes.clear();
    HDROP drop = make_drop(row.files);
    auto send_drop = [&] {
      return SendMessageA(main, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    };
    on_box = [&] {
      if (row.during_split) send_drop();
      return IDNO;
    };
    if (row.during_split)
      command(ID_SPLIT);
    else
      EXPECT_EQ(send_drop(), 0);
    EXPECT_EQ(GlobalSize(drop), 0u);  // released by DragFinish
    EXPECT_EQ(std::string(input_path), row.want);
    const std::string name = std::filesystem::path(row.want).filename().string();
    EXPECT_EQ(lines(input_list), std::vector<std::string>{name});
    const bool refused = row.files[0] == too_long;
    ASSERT_EQ(boxes.size(), refused || row.during_split ? 1u : 0u);
    if (refused) {
      // 127 bytes, of which the start and the end of the name and the reason show.
      const std::string reason = strerror(ENAMETOOLONG);
      const std::size_t keep = 108 - reason.size();  // 127 less the other texts and "..."
      EXPECT_EQ(boxes[0].text, "Error opening " + std::string(keep / 2, 'x') + "..." +
                                   std::string(keep - keep / 2 - 4, 'x') + ".adi:\n" + reason);
      EXPECT_EQ(boxes[0].caption, "Error");
      EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_ICONERROR | MB_OK));
    }
  }
}

TEST_F(Window, FirstCommandLineArgumentBecomesInputAsAFullPath) {
  const std::string folder = (dir / "Logs and more").string();
  std::filesystem::create_directories(folder);
  char previous[MAX_PATH] = {};
  GetCurrentDirectoryA(sizeof previous, previous);
  SetCurrentDirectoryA(folder.c_str());
  const std::string too_long = std::string(300, 'y') + ".adi";
  const struct {
    std::string command_line;
    std::string want;  // input_path after the row; rows build on each other
    size_t boxes;
  } rows[] = {
      {"VARNEL.exe", "", 0},
      {"VARNEL.exe rover.adi", folder + "\\rover.adi", 0},
      {"\"C:\\Program Files\\VARNEL.exe\" \"" + folder + "\\log 2.adi\" other.adi",
       folder + "\\log 2.adi", 0},
      {"VARNEL.exe " + too_long, folder + "\\log 2.adi", 1},
      {"VARNEL.exe \"Ровер\\Log 3.adi\"", folder + "\\Ровер\\Log 3.adi", 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.command_line);
    boxes.clear();
    take_command_line_file(app.state, wide(row.command_line).c_str());
    EXPECT_EQ(std::string(input_path), row.want);
    EXPECT_EQ(lines(input_list).size(), row.want.empty() ? 0u : 1u);
    EXPECT_EQ(boxes.size(), row.boxes);
  }
  SetCurrentDirectoryA(previous);
}

// Logs whose output names pass the 127 bytes of a message: the questions
// for FN42 and FN43 differ, each names its QTH and ".adi", and so does every
// status line; a name loses its middle, never half a letter (U+FFFD).
TEST_F(Window, QuestionsAndStatusLinesOfLongNamesShowTheirQth) {
  const struct {
    std::string stem;
    std::string fn42_question_name;  // the name as the FN42 question shows it
  } logs[] = {
      {"Полевой день ВКВ 2024 ровер RA3ABC окончательный журнал",
       "Полевой день ВКВ 2024 рове...ончательный журнал_FN42.adi"},
      {"2024-06-08 ARRL June VHF Contest - K1ABC-R rover - log exported from N1MM Logger+ (final)",
       "2024-06-08 ARRL June VHF Contest - K1ABC-R r...g exported from N1MM Logger+ "
       "(final)_FN42.adi"},
      // Output names of 132 bytes: the status lines lose their middle too.
      {"Полевой день ВКВ 2024 ровер RA3ABC окончательный журнал, копия для ARRL, 2024",
       "Полевой день ВКВ 2024 рове...нал, копия для ARRL, 2024_FN42.adi"},
  };
  auto well_formed = [](const std::string& text) {
    return text.find("\xEF\xBF\xBD") == std::string::npos &&
           MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                               static_cast<int>(text.size()), nullptr, 0) > 0;
  };
  on_box = [] { return IDYES; };
  for (const auto& log : logs) {
    SCOPED_TRACE(log.stem);
    const std::string stem = dir.string() + "\\" + log.stem;
    std::ofstream(std::filesystem::path(wide(stem + ".adi")), std::ios::binary)
        << record("FN42") + record("FN43");
    for (const char* qth : {"FN42", "FN43"})
      std::ofstream(std::filesystem::path(wide(stem + "_" + qth + ".adi"))) << "old";
    boxes.clear();
    choose(stem + ".adi");
    EXPECT_EQ(command(ID_SPLIT), 0);
    ASSERT_EQ(boxes.size(), 2u);
    std::string fn43_name = log.fn42_question_name;
    fn43_name.replace(fn43_name.size() - 5, 1, "3");
    EXPECT_EQ(boxes[0].text, "Are you sure you want to overwrite " + log.fn42_question_name);
    EXPECT_EQ(boxes[1].text, "Are you sure you want to overwrite " + fn43_name);
    const std::vector<std::string> shown = lines(status_list);
    ASSERT_EQ(shown.size(), 3u);
    for (int i = 0; i < 2; ++i) {
      const std::string& line = shown[i];
      const std::string end = i == 0 ? "_FN42.adi" : "_FN43.adi";
      EXPECT_TRUE(well_formed(boxes[i].text)) << boxes[i].text;
      EXPECT_TRUE(well_formed(line)) << line;
      EXPECT_LE(line.size(), 127u);
      EXPECT_EQ(line.compare(0, 19 + 20, "Wrote    1 QSOs to " + log.stem.substr(0, 20)), 0)
          << line;
      EXPECT_EQ(line.substr(line.size() - end.size()), end) << line;
      const bool whole = 19 + log.stem.size() + end.size() <= 127;
      EXPECT_EQ(line.find("...") == std::string::npos, whole) << line;
    }
  }
}

// Windows takes paths of up to 259 UTF-16 units, and so does the window
// however many bytes their letters take in UTF-8: a Cyrillic log seven
// folders deep (over 260 bytes) by the command line, a drop and the dialog,
// split each time; one unit more is refused.
TEST_F(Window, CyrillicPathsAsLongAsWindowsTakesComeInEveryWay) {
  const std::string folder = dir.string() +
                             "\\Александр Владимирович\\Documents\\Радиолюбительство\\Соревнования "
                             "2024\\Полевой день ВКВ июнь\\Журналы N1MM Logger+\\Экспорт для "
                             "отправки в ARRL";
  const std::string log = folder + "\\ровер журнал.adi";
  ASSERT_GT(log.size(), static_cast<std::size_t>(MAX_PATH));  // in bytes, not in characters
  ASSERT_LT(wide(log).size(), static_cast<std::size_t>(MAX_PATH));
  ASSERT_EQ(SHCreateDirectoryExW(nullptr, wide(folder).c_str(), nullptr), ERROR_SUCCESS);
  std::ofstream(std::filesystem::path(wide(log)), std::ios::binary) << record("FN42");
  // Paths that need not exist, of 259 and 260 units, two bytes each in UTF-8.
  const std::string deepest = "C:\\" + [] {
    std::string letters;
    for (int i = 0; i < 120; ++i) letters += "Ж";
    return letters;
  }() + "\\";
  auto of_units = [&](std::size_t units) {
    std::string path = deepest;
    for (std::size_t i = 124; i < units - 4; ++i) path += "ж";
    return path + ".adi";
  };
  const std::string longest = of_units(259), too_long = of_units(260);
  ASSERT_EQ(wide(longest).size(), 259u);
  on_box = [] { return IDYES; };
  const struct {
    const char* way;
    std::function<void(const std::string&)> give;
  } ways[] = {
      {"command line",
       [&](const std::string& path) {
         take_command_line_file(app.state, wide("VARNEL.exe \"" + path + "\"").c_str());
       }},
      {"drop",
       [&](const std::string& path) {
         SendMessageA(main, WM_DROPFILES, reinterpret_cast<WPARAM>(make_drop({path})), 0);
       }},
      {"dialog", [&](const std::string& path) { choose(path); }},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.way);
    boxes.clear();
    way.give(log);
    EXPECT_EQ(std::string(input_path), log);
    EXPECT_EQ(lines(input_list), std::vector<std::string>{"ровер журнал.adi"});
    EXPECT_EQ(command(ID_SPLIT), 0);
    EXPECT_EQ(lines(status_list),
              (std::vector<std::string>{"Wrote    1 QSOs to ровер журнал_FN42.adi", ""}));
    // The first split makes the output, the later ones ask about it.
    EXPECT_EQ(boxes.size(), &way == &ways[0] ? 0u : 1u);
    std::ifstream out(std::filesystem::path(wide(folder + "\\ровер журнал_FN42.adi")),
                      std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(out), {}),
              "<EOH>\r\n<CALL:4>W1AW <EOR>\r\n");

    boxes.clear();
    way.give(longest);
    EXPECT_EQ(std::string(input_path), longest);
    EXPECT_TRUE(boxes.empty());
    if (&way == &ways[2]) continue;  // the dialog hands back no path longer than its buffer
    way.give(too_long);
    EXPECT_EQ(std::string(input_path), longest);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(strerror(ENAMETOOLONG)), std::string::npos) << boxes[0].text;
  }
}

TEST(CodePage, PathsAreConvertedExactlyOrRefused) {
  const struct {
    UINT code_page;
    std::wstring path;
    bool exact;
    std::string narrow;  // what the message shows when refused
  } rows[] = {
      {1252, L"D:\\Logs\\rover.adi", true, "D:\\Logs\\rover.adi"},
      {1252, L"D:\\Gr\u00fc\u00dfe\\rover.adi", true,
       "D:\\Gr\xfc\xdf"
       "e\\rover.adi"},
      // Best fit would give "Lodz": never a look-alike, only refusal.
      {1252, L"D:\\\u0141\u00f3d\u017a\\r.adi", false,
       "D:\\?\xf3"
       "d?\\r.adi"},
      {1252, L"D:\\\u0420\u043e\u0432\u0435\u0440\\r.adi", false, "D:\\?????\\r.adi"},
      {1252, L"D:\\\u30ed\u30b0\\r.adi", false, "D:\\??\\r.adi"},
      {CP_UTF8, L"D:\\\u0141\u00f3d\u017a\\\u30ed\u30b0.adi", true, "D:\\Łódź\\ログ.adi"},
      {CP_UTF8, L"D:\\\xd800.adi", false, "D:\\\xef\xbf\xbd.adi"},  // a lone surrogate
      {1252, L"", true, ""},
      // This program carries VARNEL.exe's manifest, whose code page is UTF-8.
      {CP_ACP, L"D:\\\u0141\u00f3d\u017a\\r.adi", true, "D:\\Łódź\\r.adi"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(utf8(row.path));
    std::string narrow = "old";
    EXPECT_EQ(platform::to_code_page(row.code_page, row.path, narrow), row.exact);
    EXPECT_EQ(narrow, row.narrow);
  }
}
