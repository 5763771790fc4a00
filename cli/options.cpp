#include "options.h"

#include <cstring>

bool parse_options(int argc, char** argv, Options& options, std::string& error) {
  bool overwrite = false;
  bool skip_existing = false;
  int files = 0;
  bool options_ended = false;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (!options_ended && arg[0] == '-' && arg[1] != '\0') {
      if (std::strcmp(arg, "--") == 0) {
        options_ended = true;
      } else if (std::strcmp(arg, "--overwrite") == 0) {
        overwrite = true;
      } else if (std::strcmp(arg, "--skip-existing") == 0) {
        skip_existing = true;
      } else if (std::strcmp(arg, "--help") == 0) {
        options.help = true;
      } else if (std::strcmp(arg, "--version") == 0) {
        options.version = true;
      } else {
        error = std::string("unknown option ") + arg;
        return false;
      }
      continue;
    }
    ++files;
    options.file = arg;
  }
  // --help and --version answer at once, whatever else the line holds.
  if (options.help || options.version) return true;
  if (overwrite && skip_existing) {
    error = "--overwrite and --skip-existing exclude each other";
    return false;
  }
  if (files != 1) {
    error = files == 0 ? "no input FILE given" : "more than one input FILE given";
    return false;
  }
  options.existing = overwrite       ? ExistingFiles::Overwrite
                     : skip_existing ? ExistingFiles::Keep
                                     : ExistingFiles::Ask;
  return true;
}

const char* usage_text() {
  return "Usage: varnel-split [--overwrite | --skip-existing] [--help] [--version] FILE\n"
         "Splits the ADIF log FILE into one file per QTH beside it, named after FILE\n"
         "(rover.adi gives rover_FN31.adi, ...), and prints what was written.\n"
         "\n"
         "  --overwrite      replace output files that already exist\n"
         "  --skip-existing  keep output files that already exist and skip their QTH\n"
         "  --help           show this text\n"
         "  --version        show the version\n"
         "\n"
         "Without either option an existing output file is asked about on the terminal;\n"
         "when standard input is not a terminal the split stops there instead.\n"
         "Exit status: 0 all written, 1 something failed or was cancelled, 2 usage error.\n";
}
