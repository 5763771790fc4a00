#include "gui/win32_host.h"

#include <windows.h>

#include "gui/modal_calls.h"
#include "platform/output_files.h"

Answer Win32Host::ask(const char* text, const char* caption, Buttons buttons, Icon icon) {
  if (stop_asking_ != nullptr && *stop_asking_) return Answer::Cancel;
  const UINT style = (buttons == Buttons::YesNoCancel ? MB_YESNOCANCEL : MB_OKCANCEL) |
                     (icon == Icon::Question ? MB_ICONQUESTION : MB_ICONERROR);
  switch (modal_calls().message_box(nullptr, text, caption, style)) {
    case IDYES:
      return Answer::Yes;
    case IDNO:
      return Answer::No;
    case IDOK:
      return Answer::Ok;
    default:
      return Answer::Cancel;
  }
}

bool Win32Host::output_exists(const char* path) { return platform::output_exists(path); }

std::FILE* Win32Host::open_output(const char* path) { return outputs_.open(path); }
