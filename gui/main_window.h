#pragma once
// The main window: its procedure, its seven controls and their layout.
#include <windows.h>

#include "gui/window_state.h"

// The one window procedure: every message is handled in one switch and then
// goes on to DefWindowProcA, except the Split failures that return 1 and the
// end of the session refused during a split, which returns FALSE. The
// window is created with its WindowState as creation data; the procedure
// keeps that pointer in the window and works on that state alone.
LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// WM_CREATE: makes the seven controls in tab order, gives the status list the
// fixed-pitch font and records the client size.
void create_controls(HWND window, WindowState& state);
