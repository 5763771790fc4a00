#pragma once
// The main window: its procedure, its seven controls and their layout.
#include <windows.h>

#include <cstdint>

// Before WM_CREATE the main window's outer size; from WM_CREATE on the client
// area's size as last seen, against which the next WM_SIZE measures its change.
extern int32_t layout_width;   // starts at 500
extern int32_t layout_height;  // starts at 400
extern HWND input_list;        // ID_INPUT_NAME_LIST, null until created
extern HWND status_list;       // ID_STATUS_LIST, null until created

// The one window procedure: every message is handled in one switch and then
// goes on to DefWindowProcA, except the Split failures that return 1.
LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// WM_CREATE: makes the seven controls in tab order, gives the status list the
// fixed-pitch font and records the client size.
void create_controls(HWND window);

// Posts the quit message with exit code 0; during a split, only once the split
// has closed its files.
void quit_application();
