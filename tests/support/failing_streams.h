#pragma once
// Streams on which every read, or every write, fails: the input and output
// errors the core must report, made on POSIX and Windows alike.
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#endif

#include <cstdint>
#include <cstdio>
#include <string>

#include "adif/output_sink.h"

// The folder `folder` open as a stream for reading, on which every read
// fails; null when it cannot be opened. POSIX opens a folder with fopen (its
// reads fail with EISDIR); Windows refuses that, but opens one as a handle
// with FILE_FLAG_BACKUP_SEMANTICS, whose reads fail alike.
inline std::FILE* open_folder_for_reading(const std::string& folder) {
#ifdef _WIN32
  HANDLE handle = CreateFileA(folder.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
  if (fd == -1) {
    CloseHandle(handle);
    return nullptr;
  }
  std::FILE* file = _fdopen(fd, "rb");
  if (file == nullptr) _close(fd);
  return file;
#else
  return std::fopen(folder.c_str(), "rb");
#endif
}

// An output file on which every write fails, as on a full disk.
class FullDiskSink : public OutputSink {
 public:
  bool write(const char*, std::size_t) override { return false; }
  bool close() override { return true; }
  bool reopen() override { return true; }
};
