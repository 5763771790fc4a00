#pragma once
// The five commands of the main window's buttons.
#include <windows.h>

#include <cstddef>

#include "gui/window_state.h"

struct StatusMessage;

// Runs the command in the `wParam` of WM_COMMAND (notification code 0, ids
// ID_INPUT to ID_EXIT) on `state`. True when the window procedure is to
// return 1 at once (the failed Split), false when default processing follows.
bool handle_command(WindowState& state, HWND window, WPARAM wParam);

// Adds the lines of one severity list, oldest first, to the status list,
// widening its horizontal extent to 8 pixels per character of the longest line
// (never narrowing it). Returns the number of lines added.
int show_status_list(const WindowState& state, const StatusMessage* head);

// Where Help sends the shell: `address` itself when it has a scheme ("://" or
// "mailto:"), else `address` in the folder of `module_path`. Writes a
// NUL-terminated text of at most size - 1 bytes into `out`.
void help_target(const char* address, const char* module_path, char* out, std::size_t size);
