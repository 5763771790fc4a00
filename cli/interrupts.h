#pragma once
// Interrupt signals during a split: SIGINT (Ctrl-C), SIGTERM and SIGHUP on
// POSIX, Ctrl-C and Ctrl-Break on Windows. The first one asks the split to
// stop, which ends it as Cancel does, every file after its last whole record;
// a second one ends the process at once. On Windows closing the console
// window, logging off and shutting down count as SIGTERM: Windows ends the
// process once the handler returns, so it waits for the files first.
#include <cstdio>

// Installs the handlers. On POSIX an interrupted read fails instead of being
// resumed, so that a log read from a pipe or a question waiting for an answer
// does not hold the split up, and standard input is switched to the null
// device, so that a question asked after the signal gets no answer either.
void catch_interrupts();

// The number of the first interrupt signal received, or 0 when none came.
int interrupt_signal();

// The exit status that tells the caller the run was interrupted: 128 plus
// the signal's number, as a shell reports it. 0 when no interrupt came.
int interrupted_exit_status();

// Reads one line of the answer to a question into `line` as fgets does.
// False at the end of the input, on an error, and once an interrupt has come,
// also when it comes during the read (on Windows the handler takes the read
// away; on POSIX the read fails with EINTR).
bool read_answer(char* line, int size, std::FILE* in);

#ifdef _WIN32
// What a console event (the code SetConsoleCtrlHandler's handler gets) is to
// the split: the signal it counts as, 0 for one left to the system's default
// handler; and whether Windows ends the process when the handler returns.
struct ConsoleEvent {
  int signal;
  bool ends_process;
};
ConsoleEvent console_event(unsigned long event);
#endif
