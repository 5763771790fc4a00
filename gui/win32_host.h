#pragma once
// The split's questions and output files on Windows.
#include <cstdint>
#include <cstdio>

#include "platform/file_host.h"

class SplitSession;

class Win32Host : public platform::FileHost {
 public:
  // `session` is the window's split session, which says when questions are
  // to be answered Cancel unasked (a quit waits for the split) and when the
  // split is to stop (Windows ends the session); null means always ask and
  // never stop. `input` is the log being split, which no output may be. One
  // host serves one split.
  explicit Win32Host(std::FILE* input, const SplitSession* session = nullptr)
      : FileHost(input), session_(session) {}

  // A message box with no owner; Yes, No and OK are reported as such, any
  // other way of closing it as Cancel.
  Answer ask(const char* text, const char* caption, Buttons buttons, Icon icon) override;
  // Takes the messages other programs send to this thread, a few times a
  // second, and answers whether the session has ended meanwhile.
  bool stop_requested() override;

 private:
  bool session_ended() const;

  const SplitSession* session_;
  uint64_t last_look_ = 0;  // GetTickCount64 when sent messages were last taken
};
