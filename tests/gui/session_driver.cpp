// Ends the Windows session on a running VARNEL.exe while its split waits in a
// question, as Windows does once the user has chosen "Shut down anyway", and
// prints what the window answered, for the end-to-end test to check:
//   ordinary: <WM_QUERYENDSESSION's result for a log-off>
//   critical: <its result for a critical log-off>
//   ended
// It presses Split, waits for the question box (titled "Warning"), sends the
// two queries and then WM_ENDSESSION(TRUE), after which Windows would end the
// process. Every wait is bounded; a step that fails ends it with status 1.
//   session_driver.exe
#include <windows.h>

#include <cstdio>

#include "resource.h"

namespace {

HWND wait_window(const char* title, int seconds) {
  for (int step = 0; step < seconds * 10; ++step) {
    HWND window = FindWindowA(nullptr, title);
    if (window && IsWindowVisible(window)) return window;
    Sleep(100);
  }
  std::fprintf(stderr, "session_driver: no window \"%s\" after %d s\n", title, seconds);
  return nullptr;
}

// A message to the other process, bounded so that a hung program fails the
// run instead of blocking it; -1 when it was not answered.
LRESULT send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 10000, &result)) return -1;
  return static_cast<LRESULT>(result);
}

}  // namespace

int main() {
  HWND window = wait_window("VARNEL", 150);
  if (!window) return 1;
  HWND question = nullptr;
  // A click lost while the program starts up is simply repeated.
  for (int attempt = 0; attempt < 3 && !question; ++attempt) {
    PostMessageA(GetDlgItem(window, ID_SPLIT), BM_CLICK, 0, 0);
    question = wait_window("Warning", 20);
  }
  if (!question) return 1;
  std::printf("ordinary: %d\n",
              static_cast<int>(send(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF)));
  std::printf("critical: %d\n", static_cast<int>(send(window, WM_QUERYENDSESSION, 0,
                                                      ENDSESSION_CRITICAL | ENDSESSION_LOGOFF)));
  if (send(window, WM_ENDSESSION, TRUE, ENDSESSION_CRITICAL | ENDSESSION_LOGOFF) == -1) return 1;
  std::printf("ended\n");
  return 0;
}
