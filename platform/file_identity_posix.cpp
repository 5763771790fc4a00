#include "platform/file_identity.h"

#include <sys/stat.h>

#include <cerrno>

namespace platform {

FileId file_id(const struct stat& st) {
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

bool identity_of(const char* path, FileId& identity) {
  struct stat st;
  if (stat(path, &st) != 0) return false;
  identity = file_id(st);
  return true;
}

bool identity_of(std::FILE* stream, FileId& identity) {
  struct stat st;
  if (fstat(fileno(stream), &st) != 0) return false;
  identity = file_id(st);
  return true;
}

int folder_error(const char* path) {
  struct stat st;
  if (stat(path, &st) != 0) return errno;
  return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

}  // namespace platform
