#pragma once
// A fresh main window per test, made by Application::create_window under
// Wine, with the modal calls answered and recorded. Every window creation is
// recorded too, through a CBT hook, with the parameters it was asked for.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "gui/application.h"
#include "gui/commands.h"
#include "gui/main_window.h"
#include "gui/modal_calls.h"
#include "gui/window_state.h"

struct BoxCall {
  HWND owner;
  std::string text, caption;
  UINT style;
};
struct Created {
  std::string class_name, text;
  DWORD style, ex_style;
  int x, y, width, height;
  INT_PTR id;
  HWND parent = nullptr, window = nullptr;
};

inline std::vector<Created> created;

// UTF-8 to UTF-16 and back, whatever the code page: the tests write their
// paths in UTF-8.
inline std::wstring wide(const std::string& text) {
  std::wstring result(text.size(), L'\0');
  result.resize(MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                    &result[0], static_cast<int>(result.size())));
  return result;
}
inline std::string utf8(const std::wstring& text) {
  std::string result(text.size() * 3, '\0');
  result.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                    &result[0], static_cast<int>(result.size()), nullptr, nullptr));
  return result;
}

inline LRESULT CALLBACK record_creation(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    const CREATESTRUCTA* cs = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
    // Only the main window and its children: Wine makes helper windows too.
    char owner_class[16] = {};
    GetClassNameA(cs->hwndParent, owner_class, sizeof owner_class);
    const bool atom = HIWORD(reinterpret_cast<ULONG_PTR>(cs->lpszClass)) == 0;
    std::string name = atom ? "#atom" : cs->lpszClass;
    // Wine shows the hook the class the manifest redirects to, in its own
    // spelling ("6.0.2600.2982!Button"); class names are case-blind.
    name.erase(0, name.find('!') + 1);
    for (char& c : name) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    if (name == "VARNEL" || std::string(owner_class) == "VARNEL") {
      created.push_back({name, cs->lpszName ? cs->lpszName : "", static_cast<DWORD>(cs->style),
                         cs->dwExStyle, cs->x, cs->y, cs->cx, cs->cy,
                         reinterpret_cast<INT_PTR>(cs->hMenu), cs->hwndParent,
                         reinterpret_cast<HWND>(wParam)});
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

class Window : public ::testing::Test {
 protected:
  void SetUp() override {
    UnregisterClassA("VARNEL", GetModuleHandleA(nullptr));
    ModalCalls fake;
    fake.message_box = [this](HWND owner, const char* text, const char* caption, UINT style) {
      boxes.push_back({owner, text, caption, style});
      return on_box ? on_box() : IDOK;
    };
    fake.get_open_file_name = [this](OPENFILENAMEW* record) {
      // As the real dialog does when the user browses to the file's folder.
      SetCurrentDirectoryW(dir.wstring().c_str());
      dialogs.push_back(*record);
      dialog_files.push_back(utf8(record->lpstrFile));
      lstrcpynW(record->lpstrFile, wide(chosen.empty() ? "junk" : chosen).c_str(),
                static_cast<int>(record->nMaxFile));
      return chosen.empty() ? FALSE : TRUE;
    };
    fake.shell_execute = [this](HWND owner, const char* verb, const char* file,
                                const char* parameters, const char* directory, int show) {
      shell.push_back({owner, verb, file, parameters == nullptr && directory == nullptr, show});
      return reinterpret_cast<HINSTANCE>(42);
    };
    modal_calls() = fake;
    created.clear();
    HHOOK hook = SetWindowsHookExA(WH_CBT, record_creation, nullptr, GetCurrentThreadId());
    ASSERT_TRUE(app.create_window());
    UnhookWindowsHookEx(hook);
    main = app.main_window;
    input_list = app.state.input_list;
    status_list = app.state.status_list;
    dir = std::filesystem::temp_directory_path() /
          ("varnel-gui-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(dir);
  }
  void TearDown() override {
    modal_calls() = real_modal_calls();
    if (IsWindow(main)) DestroyWindow(main);
    MSG message;  // the quit message of WM_DESTROY must not reach the next test
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }

  LRESULT command(int id, int code = 0) {
    return SendMessageA(main, WM_COMMAND, MAKEWPARAM(id, code), 0);
  }
  // The exit code of a posted quit message, or -1 when none is waiting.
  static int take_quit() {
    MSG message;
    if (!PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return -1;
    return static_cast<int>(message.wParam);
  }
  // Read through the "W" messages: Wine 8 overruns a stack buffer when an "A"
  // LB_GETTEXT of a line over 511 characters reaches a common controls 6 list.
  static std::vector<std::string> lines(HWND list) {
    std::vector<std::string> result;
    const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      std::wstring text(SendMessageW(list, LB_GETTEXTLEN, i, 0), L'\0');
      SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
      std::string narrow(text.size() * 2, '\0');
      const int size =
          WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &narrow[0],
                              static_cast<int>(narrow.size()), nullptr, nullptr);
      narrow.resize(size);
      result.push_back(narrow);
    }
    return result;
  }
  // A child's rectangle in the main window's client coordinates.
  RECT placed(HWND child) const {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }
  static std::vector<LONG> edges(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
  SIZE client() const {
    RECT rect{};
    GetClientRect(main, &rect);
    return {rect.right, rect.bottom};
  }
  std::string write_file(const std::string& name, const std::string& bytes) {
    std::string path = (dir / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  // The bytes of `name` in the test folder, or "<absent>".
  std::string read_file(const std::string& name) const {
    std::ifstream in(dir / name, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<absent>";
  }
  // Chooses `path` through the Input command.
  void choose(const std::string& path) {
    chosen = path;
    command(1001);
  }

  struct ShellCall {
    HWND owner;
    std::string verb, file;
    bool no_parameters_or_directory;
    int show;
  };
  Application app{GetModuleHandleA(nullptr)};
  HWND main = nullptr;
  HWND input_list = nullptr, status_list = nullptr;  // as the window stored them
  const char* input_path = app.state.input_path;
  std::filesystem::path dir;
  std::vector<BoxCall> boxes;
  std::function<int()> on_box;  // answers message boxes; IDOK when unset
  std::vector<OPENFILENAMEW> dialogs;
  std::vector<std::string> dialog_files;  // the dialog's initial file name
  std::string chosen;                     // what the dialog returns; "" cancels
  std::vector<ShellCall> shell;
};
