#pragma once
// What varnel-split settles before it opens any file.

// Raises the limit on open files as far as the system allows; reopens a
// closed standard input, output or error on the null device, so that no file
// the split opens can take its place and receive prompts or messages; and
// makes a write past the file-size limit (EFBIG) or to a pipe nobody reads
// any more (EPIPE) fail like any write error instead of the signal ending the
// process half-way through the split. Returns false when the null device
// cannot be opened.
bool prepare_process();
