#pragma once
// The split's platform seam on a terminal, a Linux one or a Windows console
// alike: questions become prompts on standard error answered from standard
// input, or are answered by the command-line options when no one is there to
// ask. Output files go through the shared file-system code
// (platform/output_files.h).
#include <cstdio>

#include "platform/file_host.h"
#include "run_files.h"

// What to do about an output file that already exists.
enum class ExistingFiles { kAsk, kOverwrite, kKeep };

class TerminalHost : public platform::FileHost {
 public:
  // `input`: the log being split, which no output may be. One host serves
  // one split (see platform::OutputFiles). `interactive`: `in` is a
  // terminal, so questions may be put to the user. `run_files`, when given:
  // the other files of the run that no output may be, told of each output
  // opened.
  TerminalHost(std::FILE* input, ExistingFiles existing, bool interactive,
               RunFiles* run_files = nullptr, std::FILE* in = stdin, std::FILE* out = stderr)
      : FileHost(input),
        existing_(existing),
        interactive_(interactive),
        run_files_(run_files),
        in_(in),
        out_(out) {}

  // Answers from the options when they decide (--overwrite, --skip-existing,
  // nobody at a terminal), else asks on the terminal.
  Answer ask(const char* text, const char* caption, Buttons buttons, Icon icon) override;
  // As platform::output_exists, except that a file the run protects (see
  // open_output) is none to ask about. When nobody could answer the question
  // that would follow, says so here, where the whole path is known.
  bool output_exists(const char* path) override;
  // Through platform::OutputFiles; a file the run protects is refused before
  // any open, and the refusal says why.
  std::unique_ptr<OutputSink> open_output(const char* path) override;
  // True once an interrupt signal came (interrupts.h).
  bool stop_requested() override;

  bool cancelled() const { return cancelled_; }      // some question got Cancel
  bool open_failed() const { return open_failed_; }  // an output could not be opened

 private:
  Answer ask_overwrite(const char* text);
  Answer ask_after_open_failure(const char* text);
  // True when `path` leads to another log of the run or an earlier log's
  // output, which no answer may let this split write.
  bool protected_by_run(const char* path) const;
  // Prompts until one of the letters in `letters` is typed; 0 at end of input.
  char prompt(const char* text, const char* choices, const char* letters);

  ExistingFiles existing_;
  bool interactive_;
  RunFiles* run_files_;
  std::FILE* in_;
  std::FILE* out_;
  bool cancelled_ = false;
  bool open_failed_ = false;
};

// True when `file` is a terminal.
bool is_terminal(std::FILE* file);
