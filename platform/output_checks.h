#pragma once
// Whether a file just opened as an output may be emptied and written: the
// rule both platforms apply to what their file system says about it, kept
// apart from the calls that ask, so that it can be tried with facts no file
// system at hand can produce (a Windows symbolic link or a OneDrive file
// under Wine, a case-blind folder on Linux, a network share that will not
// say a file's name).
#include <cstdint>

#include "platform/file_id_set.h"

namespace platform {

// What the file system says about a file opened as an output, before any
// byte of it has changed.
struct OpenedFile {
  FileId id;
  bool regular = false;       // a plain file: no folder, device, FIFO or socket
  uint32_t reparse_tag = 0;   // the tag of a reparse point opened as itself, 0 for none (Windows)
  uint32_t links = 1;         // the number of names the file has
  bool name_as_asked = true;  // it holds the name asked for, letter case aside, not an alias
};

// The reparse tags that make a file stand for another name (symbolic links,
// junctions, mount points) carry this bit: IsReparseTagNameSurrogate.
constexpr uint32_t kNameSurrogateBit = 0x20000000;

// What to do with an opened output.
enum class Verdict {
  kWrite,   // empty it and write
  kReopen,  // a reparse point that keeps its data itself, as a cloud file
            // does: open the name again the ordinary way, through the filter
            // that owns the tag, and write only when that is the same file
  kRefuse,  // leave it as it is
};

// The verdict on `file`: written when it is a plain file with this one name,
// reached under that name, no reparse point, and none of `taken` (the input,
// the standard streams, the outputs already open); reopened when it is all
// that but a reparse point that does not stand for another name; refused
// otherwise, for it would change a file the user did not name as this
// output, or one the split is already writing.
Verdict output_verdict(const OpenedFile& file, const FileIdSet& taken);

// True when the verdict on `file` is kWrite.
bool may_write(const OpenedFile& file, const FileIdSet& taken);

// True when `again`, the name of `first` (whose verdict was kReopen) opened
// the ordinary way, may be written: the same file on the same volume, still
// a plain one with one name.
bool may_write_reopened(const OpenedFile& first, const OpenedFile& again);

// What the file system says when asked for the name of an opened output.
enum class NameGivenBack {
  kSame,   // the name asked for, letter case aside
  kOther,  // another one: the name asked for was an alias
  kNone,   // nothing: the query failed (a network share whose folders cannot
           // be listed, say)
};

// True when the file name part of `path` (after any folder and drive) holds
// a '~': only such a name can be the short (8.3) alias that Windows makes for
// a long name ("ROVER_~1.ADI"), and only then is the file system asked.
bool may_be_short_name(const wchar_t* path);

// Whether an output opened under `path` holds the name asked for, given what
// the file system said of it (`given`, asked only when may_be_short_name):
// a name that cannot be an alias always does; one that can, only when the
// file system gives that same name back.
bool name_as_asked(const wchar_t* path, NameGivenBack given);

}  // namespace platform
