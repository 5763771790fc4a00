#pragma once
// The split's questions and output files on Windows.
#include <cstdint>
#include <cstdio>

#include "platform/output_files.h"
#include "split/host.h"

class Win32Host : public Host {
 public:
  // While *stop_asking is true (the user has asked to quit during the split),
  // every further question is answered Cancel without being shown, so the
  // split winds up at once; null means always ask. Once *session_ended is
  // true (Windows ends the session) the split is asked to stop, and questions
  // count as Cancel whatever was pressed; null means never. `input` is the
  // log being split, which no output may be. One host serves one split.
  explicit Win32Host(std::FILE* input, const bool* stop_asking = nullptr,
                     const bool* session_ended = nullptr)
      : outputs_(input), stop_asking_(stop_asking), session_ended_(session_ended) {}

  // A message box with no owner; Yes, No and OK are reported as such, any
  // other way of closing it as Cancel.
  Answer ask(const char* text, const char* caption, Buttons buttons, Icon icon) override;
  // Both through platform/output_files.h.
  bool output_exists(const char* path) override;
  std::FILE* open_output(const char* path) override;
  // Takes the messages other programs send to this thread, a few times a
  // second, and answers whether the session has ended meanwhile.
  bool stop_requested() override;

 private:
  bool session_ended() const { return session_ended_ != nullptr && *session_ended_; }

  platform::OutputFiles outputs_;
  const bool* stop_asking_;
  const bool* session_ended_;
  uint64_t last_look_ = 0;  // GetTickCount64 when sent messages were last taken
};
