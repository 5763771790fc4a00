#pragma once
// The input log as both front ends hold it: a stream closed when its owner
// goes out of scope, whatever way the split ends; and the check that it is a
// file worth reading at all.
#include <cstdio>
#include <memory>

namespace platform {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using InputFile = std::unique_ptr<std::FILE, FileCloser>;

// The error number for an input that is not a file: no errno value is
// negative, so it cannot be mistaken for one.
constexpr int kNotAFile = -1;

// Opens the log at `path` for reading as bytes (text mode would eat CRs on
// Windows and stop at 0x1A), for both front ends. Null on failure, with
// `error` set: errno as it stood right after a failed open, or kNotAFile for
// an input that must not be read (check_input), whose stream is closed again
// before anything is read.
InputFile open_input(const char* path, int& error);

// 0 when the open `input` may be read as the log; kNotAFile when it must not
// be. On Windows only a file on a disk is read: a device name (NUL, AUX,
// COM1, also with an extension, in any folder) opens the device, whose
// reading hangs or yields nothing. A pipe or FIFO on POSIX is a log that a
// program writes, and is read.
int check_input(std::FILE* input);

// The text for an error number from opening the input: "not a file" for
// kNotAFile, else the runtime library's text.
const char* input_error_text(int error);

}  // namespace platform
