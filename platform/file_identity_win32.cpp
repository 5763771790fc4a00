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
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileInformationByHandle(handle, &info)) {
    identity = file_id(info);
    return true;
  }
  // Wine answers only this for a standard handle it took over from a Unix
  // shell, and without the volume.
  FILE_ID_INFO ids;
  if (!GetFileInformationByHandleEx(handle, FileIdInfo, &ids, sizeof ids)) return false;
  uint64_t index = 0;
  std::memcpy(&index, ids.FileId.Identifier, sizeof index);
  identity = {ids.VolumeSerialNumber & 0xFFFFFFFFu, index, ids.VolumeSerialNumber != 0};
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
