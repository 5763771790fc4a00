#pragma once
// The split's questions and output files on Windows.
#include <cstdio>

#include "platform/output_files.h"
#include "split/host.h"

class Win32Host : public Host {
 public:
  // While *stop_asking is true (the user has asked to quit during the split),
  // every further question is answered Cancel without being shown, so the
  // split winds up at once; null means always ask. `input` is the log being
  // split, which no output may be. One host serves one split.
  explicit Win32Host(std::FILE* input, const bool* stop_asking = nullptr)
      : outputs_(input), stop_asking_(stop_asking) {}

  // A message box with no owner; Yes, No and OK are reported as such, any
  // other way of closing it as Cancel.
  Answer ask(const char* text, const char* caption, Buttons buttons, Icon icon) override;
  // Both through platform/output_files.h.
  bool output_exists(const char* path) override;
  std::FILE* open_output(const char* path) override;

 private:
  platform::OutputFiles outputs_;
  const bool* stop_asking_;
};
