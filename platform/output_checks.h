#pragma once
// Whether a file just opened as an output may be emptied and written: the
// rule both platforms apply to what their file system says about it, kept
// apart from the calls that ask, so that it can be tried with facts no file
// system at hand can produce (a Windows symbolic link under Wine, a
// case-blind folder on Linux).
#include <cstdint>

#include "platform/file_id_set.h"

namespace platform {

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
bool may_write(const OpenedFile& file, const FileIdSet& taken);

}  // namespace platform
