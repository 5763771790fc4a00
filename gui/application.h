#pragma once
// The program object: the instance, the main window and the message loop.
#include <windows.h>

#include "gui/window_state.h"

class Application {
 public:
  // Stores the instance; no window yet. The object owns nothing to release.
  explicit Application(HINSTANCE instance_handle);
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;
  ~Application() = default;

  // Registers the "VARNEL" class, creates the main window and shows it.
  // False, with nothing shown, when either step fails.
  bool create_window();

  // Runs the message loop with dialog-style keyboard navigation over the main
  // window until the quit message; returns its exit code.
  int run();

  HINSTANCE instance;
  HWND main_window = nullptr;
  MSG message{};
  const char* title = "VARNEL";  // the class name and the window title
  // The main window's state, handed to it as creation data; it lives as long
  // as the program, so a split still running when the window goes away keeps
  // its flags.
  WindowState state;
};
