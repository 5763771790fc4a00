#include "gui/modal_calls.h"

#include <shellapi.h>

ModalCalls real_modal_calls() {
  ModalCalls calls;
  calls.message_box = [](HWND owner, const char* text, const char* caption, UINT style) {
    return MessageBoxA(owner, text, caption, style);
  };
  calls.get_open_file_name = [](OPENFILENAMEW* record) { return GetOpenFileNameW(record); };
  calls.shell_execute = [](HWND owner, const char* verb, const char* file, const char* parameters,
                           const char* directory, int show) {
    return ShellExecuteA(owner, verb, file, parameters, directory, show);
  };
  return calls;
}

ModalCalls& modal_calls() {
  static ModalCalls calls = real_modal_calls();
  return calls;
}
