#pragma once
// How varnel-split refuses a log it cannot open as given.

// Prints "Error opening PATH: REASON" and a line end on standard error, with
// the text for `error` (platform::input_error_text) as the reason. A long path gives
// way in its folder part, as in every message, so that its file name and the
// reason show whole.
void print_open_error(const char* path, int error);

// On Windows, false after printing the open error for the first argument
// (after the program's name) that the process's code page cannot hold
// exactly. main's arguments hold such a character as a look-alike ("Lodz"
// for "Łódź"), which can name another file; with the manifest's UTF-8 only
// a lone surrogate is such a character. True everywhere else.
bool arguments_exact();
