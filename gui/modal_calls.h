#pragma once
// The three calls that stop the program until the user answers (message boxes,
// the open-file dialog, the shell opening the help page). They go through this
// table so that the window tests can answer and record them; every other
// Windows call is made directly.
#include <windows.h>
#include <commdlg.h>

#include <functional>

struct ModalCalls {
  std::function<int(HWND owner, const char* text, const char* caption, UINT style)> message_box;
  std::function<BOOL(OPENFILENAMEW* record)> get_open_file_name;
  std::function<HINSTANCE(HWND owner, const char* verb, const char* file, const char* parameters,
                          const char* directory, int show)>
      shell_execute;
};

// The real MessageBoxA, GetOpenFileNameW and ShellExecuteA. The dialog is the
// wide one, whose path is converted only where a look-alike can be refused.
ModalCalls real_modal_calls();

// The table in use by the program; it starts as real_modal_calls().
ModalCalls& modal_calls();
