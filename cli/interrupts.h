#pragma once
// Interrupt signals during a split: SIGINT (Ctrl-C), SIGTERM and SIGHUP on
// POSIX, Ctrl-C and Ctrl-Break on Windows. The first one asks the split to
// stop, which ends it as Cancel does, every file after its last whole record;
// a second one ends the process at once.

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
