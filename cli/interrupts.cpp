#include "interrupts.h"

#include <atomic>
#include <csignal>
#include <cstdio>

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
// True while the main thread reads the answer to a question.
std::atomic<bool> reading_answer{false};

#ifdef _WIN32

// Windows ends a process this long after the console window is closed (and,
// by default, after a log-off or shutdown event) if its handler has not
// returned; the wait for the files stays under it.
constexpr DWORD kCloseWaitMs = 4000;

constexpr DWORD kLookMs = 50;

// The main thread, which the handler waits for; opened before the handler is
// installed, so the handler's thread only reads it.
HANDLE main_thread = nullptr;

BOOL WINAPI on_console_event(DWORD event) {
  const ConsoleEvent meaning = console_event(event);
  if (meaning.signal == 0) return FALSE;  // the system's default
  int none = 0;
  const bool first = first_signal.compare_exchange_strong(none, meaning.signal);
  if (!meaning.ends_process) {
    // FALSE hands a second event to the default handler, which ends the process.
    return first ? TRUE : FALSE;
  }
  // The split stops at its next look and closes its files; a question
  // waiting for its answer gets none, its read taken away (only that read:
  // a cancelled write could cut a record). When main returns, the process
  // ends, this thread with it; else the wait ends at the bound.
  for (DWORD waited = 0; waited < kCloseWaitMs; waited += kLookMs) {
    if (main_thread == nullptr) {
      Sleep(kLookMs);
      continue;
    }
    if (reading_answer.load()) CancelSynchronousIo(main_thread);
    if (WaitForSingleObject(main_thread, kLookMs) == WAIT_OBJECT_0) break;
  }
  return TRUE;
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

#ifdef _WIN32
ConsoleEvent console_event(unsigned long event) {
  switch (event) {
    case CTRL_C_EVENT:
      return {SIGINT, false};
    case CTRL_BREAK_EVENT:
      return {SIGBREAK, false};
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      return {SIGTERM, true};
    default:
      return {0, false};
  }
}
#endif

void catch_interrupts() {
#ifdef _WIN32
  main_thread = OpenThread(SYNCHRONIZE | THREAD_TERMINATE, FALSE, GetCurrentThreadId());
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

bool read_answer(char* line, int size, std::FILE* in) {
  reading_answer.store(true);
  const bool read = interrupt_signal() == 0 && std::fgets(line, size, in) != nullptr;
  reading_answer.store(false);
  return read;
}
