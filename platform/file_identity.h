#pragma once
// Which file a path or an open stream leads to, as the file system tells
// files apart (device and inode on POSIX; volume serial number and file ID
// on Windows), so that two names of one file are known as one.
#include <cstdint>
#include <cstdio>

#ifdef _WIN32
struct _BY_HANDLE_FILE_INFORMATION;  // <windows.h>'s, which this header does without
#else
#include <sys/stat.h>
#endif

namespace platform {

// Which file an open descriptor or handle is on, whatever name led there:
// device and inode on POSIX; on Windows the volume serial number and the
// 128-bit file ID, which ReFS needs whole (its 64-bit file index, and a Dev
// Drive's, need not be unique), or the file index where the system has no
// file IDs (before Windows 8, some file systems).
struct FileId {
  uint64_t volume = 0;
  uint64_t index = 0;  // the inode, the file index, or the file ID's low half
  // Wine cannot tell the volume of a handle it took over from the Unix side
  // (a redirected standard stream); such an id matches on the index alone.
  bool volume_known = true;
  uint64_t index_high = 0;  // the high half of a 128-bit file ID
};

#ifdef _WIN32
// The identity in what GetFileInformationByHandle says of a file.
FileId file_id(const ::_BY_HANDLE_FILE_INFORMATION& info);
#else
// The identity in what stat says of a file.
FileId file_id(const struct stat& st);
#endif

// True when `a` and `b` are the same file.
inline bool same_file(const FileId& a, const FileId& b) {
  if (a.index != b.index || a.index_high != b.index_high) return false;
  return !a.volume_known || !b.volume_known || a.volume == b.volume;
}

// The file `path` leads to, links followed. False when there is none (nothing
// there, a dangling link) or the file system will not say.
bool identity_of(const char* path, FileId& identity);

// The file `stream` is open on. False when it is no file with an identity.
bool identity_of(std::FILE* stream, FileId& identity);

#ifdef _WIN32
// The file a Windows HANDLE (given as void*, so that this header needs no
// <windows.h>) is open on. False for anything but a disk file, or when the
// system will not say.
bool identity_of_handle(void* handle, FileId& identity);
#endif

// 0 when `path` leads to a folder, else the errno value saying why it does
// not (ENOENT, ENOTDIR, EACCES, ...).
int folder_error(const char* path);

}  // namespace platform
