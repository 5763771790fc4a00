#include "gui/window_state.h"

#include "split/qth_files.h"

void quit_application(WindowState& state) {
  if (state.split_running) {
    state.quit_pending = true;
    return;
  }
  PostQuitMessage(0);
}

void end_session(WindowState& state) {
  if (!state.split_running) return;
  state.session_ended = true;
  if (state.split_files != nullptr) close_qth_streams_now(state.split_files->get());
}
