#pragma once
// The life of a split in the window, and the rules over it. A split runs
// inside one window message, with no other window message taken until it
// ends unless a question is up; meanwhile the user may ask to quit and
// Windows may end the session, and both must wait for the split's files.
#include <windows.h>

#include "split/split.h"

class SplitSession {
 public:
  // While a split runs, its questions have no owner window, so the main
  // window stays usable: a second Split, a new input or a dropped file would
  // write the same files twice, and are refused.
  bool running() const { return running_; }

  // Exit, the close box or the window's end: posts the quit message with exit
  // code 0; during a split, books it for when the split has closed its files,
  // and questions not yet asked are answered Cancel.
  void quit();

  // WM_ENDSESSION with TRUE: Windows ends the process once this returns, so
  // the running split's files are closed now, each after its last whole
  // record (the split waits in a question or between records), and the split
  // is told to stop should the process live on.
  void end_session();

  // WM_QUERYENDSESSION: whether the session may end now. During a split the
  // ordinary query is refused (its reason is set). A critical one ends the
  // session whatever the answer, and after a refusal Windows may end the
  // process without WM_ENDSESSION: the files are closed now, as end_session
  // closes them, and the answer is yes.
  bool may_end_session(bool critical);

  // For the split's host: whether a question is to be answered Cancel without
  // being shown (a quit waits, or the session ended), and whether the session
  // has ended, after which the split stops and any answer counts as Cancel.
  bool stop_asking() const { return quit_pending_ || session_ended_; }
  bool session_ended() const { return session_ended_; }

  // One split, from its first record to its status lines: Windows is told
  // why the session cannot end meanwhile, and at its end a quit that waited
  // for it is carried out.
  class Running {
   public:
    Running(SplitSession& session, HWND window);
    ~Running();
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

    // For split_log: the running split's files, which end_session closes.
    SplitFilesHandle* files() { return &session_.files_; }

   private:
    SplitSession& session_;
    HWND window_;
  };

 private:
  bool running_ = false;
  bool quit_pending_ = false;
  bool session_ended_ = false;
  SplitFilesHandle files_;
};
