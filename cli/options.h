#pragma once
// The command line of varnel-split, read as GNU tools read theirs: short
// options that may be bundled (-fo DIR, -oDIR), long options that may be
// shortened to any unambiguous prefix (--over), a long option's value after
// '=' or as the next argument, options anywhere among the FILEs, and "--"
// ending the options so that a FILE may begin with '-'.
#include <string>
#include <vector>

#include "split/split_settings.h"
#include "terminal_host.h"

struct Options {
  ExistingFiles existing = ExistingFiles::kAsk;
  bool help = false;
  bool version = false;
  const char* output_folder = nullptr;  // null: beside each FILE; points into argv
  std::vector<const char*> files;       // in the order given; point into argv
  SplitSettings split;                  // --by, --name, --each, --dry-run
};

// Fills `options` from argv through getopt_long (glibc's or the MinGW
// runtime's), once per process: it keeps its place in globals. Returns false
// on a usage error, with `error` saying in one line what was wrong.
bool parse_options(int argc, char** argv, Options& options, std::string& error);

// The usage text, ending in a line end.
const char* usage_text();
