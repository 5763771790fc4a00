#pragma once
// Output files as the file system sees them: whether something is already at
// an output path, and opening one for writing without ever harming the input
// or writing through a link. One implementation per platform; both front
// ends and the tests share it.
#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "adif/output_sink.h"
#include "platform/output_checks.h"

namespace platform {

// False only when the file system says nothing can be at `path`: not found, a
// folder in the path missing, or a name too long or invalid for it. Anything
// else, a symbolic link (dangling or not) included, counts as existing, so
// the user is asked before it is touched.
bool output_exists(const char* path);

// An output file open for writing as bytes, through the system's own
// descriptor or handle: no C stream, whose runtime may cap how many can be
// open. Its writes go straight to the file; closing it between writes and
// reopening it for appending (OutputSink) checks that the name still leads to
// the same file, a plain one with one name, reached as the first open reached
// it, still holding just what was written to it.
class OutputFile : public OutputSink {
 public:
  const FileId& id() const { return id_; }

 protected:
  explicit OutputFile(const FileId& id) : id_(id) {}

 private:
  FileId id_;
};

// The output files of one split. Each is opened for writing as bytes,
// created or emptied, and positioned at 0; the caller owns the file. An
// open returns null, leaving whatever is at the path as it was, when the file
// cannot be opened or must not be written: it is not a plain file, it has
// other names (hard links) or is reached through another file's alias, or it
// is a file this split must not write under any name: the input, the
// process's standard output or error, or an output already opened here. On
// POSIX a symbolic link is never followed; on Windows a link or junction at
// the name is refused, and no one else may open the file for writing while
// it is open. A file an open made and then refuses is removed again
// (on Windows through its handle, never by name); nothing is made through a
// dangling link, not even the Unix one Wine follows.
//
// Make one per split: the files it opened stay taken until it goes, closed
// or not, and a later split's file may reuse a closed one's identity. (So may
// a file made during the split after an output's file was removed while the
// output was closed; such a file is refused, as the never-written-twice rule
// cannot tell it from the output's own.)
class OutputFiles {
 public:
  // `input` is the log being split, or null when it is not a file.
  explicit OutputFiles(std::FILE* input);
  std::unique_ptr<OutputFile> open(const char* path);
  // How many outputs may be open at once: on POSIX the limit on open
  // descriptors less a margin for the input, the standard streams and the
  // runtime's own; on Windows, which limits handles only by memory, a cap
  // that keeps the outputs' buffers within some tens of megabytes.
  std::size_t most_open() const { return most_open_; }

 private:
  FileIdSet taken_;
  std::size_t most_open_;
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
// the soft limit on open descriptors to the hard one; Windows needs nothing
// raised, its outputs being handles. Past OutputFiles::most_open, the split
// closes the output it wrote least recently and reopens it when needed.
void allow_many_open_files();

}  // namespace platform
