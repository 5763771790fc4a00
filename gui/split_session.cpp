#include "gui/split_session.h"

void SplitSession::quit() {
  if (running_) {
    quit_pending_ = true;
    return;
  }
  PostQuitMessage(0);
}

void SplitSession::end_session() {
  if (!running_) return;
  session_ended_ = true;
  files_.close_now();
}

bool SplitSession::may_end_session(bool critical) {
  if (!running_) return true;
  if (!critical) return false;
  end_session();
  return true;
}

SplitSession::Running::Running(SplitSession& session, HWND window)
    : session_(session), window_(window) {
  session_.running_ = true;
  session_.session_ended_ = false;
  ShutdownBlockReasonCreate(window_, L"Splitting a log");
}

SplitSession::Running::~Running() {
  ShutdownBlockReasonDestroy(window_);
  session_.running_ = false;
  if (session_.quit_pending_) {
    session_.quit_pending_ = false;
    session_.quit();
  }
}
