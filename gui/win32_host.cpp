#include "gui/win32_host.h"

#include <windows.h>

#include "gui/modal_calls.h"
#include "gui/split_session.h"
#include "platform/output_files.h"

namespace {

// Windows takes a program that leaves the end-of-session question unanswered
// for five seconds as hung; a tenth of a second costs the split nothing.
constexpr uint64_t kLookIntervalMs = 100;

}  // namespace

bool Win32Host::session_ended() const { return session_ != nullptr && session_->session_ended(); }

Answer Win32Host::ask(const char* text, const char* caption, Buttons buttons, Icon icon) {
  if (session_ != nullptr && session_->stop_asking()) return Answer::kCancel;
  const UINT style = (buttons == Buttons::kYesNoCancel ? MB_YESNOCANCEL : MB_OKCANCEL) |
                     (icon == Icon::kQuestion ? MB_ICONQUESTION : MB_ICONERROR);
  const int pressed = modal_calls().message_box(nullptr, text, caption, style);
  // The session ended while the box was up: its files are closed already.
  if (session_ended()) return Answer::kCancel;
  switch (pressed) {
    case IDYES:
      return Answer::kYes;
    case IDNO:
      return Answer::kNo;
    case IDOK:
      return Answer::kOk;
    default:
      return Answer::kCancel;
  }
}

bool Win32Host::stop_requested() {
  if (session_ == nullptr) return false;
  // The split runs inside one window message and takes no other until it
  // ends, unless a question is up. Sent messages, WM_QUERYENDSESSION and
  // WM_ENDSESSION among them, are delivered by this look at the queue;
  // posted ones (clicks, keys) stay queued for later.
  const uint64_t now = GetTickCount64();
  if (now - last_look_ >= kLookIntervalMs) {
    last_look_ = now;
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  return session_->session_ended();
}
