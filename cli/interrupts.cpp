#include "interrupts.h"

#include <atomic>
#include <csignal>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// Written by the handler, which on Windows runs in a thread of its own.
std::atomic<int> first_signal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the handler may only touch lock-free data");

#ifdef _WIN32

BOOL WINAPI on_console_event(DWORD event) {
  int number;
  if (event == CTRL_C_EVENT) {
    number = SIGINT;
  } else if (event == CTRL_BREAK_EVENT) {
    number = SIGBREAK;
  } else {
    return FALSE;  // closing the console, logging off: the system's default
  }
  int none = 0;
  // FALSE hands a second event to the default handler, which ends the process.
  return first_signal.compare_exchange_strong(none, number) ? TRUE : FALSE;
}

#else

constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};
int null_input = -1;

void on_interrupt(int number) {
  first_signal.store(number);
  // A question waiting for its answer, or about to wait, reads the end of
  // its input instead (the read in progress already failed with EINTR).
  if (null_input >= 0) dup2(null_input, 0);
  // From now on the default action: a second interrupt ends the process.
  for (int other : kInterrupts) signal(other, SIG_DFL);
}

#endif

}  // namespace

void catch_interrupts() {
#ifdef _WIN32
  SetConsoleCtrlHandler(on_console_event, TRUE);
#else
  null_input = open("/dev/null", O_RDONLY | O_CLOEXEC);
  struct sigaction action {};
  action.sa_handler = on_interrupt;
  sigemptyset(&action.sa_mask);
  for (int number : kInterrupts) sigaddset(&action.sa_mask, number);
  action.sa_flags = 0;  // no SA_RESTART: a blocked read returns with EINTR
  for (int number : kInterrupts) {
    // A signal ignored by whoever started the process stays ignored, as
    // nohup and background jobs expect.
    struct sigaction before {};
    if (sigaction(number, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    sigaction(number, &action, nullptr);
  }
#endif
}

int interrupt_signal() { return first_signal.load(); }

int interrupted_exit_status() {
  const int number = interrupt_signal();
  return number == 0 ? 0 : 128 + number;
}
