#pragma once
// The command line of varnel-split.
#include <string>

#include "posix_host.h"

struct Options {
  ExistingFiles existing = ExistingFiles::Ask;
  bool help = false;
  bool version = false;
  const char* file = nullptr;  // points into argv
};

// Fills `options` from argv. Returns false on a usage error, with `error`
// saying what was wrong. "--" ends the options, so a FILE may begin with '-'.
bool parse_options(int argc, char** argv, Options& options, std::string& error);

// The usage text, ending in a line end.
const char* usage_text();
