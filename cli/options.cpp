#include "options.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

enum class Id { Overwrite, SkipExisting, OutputFolder, Help, Version };

struct OptionName {
  char letter;
  const char* name;  // the long form, without "--"
  bool takes_value;
  Id id;
};

// cp's own letters for the same choices: -f replaces, -n keeps.
constexpr OptionName kOptions[] = {
    {'f', "overwrite", false, Id::Overwrite},    {'n', "skip-existing", false, Id::SkipExisting},
    {'o', "output-dir", true, Id::OutputFolder}, {'h', "help", false, Id::Help},
    {'V', "version", false, Id::Version},
};

// What the options said before they are checked against each other.
struct Seen {
  bool overwrite = false;
  bool skip_existing = false;
};

void apply(const OptionName& option, const char* value, Options& options, Seen& seen) {
  switch (option.id) {
    case Id::Overwrite:
      seen.overwrite = true;
      break;
    case Id::SkipExisting:
      seen.skip_existing = true;
      break;
    case Id::OutputFolder:
      options.output_folder = value;  // the last one given wins
      break;
    case Id::Help:
      options.help = true;
      break;
    case Id::Version:
      options.version = true;
      break;
  }
}

// The option `name` (a long option without its "--" and value) stands for:
// the one whose whole name it is, or else the only one whose name begins with
// it. Null with `error` set when none or several do.
const OptionName* find_long(const std::string& name, std::string& error) {
  const OptionName* found = nullptr;
  int count = 0;
  std::string candidates;
  for (const OptionName& option : kOptions) {
    if (name == option.name) return &option;
    if (name.empty() || std::strncmp(option.name, name.c_str(), name.size()) != 0) continue;
    candidates += std::string(count++ > 0 ? ", --" : "--") + option.name;
    found = &option;
  }
  if (count == 1) return found;
  error = count == 0 ? "unknown option --" + name
                     : "ambiguous option --" + name + " (" + candidates + ")";
  return nullptr;
}

// Reads the long option argv[i]; takes its value from argv[i + 1] when it
// needs one and has no '=', moving `i` past it.
bool long_option(int argc, char** argv, int& i, Options& options, Seen& seen, std::string& error) {
  const char* arg = argv[i];
  const char* equals = std::strchr(arg, '=');
  const std::string name = equals != nullptr ? std::string(arg + 2, equals) : std::string(arg + 2);
  const OptionName* option = find_long(name, error);
  if (option == nullptr) return false;
  const char* value = nullptr;
  if (!option->takes_value) {
    if (equals != nullptr) {
      error = std::string("option --") + option->name + " takes no value";
      return false;
    }
  } else if (equals != nullptr) {
    value = equals + 1;
  } else if (i + 1 < argc) {
    value = argv[++i];
  } else {
    error = std::string("option --") + option->name + " needs a value";
    return false;
  }
  apply(*option, value, options, seen);
  return true;
}

// Reads the bundle of short options argv[i] ("-f", "-fn", "-oDIR", "-fo DIR").
bool short_options(int argc, char** argv, int& i, Options& options, Seen& seen,
                   std::string& error) {
  for (const char* p = argv[i] + 1; *p != '\0'; ++p) {
    const OptionName* option =
        std::find_if(std::begin(kOptions), std::end(kOptions),
                     [&](const OptionName& candidate) { return candidate.letter == *p; });
    if (option == std::end(kOptions)) {
      error = std::string("unknown option -") + *p;
      return false;
    }
    if (!option->takes_value) {
      apply(*option, nullptr, options, seen);
      continue;
    }
    // The rest of the bundle is the value, or else the next argument is.
    if (p[1] == '\0' && i + 1 >= argc) {
      error = std::string("option -") + *p + " needs a value";
      return false;
    }
    apply(*option, p[1] != '\0' ? p + 1 : argv[++i], options, seen);
    return true;
  }
  return true;
}

}  // namespace

bool parse_options(int argc, char** argv, Options& options, std::string& error) {
  Seen seen;
  bool options_ended = false;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    // "-" alone is a FILE, as for other tools that take file names.
    if (options_ended || arg[0] != '-' || arg[1] == '\0') {
      options.files.push_back(arg);
    } else if (std::strcmp(arg, "--") == 0) {
      options_ended = true;
    } else if (arg[1] == '-' ? !long_option(argc, argv, i, options, seen, error)
                             : !short_options(argc, argv, i, options, seen, error)) {
      return false;
    }
  }
  // --help and --version answer at once, whatever else the line holds.
  if (options.help || options.version) return true;
  if (seen.overwrite && seen.skip_existing) {
    error = "--overwrite and --skip-existing exclude each other";
    return false;
  }
  if (options.files.empty()) {
    error = "no input FILE given";
    return false;
  }
  options.existing = seen.overwrite       ? ExistingFiles::Overwrite
                     : seen.skip_existing ? ExistingFiles::Keep
                                          : ExistingFiles::Ask;
  return true;
}

const char* usage_text() {
  return "Usage: varnel-split [OPTION]... FILE...\n"
         "Splits each ADIF log FILE into one file per QTH beside it, named after FILE\n"
         "(rover.adi gives rover_FN31.adi, ...), and prints what was written.\n"
         "\n"
         "  -f, --overwrite       replace output files that already exist\n"
         "  -n, --skip-existing   keep output files that already exist and skip their QTH\n"
         "  -o, --output-dir=DIR  write the output files into the folder DIR instead\n"
         "  -h, --help            show this text\n"
         "  -V, --version         show the version\n"
         "\n"
         "Without -f or -n an existing output file is asked about on the terminal;\n"
         "when standard input is not a terminal the split stops there instead.\n"
         "Several FILEs are split in turn, each under a heading \"==> FILE <==\";\n"
         "Cancel ends the whole run. No output file is written twice in one run.\n"
         "Printed lines show control characters and bytes outside UTF-8 as escapes\n"
         "(\\r, \\x1b, \\u202e, \\xe9); a line past 256 bytes is cut and ends in ...\n"
         "Exit status: 0 all written, 1 something failed or was cancelled, 2 usage error.\n";
}
