#include "open_error.h"

#include <cstdio>
#include <cstring>

#include "platform/input_file.h"
#include "split/paths.h"

void print_open_error(const char* path, int error) {
  char reason[kMessageSize];
  char text[kMessageSize];
  std::snprintf(reason, sizeof reason, ": %s", platform::input_error_text(error));
  std::fprintf(stderr, "%s\n",
               format_path_message(text, sizeof text, "Error opening ", path, reason));
}
