#pragma once
// The five commands of the main window's buttons.
#include <windows.h>

#include <cstddef>
#include <cstdio>

#include "gui/window_state.h"

struct StatusMessage;

// Runs the command in the `wParam` of WM_COMMAND (notification code 0, ids
// ID_INPUT to ID_EXIT) on `state`. True when the window procedure is to
// return 1 at once (the failed Split), false when default processing follows.
bool handle_command(WindowState& state, HWND window, WPARAM wParam);

// Input: the open-file dialog; on a choice, stores it in state.input_path and
// shows its file name in the input-name list.
void choose_input_file(WindowState& state);

// Opens `path` with `mode` into *stream (null on failure); returns errno as it
// stood right after the attempt.
int open_input(std::FILE** stream, const char* path, const char* mode);

// Adds the lines of one severity list, oldest first, to the status list,
// widening its horizontal extent to 8 pixels per character of the longest line
// (never narrowing it). Returns the number of lines added.
int show_status_list(const WindowState& state, const StatusMessage* head);

// The "Error" box for a file that could not be opened: "Error ACTION PATH:"
// and the runtime library's text for `error`.
void show_error_box(int error, const char* path, const char* action);

// Where Help sends the shell: `address` itself when it has a scheme ("://" or
// "mailto:"), else `address` in the folder of `module_path`. Writes a
// NUL-terminated text of at most size - 1 bytes into `out`.
void help_target(const char* address, const char* module_path, char* out, std::size_t size);
