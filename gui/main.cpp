// VARNEL's entry point: one window, run until the quit message.
#include <windows.h>

#include "gui/application.h"
#include "platform/output_files.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  platform::allow_many_open_files();
  Application application(instance);
  if (!application.create_window()) return -1;
  return application.run();
}
