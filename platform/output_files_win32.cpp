#include "platform/output_files.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include <cstdint>

namespace platform {

bool output_exists(const char* path) {
  if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return true;
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_INVALID_NAME:
      return false;
    default:  // denied access and the like may still hide a file
      return true;
  }
}

std::FILE* open_output(const char* path, std::FILE* input) {
  BY_HANDLE_FILE_INFORMATION in = {};
  if (input != nullptr) {
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(input)));
    if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &in)) return nullptr;
  }
  // Readers may share the file, writers may not: a second open of the same
  // file through another spelling of its path (letter case, short names)
  // fails instead of emptying what this split is writing. OPEN_ALWAYS leaves
  // an existing file as it is until the checks below have passed.
  HANDLE handle = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  const bool created = GetLastError() != ERROR_ALREADY_EXISTS;

  BY_HANDLE_FILE_INFORMATION out;
  const bool usable =
      GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &out) &&
      (out.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
      !(input != nullptr && out.dwVolumeSerialNumber == in.dwVolumeSerialNumber &&
        out.nFileIndexHigh == in.nFileIndexHigh && out.nFileIndexLow == in.nFileIndexLow) &&
      SetEndOfFile(handle);
  // From here the descriptor, and then the stream, own the handle.
  const int fd =
      usable ? _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY) : -1;
  if (fd == -1) CloseHandle(handle);
  std::FILE* file = fd != -1 ? _fdopen(fd, "wb") : nullptr;
  if (fd != -1 && file == nullptr) _close(fd);
  if (file == nullptr && created) DeleteFileA(path);
  return file;
}

void allow_many_open_files() {
  // The newer runtime takes up to 8192 streams, the older msvcrt.dll 2048.
  if (_setmaxstdio(8192) == -1) _setmaxstdio(2048);
}

}  // namespace platform
