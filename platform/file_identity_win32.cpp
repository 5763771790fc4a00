#include "platform/file_identity.h"

#include <windows.h>
#include <io.h>
#include <stdio.h>

#include <cerrno>
#include <cstring>

namespace platform {

FileId file_id(const BY_HANDLE_FILE_INFORMATION& info) {
  return {info.dwVolumeSerialNumber,
          (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

bool identity_of_handle(void* handle, FileId& identity) {
  // Only disk files have an identity worth comparing: a device (NUL, CON)
  // would otherwise match every other device.
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK)
    return false;
  // The file ID first. On NTFS its low half is the file index and the
  // volume's 32-bit serial number the low half of its 64-bit one, so the two
  // forms agree there. Wine answers only this for a standard handle it took
  // over from a Unix shell, and without the volume.
  FILE_ID_INFO ids;
  if (GetFileInformationByHandleEx(handle, FileIdInfo, &ids, sizeof ids)) {
    uint64_t halves[2] = {};
    static_assert(sizeof halves == sizeof ids.FileId.Identifier, "a file ID has 128 bits");
    std::memcpy(halves, ids.FileId.Identifier, sizeof halves);
    identity = {ids.VolumeSerialNumber & 0xFFFFFFFFu, halves[0], ids.VolumeSerialNumber != 0,
                halves[1]};
    return true;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info)) return false;
  identity = file_id(info);
  return true;
}

bool identity_of(const char* path, FileId& identity) {
  // No access asked and every sharing mode granted: looking cannot disturb
  // a file that this or another program has open. Backup semantics let a
  // folder be opened too.
  HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool known = identity_of_handle(handle, identity);
  CloseHandle(handle);
  return known;
}

bool identity_of(std::FILE* stream, FileId& identity) {
  return identity_of_handle(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))), identity);
}

int folder_error(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    switch (GetLastError()) {
      case ERROR_FILE_NOT_FOUND:
      case ERROR_PATH_NOT_FOUND:
        return ENOENT;
      case ERROR_ACCESS_DENIED:
        return EACCES;
      default:
        return EINVAL;
    }
  }
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? 0 : ENOTDIR;
}

}  // namespace platform
