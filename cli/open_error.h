#pragma once
// How varnel-split says that it cannot open a log.

// Prints "Error opening PATH: REASON" and a line end on standard error, with
// the text for `error` (platform::input_error_text) as the reason. A long path gives
// way in its folder part, as in every message, so that its file name and the
// reason show whole.
void print_open_error(const char* path, int error);
