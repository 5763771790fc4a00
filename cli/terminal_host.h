#pragma once
// The split's platform seam on a terminal, a Linux one or a Windows console
// alike: questions become prompts on standard error answered from standard
// input, or are answered by the command-line options when no one is there to
// ask. Output files go through the shared file-system code
// (platform/output_files.h).
#include <cstdio>
#include <string>

#include "platform/output_files.h"
#include "run_files.h"
#include "split/host.h"

// What to do about an output file that already exists.
enum class ExistingFiles { Ask, Overwrite, Keep };

class TerminalHost : public Host {
 public:
  // `input`: the log being split, which no output may be. One host serves
  // one split (see platform::OutputFiles). `interactive`: `in` is a
  // terminal, so questions may be put to the user. `run_files`, when given:
  // the other files of the run that no output may be, told of each output
  // opened.
  TerminalHost(std::FILE* input, ExistingFiles existing, bool interactive,
               RunFiles* run_files = nullptr, std::FILE* in = stdin, std::FILE* out = stderr)
      : outputs_(input),
        existing_(existing),
        interactive_(interactive),
        run_files_(run_files),
        in_(in),
        out_(out) {}

  Answer ask(const char* text, const char* caption, Buttons buttons, Icon icon) override;
  bool output_exists(const char* path) override;
  std::FILE* open_output(const char* path) override;
  // True once an interrupt signal came (interrupts.h).
  bool stop_requested() override;

  bool cancelled() const { return cancelled_; }      // some question got Cancel
  bool open_failed() const { return open_failed_; }  // an output could not be opened

 private:
  Answer ask_overwrite(const char* text);
  Answer ask_after_open_failure(const char* text);
  // Prompts until one of the letters in `letters` is typed; 0 at end of input.
  char prompt(const char* text, const char* choices, const char* letters);

  platform::OutputFiles outputs_;
  ExistingFiles existing_;
  bool interactive_;
  RunFiles* run_files_;
  std::FILE* in_;
  std::FILE* out_;
  std::string last_existing_;  // the question that follows names this file
  bool cancelled_ = false;
  bool open_failed_ = false;
};

// True when `file` is a terminal.
bool is_terminal(std::FILE* file);
