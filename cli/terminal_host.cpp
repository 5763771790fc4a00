#include "terminal_host.h"

#include <cctype>
#include <cstring>
#include <string>
#include <string_view>

#ifdef _WIN32
#include <windows.h>
#include <io.h>
#else
#include <unistd.h>
#endif

#include "console_text.h"
#include "interrupts.h"
#include "platform/output_files.h"
#include "visible_text.h"

bool is_terminal(std::FILE* file) {
#ifdef _WIN32
  // _isatty is true for every character device, NUL included; only a console
  // has a console mode.
  DWORD mode;
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
#else
  return isatty(fileno(file)) != 0;
#endif
}

bool TerminalHost::protected_by_run(const char* path) const {
  return run_files_ != nullptr && run_files_->protects(path);
}

bool TerminalHost::output_exists(const char* path) {
  // A protected file is never replaced, whatever the answer, nor kept as if
  // the user had declined it: it gets no question, and the open that follows
  // refuses it and says so.
  if (!FileHost::output_exists(path) || protected_by_run(path)) return false;
  if (existing_ == ExistingFiles::kAsk && !interactive_) {
    print_visible_line(out_, path_line("varnel-split: ", path,
                                       " already exists; run again with --overwrite to replace"
                                       " it or --skip-existing to keep it"));
  }
  return true;
}

std::unique_ptr<OutputSink> TerminalHost::open_output(const char* path) {
  if (protected_by_run(path)) {
    print_visible_line(out_, path_line("varnel-split: ", path,
                                       " is another log or an earlier output of this run"));
    return nullptr;
  }
  std::unique_ptr<platform::OutputFile> file = outputs_.open(path);
  if (file != nullptr && run_files_ != nullptr) run_files_->add_output(file->id());
  return file;
}

bool TerminalHost::stop_requested() { return interrupt_signal() != 0; }

Answer TerminalHost::ask(const char* text, const char* caption, Buttons buttons, Icon icon) {
  (void)caption;
  (void)icon;
  Answer answer =
      buttons == Buttons::kYesNoCancel ? ask_overwrite(text) : ask_after_open_failure(text);
  if (answer == Answer::kCancel) cancelled_ = true;
  return answer;
}

Answer TerminalHost::ask_overwrite(const char* text) {
  switch (existing_) {
    case ExistingFiles::kOverwrite:
      return Answer::kYes;
    case ExistingFiles::kKeep:
      return Answer::kNo;
    case ExistingFiles::kAsk:
      break;
  }
  // Nobody can answer (output_exists has said so), and an existing file is
  // never replaced without a Yes.
  if (!interactive_) return Answer::kCancel;
  switch (prompt(text, " [y]es/[n]o/[c]ancel? ", "ync")) {
    case 'y':
      return Answer::kYes;
    case 'n':
      return Answer::kNo;
    default:
      return Answer::kCancel;
  }
}

Answer TerminalHost::ask_after_open_failure(const char* text) {
  open_failed_ = true;
  // The text ends in the line end of the window's box.
  std::string_view line(text);
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  print_visible_line(out_, line);
  if (!interactive_) return Answer::kOk;  // skip this QTH, write the others
  return prompt("", "[o]k/[c]ancel? ", "oc") == 'o' ? Answer::kOk : Answer::kCancel;
}

char TerminalHost::prompt(const char* text, const char* choices, const char* letters) {
  char line[64];
  for (;;) {
    // The choices show whole, however long the question.
    const std::string question = visible_text(text, kVisibleLineSize - std::strlen(choices));
    write_text(out_, question + choices);
    std::fflush(out_);
    if (!read_answer(line, sizeof line, in_)) {
      std::fputc('\n', out_);
      return 0;
    }
    // A line longer than the buffer is one answer: drop the rest of it.
    if (!std::strchr(line, '\n')) {
      int c;
      while ((c = std::fgetc(in_)) != EOF && c != '\n') {
      }
    }
    // Accept the letter alone or the whole word ("y", "Yes", " cancel ").
    const char* p = line;
    while (std::isspace(static_cast<unsigned char>(*p))) ++p;
    const char* end = p;
    while (std::isalpha(static_cast<unsigned char>(*end))) ++end;
    const char* rest = end;
    while (std::isspace(static_cast<unsigned char>(*rest))) ++rest;
    if (end > p && *rest == '\0') {
      char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
      const char* word = letter == 'y'   ? "yes"
                         : letter == 'n' ? "no"
                         : letter == 'o' ? "ok"
                         : letter == 'c' ? "cancel"
                                         : "";
      std::size_t n = static_cast<std::size_t>(end - p);
      bool matches = n == 1 || n == std::strlen(word);
      for (std::size_t i = 1; matches && i < n; ++i)
        matches = std::tolower(static_cast<unsigned char>(p[i])) == word[i];
      if (matches && std::strchr(letters, letter)) return letter;
    }
  }
}
