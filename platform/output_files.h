#pragma once
// Output files as the file system sees them: whether something is already at
// an output path, and opening one for writing without ever harming the input
// or writing through a link. One implementation per platform; both front
// ends and the tests share it.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/output_checks.h"

namespace platform {

// False only when the file system says nothing can be at `path`: not found, a
// folder in the path missing, or a name too long or invalid for it. Anything
// else, a symbolic link (dangling or not) included, counts as existing, so
// the user is asked before it is touched.
bool output_exists(const char* path);

// The output files of one split. Each is opened for writing as bytes,
// created or emptied, and positioned at 0; the caller closes the stream. An
// open returns null, leaving whatever is at the path as it was, when the file
// cannot be opened or must not be written: it is not a plain file, it has
// other names (hard links) or is reached through another file's alias, or it
// is a file this split must not write under any name: the input, the
// process's standard output or error, or an output already opened here. On
// POSIX a symbolic link is never followed; on Windows a link or junction at
// the name is refused, and no one else may open the file for writing while
// the stream is open. A file an open made and then refuses is removed again
// (on Windows through its handle, never by name); nothing is made through a
// dangling link, not even the Unix one Wine follows.
//
// Make one per split: the files it opened stay taken until it goes, and a
// later split's file may reuse a closed one's identity.
class OutputFiles {
 public:
  // `input` is the log being split, or null when it is not a file.
  explicit OutputFiles(std::FILE* input);
  std::FILE* open(const char* path);

 private:
  std::vector<FileId> taken_;
  bool input_unknown_ = false;  // the input could not be told apart: nothing is opened
};

// `text` (well-formed UTF-8: a QTH as it stands in an output name) in the
// code page the process's paths are in: unchanged where that is UTF-8, as it
// always is on POSIX and where Windows honours the manifests. Older Windows
// keep their 8-bit or double-byte code page for the programs: each character
// goes there exactly, or becomes '_' where that code page lacks it, never a
// look-alike, and never bytes that name the file with other characters.
std::string file_name_text(const std::string& text);

// Lets the process keep as many output files open as the system allows: a
// log of thousands of QTHs writes thousands of files at once. POSIX raises
// the soft limit on open descriptors to the hard one; Windows raises the C
// runtime's limit on open streams. Opens past the limit still fail, and are
// reported as any failed open is.
void allow_many_open_files();

}  // namespace platform
