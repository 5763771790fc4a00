// VARNEL's entry point: one window, run until the quit message.
#include <windows.h>

#include "gui/application.h"
#include "gui/input_file.h"
#include "platform/output_files.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  platform::allow_many_open_files();
  Application application(instance);
  if (!application.create_window()) return -1;
  // "Open with", a log dropped on the program's icon and a shortcut with an
  // argument all start the program with the log's path as its argument. The
  // wide command line is split, as the 8-bit one may already have lost
  // characters of the path.
  take_command_line_file(application.state, GetCommandLineW());
  return application.run();
}
