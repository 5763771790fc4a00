#pragma once
// The split's questions and existence test on Windows.
#include "split/host.h"

class Win32Host : public Host {
 public:
  // While *stop_asking is true (the user has asked to quit during the split),
  // every further question is answered Cancel without being shown, so the
  // split winds up at once; null means always ask.
  explicit Win32Host(const bool* stop_asking = nullptr) : stop_asking_(stop_asking) {}

  // A message box with no owner; Yes, No and OK are reported as such, any
  // other way of closing it as Cancel.
  Answer ask(const char* text, const char* caption, Buttons buttons, Icon icon) override;
  // False only when Windows says the file is not found.
  bool output_exists(const char* path) override;

 private:
  const bool* stop_asking_;
};
