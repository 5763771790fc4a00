#pragma once
// What the main window knows between messages: its list handles, its layout,
// the chosen input file and the split under way. The Application
// owns the one instance; the window procedure finds it through the window and
// hands it to the commands, which act on nothing else.
#include <windows.h>

#include <cstdint>

#include "gui/split_session.h"

// Windows takes paths of up to kPathCharacters UTF-16 units. In UTF-8 each
// unit takes at most three bytes (a character beyond U+FFFF takes two units
// and four bytes), so kPathBytes hold every such path and its NUL.
constexpr int kPathCharacters = MAX_PATH - 1;
constexpr int kPathBytes = 3 * kPathCharacters + 1;

struct WindowState {
  // Before WM_CREATE the main window's outer size; from WM_CREATE on the
  // client area's size as last seen, against which the next WM_SIZE measures
  // its change.
  int32_t layout_width = 500;
  int32_t layout_height = 400;
  HWND input_list = nullptr;   // ID_INPUT_NAME_LIST, null until created
  HWND status_list = nullptr;  // ID_STATUS_LIST, null until created

  // The full path of the chosen input file; empty until the first choice.
  char input_path[kPathBytes] = {};

  // The split under way, if any, and what waits for it.
  SplitSession split;
};
