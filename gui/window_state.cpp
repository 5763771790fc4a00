#include "gui/window_state.h"

void quit_application(WindowState& state) {
  if (state.split_running) {
    state.quit_pending = true;
    return;
  }
  PostQuitMessage(0);
}
