#pragma once
// Output files as the file system sees them: whether something is already at
// an output path, and opening one for writing without ever harming the input
// or writing through a link. One implementation per platform; both front
// ends and the tests share it.
#include <cstdio>

namespace platform {

// False only when the file system says nothing can be at `path`: not found, a
// folder in the path missing, or a name too long or invalid for it. Anything
// else, a symbolic link (dangling or not) included, counts as existing, so
// the user is asked before it is touched.
bool output_exists(const char* path);

// Opens `path` for writing as bytes, creating it or emptying it, and returns
// the stream (the caller closes it) positioned at 0. Returns null, leaving
// whatever is at `path` as it was, when it cannot be opened or must not be:
// it is the file `input` is open on (same file under another name or through
// a link), or it is not a regular file. On POSIX a symbolic link is never
// followed; on Windows no one else may open the file for writing while the
// stream is open. `input` may be null when the input is not a file.
std::FILE* open_output(const char* path, std::FILE* input);

// Lets the process keep as many output files open as the system allows: a
// log of thousands of QTHs writes thousands of files at once. POSIX raises
// the soft limit on open descriptors to the hard one; Windows raises the C
// runtime's limit on open streams. Opens past the limit still fail, and are
// reported as any failed open is.
void allow_many_open_files();

}  // namespace platform
