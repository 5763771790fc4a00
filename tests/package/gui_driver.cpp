// Drives a running VARNEL.exe from a second process by pressing its real
// buttons (BM_CLICK, the message a click makes) and prints what its windows
// show, for the package test to check:
//   help: <the page Help opens, from the program's own string table>
//   about: <the About box text, its lines joined by '|'>
//   input: <the name the input list shows after the open-file dialog>
//   status: <one line of the status list after Split>
// It presses About and OK, Input (typing LOG into the open-file dialog),
// Split and finally Exit.
//   gui_driver.exe PROGRAM.exe LOG
// Every wait is bounded; the first step that fails ends it with status 1.
#include <windows.h>

#include <cstdio>
#include <string>

#include "resource.h"

namespace {

class Library {
 public:
  explicit Library(const char* path)
      : module_(LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
  ~Library() {
    if (module_) FreeLibrary(module_);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
  std::string string(UINT id) const {
    char text[256] = {};
    if (module_) LoadStringA(module_, id, text, sizeof text);
    return text;
  }

 private:
  HMODULE module_;
};

// Messages to another process's windows, bounded so a hung program fails the
// run instead of blocking it.
LRESULT send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
  return static_cast<LRESULT>(result);
}

// WM_GETTEXT, since GetWindowTextA reads only captions across processes.
std::string text_of(HWND window) {
  char text[512] = {};
  send(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

HWND wait_window(const std::string& title, int seconds) {
  for (int step = 0; step < seconds * 10; ++step) {
    HWND window = FindWindowA(nullptr, title.c_str());
    if (window && IsWindowVisible(window)) return window;
    Sleep(100);
  }
  std::fprintf(stderr, "gui_driver: no window \"%s\" after %d s\n", title.c_str(), seconds);
  return nullptr;
}

bool wait_gone(HWND window, int seconds) {
  for (int step = 0; step < seconds * 10 && IsWindow(window); ++step) Sleep(100);
  return !IsWindow(window);
}

struct Search {
  const char* class_name;
  const char* text;  // nullptr: any non-empty text; '&' marks are ignored
  HWND found;
};

BOOL CALLBACK match_child(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<Search*>(lParam);
  char class_name[64] = {};
  GetClassNameA(window, class_name, sizeof class_name);
  if (lstrcmpiA(class_name, search->class_name) != 0) return TRUE;
  std::string text;
  for (char c : text_of(window))
    if (c != '&') text += c;
  if (search->text ? text != search->text : text.empty()) return TRUE;
  search->found = window;
  return FALSE;
}

HWND child(HWND parent, const char* class_name, const char* text) {
  Search search{class_name, text, nullptr};
  EnumChildWindows(parent, match_child, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool press(HWND button, const char* name) {
  if (button && PostMessageA(button, BM_CLICK, 0, 0)) return true;
  std::fprintf(stderr, "gui_driver: cannot press %s\n", name);
  return false;
}

// Asked for in UTF-16: Wine hands an ANSI caller of another process's list
// the UTF-16 bytes unconverted.
std::string list_item(HWND list, int index) {
  DWORD_PTR length = 0;
  SendMessageTimeoutW(list, LB_GETTEXTLEN, index, 0, SMTO_ABORTIFHUNG, 5000, &length);
  std::wstring wide(length + 1, L'\0');
  DWORD_PTR ignored;
  SendMessageTimeoutW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&wide[0]), SMTO_ABORTIFHUNG,
                      5000, &ignored);
  char text[512] = {};
  WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text, sizeof text, nullptr, nullptr);
  return text;
}

int drive(const char* program, const char* log) {
  Library strings(program);
  std::printf("help: %s\n", strings.string(IDS_HELP_ADDRESS).c_str());

  HWND window = wait_window(strings.string(IDS_TITLE), 120);
  if (!window) return 1;

  if (!press(GetDlgItem(window, ID_ABOUT), "About")) return 1;
  HWND about = wait_window(strings.string(IDS_ABOUT_CAPTION), 20);
  if (!about) return 1;
  std::string text = text_of(child(about, "Static", nullptr));
  for (char& c : text)
    if (c == '\n') c = '|';
  std::printf("about: %s\n", text.c_str());
  if (!press(child(about, "Button", "OK"), "OK") || !wait_gone(about, 10)) return 1;

  if (!press(GetDlgItem(window, ID_INPUT), "Input")) return 1;
  HWND dialog = wait_window("Input ADIF File", 30);
  if (!dialog) return 1;
  // The file name box is a combo box (cmb13) in newer dialogs, an edit (edt1) in older.
  HWND name = GetDlgItem(dialog, 0x47c);
  if (!name) name = GetDlgItem(dialog, 0x480);
  send(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(log));
  if (!press(GetDlgItem(dialog, IDOK), "Open") || !wait_gone(dialog, 15)) return 1;
  std::printf("input: %s\n", list_item(GetDlgItem(window, ID_INPUT_NAME_LIST), 0).c_str());

  // The split fills the list within one message, and a message from here is
  // only taken between messages there: a non-empty list is a finished split.
  if (!press(GetDlgItem(window, ID_SPLIT), "Split")) return 1;
  HWND status = GetDlgItem(window, ID_STATUS_LIST);
  LRESULT lines = 0;
  for (int step = 0; step < 300 && lines <= 0; ++step) {
    Sleep(100);
    lines = send(status, LB_GETCOUNT, 0, 0);
  }
  for (int i = 0; i < lines; ++i) std::printf("status: %s\n", list_item(status, i).c_str());
  std::fflush(stdout);
  if (lines <= 0) return 1;

  return press(GetDlgItem(window, ID_EXIT), "Exit") && wait_gone(window, 20) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: gui_driver.exe PROGRAM.exe LOG\n");
    return 2;
  }
  return drive(argv[1], argv[2]);
}
