#include "platform/input_file.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#include <io.h>
#endif

namespace platform {

int check_input(std::FILE* input) {
#ifdef _WIN32
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(input)));
  // Asked before the first read, which on a serial device would wait for ever.
  if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK) return kNotAFile;
#else
  (void)input;
#endif
  return 0;
}

InputFile open_input(const char* path, int& error) {
  errno = 0;
  InputFile input(std::fopen(path, "rb"));
  if (!input) {
    error = errno;
    return input;
  }
  error = check_input(input.get());
  if (error != 0) input.reset();
  return input;
}

const char* input_error_text(int error) {
  return error == kNotAFile ? "not a file" : std::strerror(error);
}

}  // namespace platform
