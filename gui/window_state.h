#pragma once
// What the main window knows between messages: its list handles, its layout,
// the chosen input file and whether a split is under way. The Application
// owns the one instance; the window procedure finds it through the window and
// hands it to the commands, which act on nothing else.
#include <windows.h>

#include <cstdint>

struct WindowState {
  // Before WM_CREATE the main window's outer size; from WM_CREATE on the
  // client area's size as last seen, against which the next WM_SIZE measures
  // its change.
  int32_t layout_width = 500;
  int32_t layout_height = 400;
  HWND input_list = nullptr;   // ID_INPUT_NAME_LIST, null until created
  HWND status_list = nullptr;  // ID_STATUS_LIST, null until created

  // The full path of the chosen input file; empty until the first choice.
  char input_path[260] = {};

  // True while a Split runs: its questions have no owner window, so the main
  // window stays usable, and a second Split or a new input then would write
  // the same files twice. Input, Split and dropped files are ignored meanwhile.
  bool split_running = false;
  // Set when Exit or the close box came during a split: the quit message is
  // posted once the split has closed its files, and questions not yet asked
  // are answered Cancel.
  bool quit_pending = false;
};

// Posts the quit message with exit code 0; during a split, only books it for
// when the split has closed its files.
void quit_application(WindowState& state);
