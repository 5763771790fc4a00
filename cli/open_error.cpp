#include "open_error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/input_file.h"
#include "split/paths.h"
#include "visible_text.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "platform/code_page.h"
#endif

void print_open_error(const char* path, int error) {
  char reason[kMessageSize];
  char text[kMessageSize];
  std::snprintf(reason, sizeof reason, ": %s", platform::input_error_text(error));
  print_visible_line(stderr,
                     format_path_message(text, sizeof text, "Error opening ", path, reason));
}

#ifdef _WIN32

namespace {

struct LocalFreer {
  void operator()(LPWSTR* block) const { LocalFree(block); }
};

}  // namespace

bool arguments_exact() {
  // The arguments as typed are only in the wide command line.
  int count = 0;
  const std::unique_ptr<LPWSTR, LocalFreer> arguments(
      CommandLineToArgvW(GetCommandLineW(), &count));
  if (!arguments) return true;  // then main's own arguments are all there is
  for (int i = 1; i < count; ++i) {
    std::string narrow;
    if (!platform::to_code_page(CP_ACP, arguments.get()[i], narrow)) {
      print_open_error(narrow.c_str(), EILSEQ);
      return false;
    }
  }
  return true;
}

#else

bool arguments_exact() { return true; }

#endif
