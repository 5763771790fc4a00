// Writes a realistic rover log for the benchmarks: what N1MM Logger+ exports
// after a VHF contest weekend driven through a handful of grid squares.
//
//   make_rover_log OUTPUT [SIZE_MB]     (SIZE_MB defaults to 120; 1 MB = 10^6 bytes)
//   make_rover_log OUTPUT --qths N QSOS
//
// A header with ADIF_VER and PROGRAMID, then records of 20 to 30 fields, one
// record per CR LF line, every line under 1000 bytes. The rover stays in one
// grid for a run of contacts before it moves on, so most records carry their
// QTH in APP_N1MM_ROVERQTH; a few carry APP_WRITELOG_MYCTY instead and a few
// neither. Tags are occasionally in lower or mixed case and some carry a type
// indicator, as real exports do. The same arguments always give the same bytes.
//
// With --qths the log is one of a rover that never stays: N distinct QTHs
// (six-character locators), one QSO from each in turn, then QSOS more from
// QTHs picked at random among them, so every QTH needs a file of its own.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "bench/log_generator.h"

namespace {

struct Band {
  const char* band;
  unsigned khz;  // bottom of the calling range
};

constexpr Band kBands[] = {{"6M", 50125},    {"2M", 144200},   {"1.25M", 222100},
                           {"70CM", 432100}, {"33CM", 903100}, {"23CM", 1296100}};
constexpr const char* kModes[] = {"SSB", "SSB", "SSB", "CW", "FM", "FT8", "FT8"};
constexpr const char* kQths[] = {"FN31", "FN32", "FN41", "FN42", "FN43", "FN30"};
constexpr const char* kPrefixes[] = {"K",  "W",  "N",  "KA", "KB", "KC", "KD", "AA",
                                     "AB", "WA", "WB", "VE", "VA", "N",  "W",  "K"};
constexpr const char* kSections[] = {"CT",  "EMA", "WMA", "RI",  "NH",  "VT",  "ME", "ENY",
                                     "NNY", "NLI", "NNJ", "SNJ", "EPA", "WPA", "ONE"};
constexpr const char* kNames[] = {"BOB",  "ALICE", "JIM",  "MARY", "TOM", "SUE",
                                  "DAVE", "ANN",   "PETE", "JOE",  "LIZ", "RON"};

// One record's line, built field by field.
class RecordLine {
 public:
  explicit RecordLine(Random& random) : random_(random) {}

  void field(const char* name, const std::string& value, const char* type = nullptr) {
    line_ += '<';
    // About one tag in forty is written as some exports do: lower or mixed case.
    unsigned style = random_.below(40);
    for (const char* p = name; *p != '\0'; ++p) {
      char c = *p;
      bool lower = style == 0 || (style == 1 && p != name && p[-1] != '_');
      line_ += lower && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    line_ += ':';
    line_ += std::to_string(value.size());
    if (type != nullptr && type_indicators_) {
      line_ += ':';
      line_ += type;
    }
    line_ += '>';
    line_ += value;
    line_ += ' ';
    ++fields_;
  }

  void type_indicators(bool on) { type_indicators_ = on; }
  int fields() const { return fields_; }
  std::string finish() { return line_ + "<EOR>\r\n"; }

 private:
  Random& random_;
  std::string line_;
  int fields_ = 0;
  bool type_indicators_ = false;
};

std::string number(unsigned value, int width) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*u", width, value);
  return text;
}

std::string grid(Random& random) {
  static constexpr const char* kFields[] = {"FN", "FN", "FN", "EN", "FM", "EM"};
  return std::string(random.pick(kFields)) + number(random.below(100), 2);
}

std::string hex_id(Random& random) {
  char text[40];
  std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(random.next()),
                static_cast<unsigned long long>(random.next()));
  return text;
}

