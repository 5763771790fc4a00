#pragma once
// The five commands of the main window's buttons.
#include <windows.h>

#include <cstddef>
#include <cstdio>

struct StatusMessage;

// The full path of the chosen input file; empty until the first Input.
extern char input_path[260];

// True while a Split runs: its questions have no owner window, so the main
// window stays usable, and a second Split or an Input then would write the
// same files twice. Input and Split are ignored meanwhile.
extern bool split_running;
// Set when Exit or the close box came during a split: the quit message is
// posted once the split has closed its files, and questions not yet asked are
// answered Cancel.
extern bool quit_pending;

// Runs the command in the `wParam` of WM_COMMAND (notification code 0, ids
// ID_INPUT to ID_EXIT). True when the window procedure is to return 1 at once
// (the failed Split), false when default processing follows.
bool handle_command(HWND window, WPARAM wParam);

// Input: the open-file dialog; on a choice, stores it in input_path and shows
// its file name in the input-name list.
void choose_input_file();

// Opens `path` with `mode` into *stream (null on failure); returns errno as it
// stood right after the attempt.
int open_input(std::FILE** stream, const char* path, const char* mode);

// Adds the lines of one severity list, oldest first, to the status list,
// widening its horizontal extent to 8 pixels per character of the longest line
// (never narrowing it). Returns the number of lines added.
int show_status_list(const StatusMessage* head);

// The "Error" box for a file that could not be opened: "Error ACTION PATH:"
// and the runtime library's text for `error`.
void show_error_box(int error, const char* path, const char* action);

// Where Help sends the shell: `address` itself when it has a scheme ("://" or
// "mailto:"), else `address` in the folder of `module_path`. Writes a
// NUL-terminated text of at most size - 1 bytes into `out`.
void help_target(const char* address, const char* module_path, char* out, std::size_t size);
