#pragma once
// What the split needs from the platform it runs on: the modal questions put
// to the user, whether an output file already exists, opening one, and
// whether the user has asked the split to stop. The Windows program, the
// command-line tool and the tests each supply their own.
#include <cstddef>
#include <memory>
#include <string>

#include "adif/output_sink.h"

enum class Buttons { kYesNoCancel, kOkCancel };  // the first button is the default
enum class Icon { kQuestion, kError };
// What the user chose. A box closed any other way is reported as Cancel.
enum class Answer { kYes, kNo, kOk, kCancel };

class Host {
 public:
  virtual ~Host() = default;
  // Shows `text` under `caption` with the given buttons and icon, waits for
  // the user and returns the button pressed.
  virtual Answer ask(const char* text, const char* caption, Buttons buttons, Icon icon) = 0;
  // False only when the file system says that nothing is or can be at `path`
  // (not found, a missing folder, a name too long or invalid); any other
  // failure to find out counts as existing, so the user gets asked.
  virtual bool output_exists(const char* path) = 0;
  // Opens `path` for writing as bytes, emptied and positioned at 0, and hands
  // the file to the caller; null when it cannot or must not be written
  // (anything but a plain file with this one name, a link, the input, the
  // standard output or error, or a file this split already writes, under any
  // name).
  virtual std::unique_ptr<OutputSink> open_output(const char* path) = 0;
  // How many outputs may be open at once (at least 1). Past it, the split
  // closes the output it wrote least recently, and reopens it for its next
  // record.
  virtual std::size_t most_open_outputs() = 0;
  // True once the user has asked the split to stop (an interrupt signal, the
  // end of the Windows session). Asked between lines and after a Cancel, so
  // a stopped split ends as Cancel ends it, every file after a whole record.
  // A host with no way to be stopped keeps this answer.
  virtual bool stop_requested() { return false; }
  // `text`, a QTH as it stands in an output file name (well-formed UTF-8,
  // paths.h), in the code page the host's paths are in: unchanged here, for
  // UTF-8. A host whose paths are in another one (Windows where the
  // manifest's UTF-8 is ignored) puts each character there exactly, or '_'.
  virtual std::string file_name_text(const std::string& text) { return text; }
};