// Contest time in UTC. A log this big spans many contests, so the date runs
// on through the calendar.
struct Clock {
  unsigned year = 2016, month = 6, day = 11;
  unsigned seconds = 64800;  // 18:00:00, contest start
  void advance(unsigned by) {
    seconds += by;
    while (seconds >= 86400) {
      seconds -= 86400;
      next_day();
    }
  }
  void next_day() {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    if (++day > kDays[month - 1] + (month == 2 && leap ? 1 : 0)) {
      day = 1;
      if (++month > 12) {
        month = 1;
        ++year;
      }
    }
  }
  std::string date() const { return number(year, 4) + number(month, 2) + number(day, 2); }
  std::string time() const {
    return number(seconds / 3600, 2) + number(seconds / 60 % 60, 2) + number(seconds % 60, 2);
  }
};

std::string make_record(Random& random, Clock& clock, const char* qth, unsigned serial) {
  RecordLine record(random);
  record.type_indicators(random.chance(15));
  const Band& band = random.pick(kBands);
  const char* mode = random.pick(kModes);
  bool cw = std::strcmp(mode, "CW") == 0;
  std::string call = call_sign(random, kPrefixes);
  std::string their_grid = grid(random);
  unsigned khz = band.khz + random.below(400);
  std::string freq = std::to_string(khz / 1000) + "." + number(khz % 1000, 3);

  record.field("CALL", call, "S");
  record.field("QSO_DATE", clock.date(), "D");
  record.field("TIME_ON", clock.time(), "T");
  clock.advance(20 + random.below(140));
  record.field("TIME_OFF", clock.time(), "T");
  record.field("BAND", band.band, "E");
  record.field("FREQ", freq, "N");
  record.field("MODE", mode, "E");
  record.field("RST_SENT", cw ? "599" : "59");
  record.field("RST_RCVD", cw ? "599" : "59");
  record.field("GRIDSQUARE", their_grid);
  record.field("MY_GRIDSQUARE", qth);
  record.field("CONTEST_ID", "ARRL-VHF-JUN");
  record.field("STATION_CALLSIGN", "K1ROV/R");
  record.field("OPERATOR", "K1ROV");
  record.field("TX_PWR", band.khz < 400000 ? "100" : "10", "N");
  record.field("SRX_STRING", their_grid);
  record.field("STX_STRING", qth);
  record.field("CQZ", std::to_string(4 + random.below(2)), "N");
  record.field("ITUZ", std::to_string(7 + random.below(2)), "N");
  record.field("APP_N1MM_EXCHANGE1", their_grid);
  record.field("APP_N1MM_RADIO_NR", std::to_string(1 + random.below(2)));
  record.field("APP_N1MM_ID", hex_id(random));

  // The rest varies per record, up to 28 fields before the QTH field.
  const unsigned optional = random.below(7);
  for (unsigned i = 0; i < optional && record.fields() < 28; ++i) {
    switch (random.below(12)) {
      case 0:
        record.field("NAME", random.pick(kNames));
        break;
      case 1:
        record.field("ARRL_SECT", random.pick(kSections));
        break;
      case 2:
        record.field("SRX", std::to_string(1 + random.below(2000)), "N");
        break;
      case 3:
        record.field("STX", std::to_string(serial % 10000), "N");
        break;
      case 4:
        record.field("APP_N1MM_CONTINENT", "NA");
        break;
      case 5:
        record.field("APP_N1MM_RUN1RUN2", std::to_string(random.below(3)));
        break;
      case 6:
        record.field("APP_N1MM_ISRUNQSO", std::to_string(random.below(2)));
        break;
      case 7:
        record.field("APP_N1MM_NETBIOSNAME", "ROVER-LAPTOP");
        break;
      case 8:
        record.field("APP_N1MM_CLAIMEDQSO", "1");
        break;
      case 9:
        record.field("APP_N1MM_POINTS", std::to_string(1 << random.below(4)));
        break;
      case 10:
        record.field("APP_N1MM_HQ", "");
        break;
      default:
        record.field("COMMENT", "Worked from " + std::string(qth) + " via " + band.band + " <" +
                                    call + "> QSB, rover stop " + number(serial % 97, 2));
        break;
    }
  }
  // Most records name their QTH in N1MM's field, some in WriteLog's, a few in neither.
  unsigned which = random.below(100);
  if (which < 88)
    record.field("APP_N1MM_ROVERQTH", qth);
  else if (which < 96)
    record.field("APP_WRITELOG_MYCTY", qth);
  return record.finish();
}

