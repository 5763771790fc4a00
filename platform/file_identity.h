#pragma once
// Which file a path or an open stream leads to, as the file system tells
// files apart (device and inode on POSIX; volume serial number and file index
// on Windows), so that two names of one file are known as one.
#include <cstdint>
#include <cstdio>

namespace platform {

struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool operator==(const FileIdentity& other) const {
    return volume == other.volume && index == other.index;
  }
};

// The file `path` leads to, links followed. False when there is none (nothing
// there, a dangling link) or the file system will not say.
bool identity_of(const char* path, FileIdentity& identity);

// The file `stream` is open on. False when it is no file with an identity.
bool identity_of(std::FILE* stream, FileIdentity& identity);

// 0 when `path` leads to a folder, else the errno value saying why it does
// not (ENOENT, ENOTDIR, EACCES, ...).
int folder_error(const char* path);

}  // namespace platform
