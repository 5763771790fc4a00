#pragma once
// The input file: chosen with the open-file dialog (Input), dropped on the
// window or named on the command line, then opened by Split; and the "Error"
// box for a file that cannot be used.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "gui/window_state.h"

// Input: the open-file dialog; a choice becomes the input as a dropped file
// does. A cancel keeps the earlier choice.
void choose_input_file(WindowState& state);

// Makes `path` (a full path) the input: stores it in state.input_path and
// shows its file name as the input-name list's only line. A path that does
// not fit state.input_path is refused with the "Error" box and the earlier
// choice stays. Returns whether it was taken.
bool use_input_file(WindowState& state, const char* path);

// WM_DROPFILES: the first dropped file becomes the input, unless a split is
// running, made a full path and converted to the program's code page; a path
// that the code page cannot hold exactly is refused with the "Error" box. The
// drop is released in every case.
void take_dropped_file(WindowState& state, HDROP drop);

// The first argument of `command_line` (split as Windows splits it; the
// program's own name comes first) becomes the input, a relative path taken
// from the current folder. Nothing happens when there is no argument.
void take_command_line_file(WindowState& state, const wchar_t* command_line);

// The "Error" box for a file that could not be used: "Error ACTION PATH:" and
// the text for `error` (platform::input_error_text); a long path gives way in
// its folder part so that its file name and the reason show whole.
void show_error_box(int error, const char* path, const char* action);