// The i-th of the many-QTH log's locators: FN, two digits, two letters.
std::string many_qth(unsigned i) {
  char text[8];
  std::snprintf(text, sizeof text, "FN%02u%c%c", i % 100, 'a' + i / 100 / 24 % 24,
                'a' + i / 100 % 24);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const bool many = argc == 5 && std::strcmp(argv[2], "--qths") == 0;
  if (argc < 2 || (argc > 3 && !many)) {
    std::fprintf(stderr, "usage: %s OUTPUT [SIZE_MB]\n       %s OUTPUT --qths N QSOS\n", argv[0],
                 argv[0]);
    return 2;
  }
  const double megabytes = argc == 3 ? std::atof(argv[2]) : 120.0;
  const long qth_count = many ? std::atol(argv[3]) : 0;
  const long extra_qsos = many ? std::atol(argv[4]) : 0;
  if (!(megabytes > 0) || (many && (qth_count < 1 || qth_count > 57600 || extra_qsos < 0))) {
    std::fprintf(stderr, "%s: SIZE_MB must be a positive number, N 1 to 57600, QSOS 0 or more\n",
                 argv[0]);
    return 2;
  }
  const uint64_t target = static_cast<uint64_t>(megabytes * 1e6);

  LogFile file = create_log(argv[0], argv[1]);
  if (!file) return 1;
  const std::string header =
      "N1MM Logger+ ADIF export of a rover log, made by make_rover_log for VARNEL's benchmarks\r\n"
      "<ADIF_VER:5>3.1.0\r\n<PROGRAMID:12>N1MM Logger+\r\n<PROGRAMVERSION:9>1.0.10154\r\n"
      "<CREATED_TIMESTAMP:15>20160613 120000\r\n<EOH>\r\n";
  bool ok = write(file.get(), header);
  uint64_t written = header.size();

  Random random(0x5EEDF00DCAFEULL);
  Clock clock;
  unsigned serial = 0;
  uint64_t records = 0;
  std::size_t longest = 0;
  if (many) {
    const long total = qth_count + extra_qsos;
    for (long i = 0; i < total && ok; ++i) {
      const unsigned which =
          i < qth_count ? static_cast<unsigned>(i) : random.below(static_cast<unsigned>(qth_count));
      std::string line = make_record(random, clock, many_qth(which).c_str(), ++serial);
      longest = line.size() > longest ? line.size() : longest;
      ok = write(file.get(), line);
      written += line.size();
      ++records;
    }
  }
  while (ok && !many && written < target) {
    // A stop at one grid: a run of contacts, then the rover drives on.
    const char* qth = random.pick(kQths);
    unsigned run = 50 + random.below(450);
    for (unsigned i = 0; i < run && ok && written < target; ++i) {
      std::string line = make_record(random, clock, qth, ++serial);
      if (line.size() >= 1000) {
        std::fprintf(stderr, "%s: record line of %zu bytes\n", argv[0], line.size());
        return 1;
      }
      longest = line.size() > longest ? line.size() : longest;
      ok = write(file.get(), line);
      written += line.size();
      ++records;
    }
    clock.advance(600 + random.below(1800));  // driving to the next grid
  }
  if (!ok || std::fflush(file.get()) != 0 || std::fclose(file.release()) != 0) {
    std::fprintf(stderr, "%s: cannot write %s: %s\n", argv[0], argv[1], std::strerror(errno));
    return 1;
  }
  std::printf("%s: %llu records, %.1f MB, longest line %zu bytes\n", argv[1],
              static_cast<unsigned long long>(records), written / 1e6, longest);
  return 0;
}
