#include "options.h"

#include <getopt.h>

#include <cstring>

namespace {

// A long option returns this plus its short letter, so that a failure can
// tell which of the two forms was given.
constexpr int kLong = 256;

// cp's own letters for the same choices: -f replaces, -n keeps. The split's
// own options are long ones only; their letters are no short options.
constexpr option kLongOptions[] = {
    {"by", required_argument, nullptr, kLong + 'b'},
    {"name", required_argument, nullptr, kLong + 'N'},
    {"each", no_argument, nullptr, kLong + 'e'},
    {"dry-run", no_argument, nullptr, kLong + 'd'},
    {"overwrite", no_argument, nullptr, kLong + 'f'},
    {"skip-existing", no_argument, nullptr, kLong + 'n'},
    {"output-dir", required_argument, nullptr, kLong + 'o'},
    {"help", no_argument, nullptr, kLong + 'h'},
    {"version", no_argument, nullptr, kLong + 'V'},
    {nullptr, 0, nullptr, 0},
};

// '-': each FILE comes back in its place, as option 1, whatever
// POSIXLY_CORRECT says; ':': a missing value comes back as ':'.
constexpr char kShortOptions[] = "-:fno:hV";

// getopt_long tells only that `arg` failed, and glibc and the MinGW runtime
// tell it in different ways (`got`, optopt); the message is worked out here.
std::string option_error(const char* arg, int got, int opt) {
  if (arg[1] != '-') {
    // The MinGW runtime reads a '-' inside a bundle as the start of a long
    // option ("-f-help"); glibc, as the rest of the bundle, as a letter.
    const char letter = got >= kLong || opt == 0 || opt >= kLong ? '-' : static_cast<char>(opt);
    if (got == ':' && letter != '-') return std::string("option -") + letter + " needs a value";
    return std::string("unknown option -") + letter;
  }
  // A known option without its value, or with one it takes none of; else no
  // option or several begin with the name given.
  const std::string name(arg + 2, std::strcspn(arg + 2, "="));
  std::string candidates;
  int count = 0;
  for (const option* o = kLongOptions; o->name != nullptr; ++o) {
    if (o->val == opt)
      return std::string("option --") + o->name +
             (o->has_arg == no_argument ? " takes no value" : " needs a value");
    if (name.empty() || std::strncmp(o->name, name.c_str(), name.size()) != 0) continue;
    candidates += std::string(count++ > 0 ? ", --" : "--") + o->name;
  }
  return count == 0 ? "unknown option --" + name
                    : "ambiguous option --" + name + " (" + candidates + ")";
}

// Reads --by's or --name's value into the split's settings; false with
// `error` on a usage error.
bool read_split_option(int letter, const char* value, SplitSettings& split, std::string& error) {
  std::string problem;
  if (letter == 'b' ? parse_field_list(value, split.fields, problem)
                    : split.name.parse(value, problem))
    return true;
  error = std::string(letter == 'b' ? "option --by: " : "option --name: ") + problem;
  return false;
}

}  // namespace

bool parse_options(int argc, char** argv, Options& options, std::string& error) {
  bool overwrite = false;
  bool skip_existing = false;
  // varnel-split says what it left out; the window keeps its lines as they were.
  options.split.report_left_out = true;
  opterr = 0;
  for (;;) {
    // Nothing is reordered (the '-' of kShortOptions), so this is the
    // argument the option is read from, or the bundle it stands in.
    const int at = optind;
    const int got = getopt_long(argc, argv, kShortOptions, kLongOptions, nullptr);
    if (got == -1) break;
    // A long option stands in an argument of its own (see option_error).
    const bool long_in_bundle = got >= kLong && argv[at][1] != '-';
    switch (long_in_bundle ? '?' : got >= kLong ? got - kLong : got) {
      case 1:
        options.files.push_back(optarg);
        break;
      case 'f':
        overwrite = true;
        break;
      case 'n':
        skip_existing = true;
        break;
      case 'o':
        options.output_folder = optarg;  // the last one given wins
        break;
      case 'h':
        options.help = true;
        break;
      case 'V':
        options.version = true;
        break;
      case 'b':
      case 'N':
        // The last one given wins, as with -o.
        if (!read_split_option(got - kLong, optarg, options.split, error)) return false;
        break;
      case 'e':
        options.split.each = true;
        break;
      case 'd':
        options.split.dry_run = true;
        break;
      default:
        error = option_error(argv[at], got, optopt);
        return false;
    }
  }
  // The FILEs after "--".
  for (int i = optind; i < argc; ++i) options.files.push_back(argv[i]);
  // --help and --version answer at once, whatever else the line holds.
  if (options.help || options.version) return true;
  if (overwrite && skip_existing) {
    error = "--overwrite and --skip-existing exclude each other";
    return false;
  }
  if (options.files.empty()) {
    error = "no input FILE given";
    return false;
  }
  options.existing = overwrite       ? ExistingFiles::kOverwrite
                     : skip_existing ? ExistingFiles::kKeep
                                     : ExistingFiles::kAsk;
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
         "      --by=FIELD,...    take the QTH from the first of these fields a QSO\n"
         "                        has (default APP_N1MM_ROVERQTH,APP_WRITELOG_MYCTY)\n"
         "      --name=TEMPLATE   name the output files by TEMPLATE (default\n"
         "                        {LOG}_{QTH}.adi): {LOG} is FILE's name up to its\n"
         "                        first dot, {QTH} the QTH, {FIELD} the QSO's FIELD\n"
         "                        (empty when it has none); QSOs whose names come\n"
         "                        out the same share a file\n"
         "      --each            a QTH that is a comma-separated list puts the QSO\n"
         "                        into one file per item (MY_POTA_REF K-0001,K-0002)\n"
         "      --dry-run         write nothing: print each file's name and QSO count\n"
         "  -h, --help            show this text\n"
         "  -V, --version         show the version\n"
         "\n"
         "Without -f or -n an existing output file is asked about on the terminal;\n"
         "when standard input is not a terminal the split stops there instead.\n"
         "Several FILEs are split in turn, each under a heading \"==> FILE <==\";\n"
         "Cancel ends the whole run. No output file is written twice in one run.\n"
         "Printed lines show control characters and bytes outside UTF-8 as escapes\n"
         "(\\r, \\x1b, \\u202e, \\xe9); a line past 256 bytes is cut and ends in ...\n"
         "Values put into names have bytes no file name may hold made '_'.\n"
         "QSOs without any of the fields are counted in a line \"Left out N QSOs\".\n"
         "Example: varnel-split --by MY_POTA_REF --each \\\n"
         "           --name '{STATION_CALLSIGN}@{QTH}-{QSO_DATE}.adi' activation.adi\n"
         "Exit status: 0 all written, 1 something failed or was cancelled, 2 usage error.\n";
}
