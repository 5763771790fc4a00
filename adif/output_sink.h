#pragma once
// Where an OutputStream's bytes go: an output file the platform layer opened
// (platform/output_files.h), written straight through its descriptor or
// handle. The file may be let go between writes and taken up again, so that
// a split can write more files than the process may hold open at once.
#include <cstddef>

class OutputSink {
 public:
  virtual ~OutputSink() = default;
  // Writes all `count` bytes at the end of what was written before. False
  // when not all of them reached the file, or the file is not open.
  virtual bool write(const char* bytes, std::size_t count) = 0;
  // Lets go of the file. False when the system reports a failure that may
  // have lost bytes. Writing fails from here until a reopen succeeds.
  virtual bool close() = 0;
  // Takes the file up again after close, for appending: true only when the
  // name still leads to the same file, as the first open checked it, holding
  // exactly what was written to it. Anything put in its place meanwhile is
  // left untouched.
  virtual bool reopen() = 0;
};
