// varnel-split: splits a rover's ADIF log into one file per QTH from the
// command line, as the window's Split command does, and prints the lines its
// status list would show.
//
// Exit status: 0 when the whole input was read and every output file it
// needed was written completely (or declined); 1 when anything failed or was
// cancelled; 2 for a usage error; 128 + N after the interrupt signal N.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "interrupts.h"
#include "options.h"
#include "platform/input_file.h"
#include "posix_host.h"
#include "process_start.h"
#include "split/qth_files.h"
#include "split/split.h"
#include "split/status.h"
#include "split/version.h"

namespace {

// Writes the status lines; false when standard output could not take them.
bool print_status(const StatusLists& status) {
  for (const std::string& line : status_lines(status)) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
  }
  return std::fflush(stdout) == 0 && !std::ferror(stdout);
}

}  // namespace

// The split ends on its own when memory runs out; this catches what is left
// (the closing pass, the status lines). The files are closed by then.
int main(int argc, char** argv) try {
  if (!prepare_process()) return 1;
  catch_interrupts();
  Options options;
  std::string error;
  if (!parse_options(argc, argv, options, error)) {
    std::fprintf(stderr, "varnel-split: %s\n%s", error.c_str(), usage_text());
    return 2;
  }
  if (options.help || options.version) {
    if (options.help) {
      std::fputs(usage_text(), stdout);
    } else {
      std::printf("varnel-split %s\n", version_text());
    }
    // A text that did not reach its reader (a full disk) is a failure.
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
  }

  // Bytes as stored: text mode on Windows would eat CRs and stop at 0x1A.
  platform::InputFile input(std::fopen(options.file, "rb"));
  if (!input) {
    int reason = errno;
    std::fprintf(stderr, "Error opening %s: %s\n", options.file, std::strerror(reason));
    return 1;
  }

  PosixHost host(input.get(), options.existing, is_terminal(stdin));
  StatusLists status;
  std::unique_ptr<QthFile> registry = split_by_qth(input.get(), options.file, host, status);
  input.reset();
  if (close_qth_files(registry.get(), status) == 0)
    add_status_message(2, status, "Did not create any output files!");
  registry.reset();

  bool printed = print_status(status);
  if (int interrupted = interrupted_exit_status()) return interrupted;
  bool failed = status.heads[2] != nullptr || host.cancelled() || host.open_failed();
  return failed || !printed ? 1 : 0;
} catch (const std::bad_alloc&) {
  std::fputs("varnel-split: Not enough memory to finish\n", stderr);
  return 1;
}
