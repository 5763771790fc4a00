#pragma once
// Whether a file just opened as an output may be emptied and written: the
// rule both platforms apply to what their file system says about it, kept
// apart from the calls that ask, so that it can be tried with facts no file
// system at hand can produce (a Windows symbolic link under Wine, a
// case-blind folder on Linux).
#include <cstdint>
#include <vector>

namespace platform {

// Which file an open descriptor or handle is on, whatever name led there:
// device and inode on POSIX, volume serial number and file index on Windows.
struct FileId {
  uint64_t volume = 0;
  uint64_t index = 0;
  // Wine cannot tell the volume of a handle it took over from the Unix side
  // (a redirected standard stream); such an id matches on the index alone.
  bool volume_known = true;
};

// True when `a` and `b` are the same file.
bool same_file(const FileId& a, const FileId& b);

// What the file system says about a file opened as an output, before any
// byte of it has changed.
struct OpenedFile {
  FileId id;
  bool regular = false;        // a plain file: no folder, device, FIFO or socket
  bool reparse_point = false;  // a symbolic link or junction, opened as itself (Windows)
  uint32_t links = 1;          // the number of names the file has
  bool name_as_asked = true;   // it holds the name asked for, letter case aside, not an alias
};

// True when `file` may be written: a plain file with this one name, reached
// under that name, and none of `taken` (the input, the standard streams, the
// outputs already open). Anything else would change a file the user did not
// name as this output, or one the split is already writing.
bool may_write(const OpenedFile& file, const std::vector<FileId>& taken);

}  // namespace platform
