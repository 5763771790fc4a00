#pragma once
// The split's questions and output files on Windows.
#include <cstdint>
#include <cstdio>

#include "platform/output_files.h"
#include "split/host.h"

class SplitSession;

class Win32Host : public Host {
 public:
  // `session` is the window's split session, which says when questions are
  // to be answered Cancel unasked (a quit waits for the split) and when the
  // split is to stop (Windows ends the session); null means always ask and
  // never stop. `input` is the log being split, which no output may be. One
  // host serves one split.
  explicit Win32Host(std::FILE* input, const SplitSession* session = nullptr)
      : outputs_(input), session_(session) {}

  // A message box with no owner; Yes, No and OK are reported as such, any
  // other way of closing it as Cancel.
  Answer ask(const char* text, const char* caption, Buttons buttons, Icon icon) override;
  // Both through platform/output_files.h.
  bool output_exists(const char* path) override;
  std::unique_ptr<OutputSink> open_output(const char* path) override;
  std::size_t most_open_outputs() override { return outputs_.most_open(); }
  // Takes the messages other programs send to this thread, a few times a
  // second, and answers whether the session has ended meanwhile.
  bool stop_requested() override;
  std::string file_name_text(const std::string& text) override {
    return platform::file_name_text(text);
  }

 private:
  bool session_ended() const;

  platform::OutputFiles outputs_;
  const SplitSession* session_;
  uint64_t last_look_ = 0;  // GetTickCount64 when sent messages were last taken
};
