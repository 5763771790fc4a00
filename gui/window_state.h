#pragma once
// What the main window knows between messages: its list handles, its layout,
// the chosen input file and whether a split is under way. The Application
// owns the one instance; the window procedure finds it through the window and
// hands it to the commands, which act on nothing else.
#include <windows.h>

#include <cstdint>
#include <memory>

struct QthFile;

struct WindowState {
  // Before WM_CREATE the main window's outer size; from WM_CREATE on the
  // client area's size as last seen, against which the next WM_SIZE measures
  // its change.
  int32_t layout_width = 500;
  int32_t layout_height = 400;
  HWND input_list = nullptr;   // ID_INPUT_NAME_LIST, null until created
  HWND status_list = nullptr;  // ID_STATUS_LIST, null until created

  // The full path of the chosen input file; empty until the first choice.
  char input_path[260] = {};

  // True while a Split runs: its questions have no owner window, so the main
  // window stays usable, and a second Split or a new input then would write
  // the same files twice. Input, Split and dropped files are ignored meanwhile.
  bool split_running = false;
  // Set when Exit or the close box came during a split: the quit message is
  // posted once the split has closed its files, and questions not yet asked
  // are answered Cancel.
  bool quit_pending = false;
  // The running split's output files, null between splits: the end of the
  // session must close them before the process is ended.
  std::unique_ptr<QthFile>* split_files = nullptr;
  // Set when Windows ends the session during a split: the split stops as
  // after Cancel, and questions not yet answered count as Cancel.
  bool session_ended = false;
};

// Posts the quit message with exit code 0; during a split, only books it for
// when the split has closed its files.
void quit_application(WindowState& state);

// WM_ENDSESSION with TRUE: Windows ends the process once this returns, so the
// files of a running split are closed now, each after its last whole record
// (the split is waiting in a question or between records), and the split is
// told to stop should the process live on.
void end_session(WindowState& state);
