// VARNEL's entry point: one window, run until the quit message.
#include <windows.h>

#include "gui/application.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  Application application(instance);
  if (!application.create_window()) return -1;
  return application.run();
}
