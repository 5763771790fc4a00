#pragma once
// What the split needs from the platform it runs on: the modal questions put
// to the user, and whether an output file already exists. The Windows program,
// the command-line tool and the tests each supply their own.

enum class Buttons { YesNoCancel, OkCancel };  // the first button is the default
enum class Icon { Question, Error };
// What the user chose. A box closed any other way is reported as Cancel.
enum class Answer { Yes, No, Ok, Cancel };

class Host {
 public:
  virtual ~Host() = default;
  // Shows `text` under `caption` with the given buttons and icon, waits for
  // the user and returns the button pressed.
  virtual Answer ask(const char* text, const char* caption, Buttons buttons, Icon icon) = 0;
  // False only when the file system says that nothing is at `path`; any other
  // failure to find out counts as existing, so the user gets asked.
  virtual bool output_exists(const char* path) = 0;
};
