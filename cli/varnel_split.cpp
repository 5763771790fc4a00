// varnel-split: splits rovers' ADIF logs into one file per QTH from the
// command line, as the window's Split command does, and prints the lines its
// status list would show. Several logs are split in turn, each as if alone.
//
// Exit status: 0 when every input was read whole and every output file it
// needed was written completely (or declined); 1 when anything failed or was
// cancelled; 2 for a usage error, found before any log is read; 128 + N after
// the interrupt signal N, which ends the whole run.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "interrupts.h"
#include "log_patterns.h"
#include "open_error.h"
#include "options.h"
#include "platform/file_identity.h"
#include "platform/input_file.h"
#include "process_start.h"
#include "run_files.h"
#include "split/split.h"
#include "split/status.h"
#include "split/version.h"
#include "terminal_host.h"
#include "visible_text.h"

namespace {

// Writes the status lines as visible_text shows them; false when standard
// output could not take them.
bool print_status(const StatusLists& status) {
  for (const std::string& line : status_lines(status)) print_visible_line(stdout, line);
  return std::fflush(stdout) == 0 && !std::ferror(stdout);
}

int usage_error(const std::string& error) {
  print_visible_line(stderr, "varnel-split: " + error);
  std::fputs("Try 'varnel-split --help' for more information.\n", stderr);
  return 2;
}

struct LogOutcome {
  int exit_status;
  bool cancelled;  // the user chose Cancel, which ends the whole run
};

// Splits the log at `path` and prints its status lines, under a heading when
// `heading` (the lines always end with an empty one, which sets the next
// heading apart as head(1) does).
LogOutcome split_one_log(const char* path, const Options& options, bool heading,
                         RunFiles& run_files) {
  int reason = 0;
  platform::InputFile input = platform::open_input(path, reason);
  if (!input) {
    print_open_error(path, reason);
    return {1, false};
  }
  // Before the split, so the questions it asks stand under their log's name.
  if (heading) {
    print_visible_line(stdout, path_line("==> ", path, " <=="));
    std::fflush(stdout);
  }

  run_files.start_log(input.get());
  TerminalHost host(input.get(), options.existing, is_terminal(stdin), &run_files);
  const SplitResult result =
      split_log(input.get(), path, host, options.output_folder, nullptr, &options.split);
  input.reset();
  run_files.end_log();

  bool printed = print_status(result.status);
  bool failed = result.failed() || host.cancelled() || host.open_failed();
  return {failed || !printed ? 1 : 0, host.cancelled()};
}

}  // namespace

// The split ends on its own when memory runs out; this catches what is left
// (the closing pass, the status lines). The files are closed by then.
int main(int argc, char** argv) try {
  if (!prepare_process() || !arguments_exact()) return 1;
  catch_interrupts();
  Options options;
  std::string error;
  if (!parse_options(argc, argv, options, error)) return usage_error(error);
  if (options.help || options.version) {
    if (options.help) {
      std::fputs(usage_text(), stdout);
    } else {
      std::printf("varnel-split %s\n", version_text());
    }
    // A text that did not reach its reader (a full disk) is a failure.
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
  }
  if (options.output_folder != nullptr) {
    // A dry run writes nothing, so the folder may be one still to be made.
    const int reason = platform::folder_error(options.output_folder);
    if (reason != 0 && !(options.split.dry_run && reason == ENOENT)) {
      error = std::string("output folder ") + options.output_folder + ": " + std::strerror(reason);
      return usage_error(error);
    }
  }

  LogPatterns patterns;
  int exit_status = patterns.expand(options.files) ? 0 : 1;
  RunFiles run_files(options.files);
  const std::size_t logs = options.files.size();
  for (std::size_t i = 0; i < logs; ++i) {
    LogOutcome outcome = split_one_log(options.files[i], options, logs > 1, run_files);
    if (outcome.exit_status > exit_status) exit_status = outcome.exit_status;
    if (!outcome.cancelled && interrupt_signal() == 0) continue;
    const char* reason = interrupt_signal() != 0 ? ": not split, the run was interrupted"
                                                 : ": not split, the run was cancelled";
    for (std::size_t rest = i + 1; rest < logs; ++rest)
      print_visible_line(stderr, path_line("varnel-split: ", options.files[rest], reason));
    break;
  }
  if (int interrupted = interrupted_exit_status()) return interrupted;
  return exit_status;
} catch (const std::bad_alloc&) {
  std::fputs("varnel-split: Not enough memory to finish\n", stderr);
  return 1;
}
