// Writes a log of plain QSOs for the benchmarks of damaged logs, and its
// damaged twin: the same bytes but for one declared length far too long.
//
//   make_plain_log OUTPUT QSOS                 the clean log
//   make_plain_log OUTPUT QSOS LENGTH tag|value   its damaged twin
//
// A short header, then QSOS records of about 60 bytes, one per CR LF line:
//   <CALL:5>KB1XQ <BAND:2>2M <APP_N1MM_ROVERQTH:4>FN31 <EOR>
// The rover stays at one of six QTHs for a run of QSOs, then moves on. QSO
// 100 also carries <NOTES:5>QSB 2 right after its call. The same arguments
// always give the same bytes.
//
// In the damaged twin that NOTES tag declares a length far too long, as a
// slipped digit or a hand edit leaves it: LENGTH bytes, moved on to the next
// tag after them so that the declared end falls inside that tag's name (tag:
// the value would end with "<C" of "<CALL:") or inside its value (value: the
// value would end with that value's first byte). Either way the byte after
// the declared value is a letter or a digit, so the length cannot stand as
// it is, and all between the note and its declared end is the log's own
// records. The twins differ only in that length's digits.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "bench/log_generator.h"

namespace {

constexpr const char* kQths[] = {"FN31", "FN32", "FN41", "FN42", "FN43", "FN30"};
constexpr const char* kBands[] = {"6M", "2M", "2M", "70CM"};
constexpr const char* kPrefixes[] = {"K", "W", "N", "KA", "KB", "KC", "AA", "WA", "VE"};
constexpr long kNoted = 100;  // the QSO that carries the note
constexpr const char* kNote = "QSB 2";

void field(std::string& out, const char* name, const std::string& value) {
  out += '<';
  out += name;
  out += ':';
  out += std::to_string(value.size());
  out += '>';
  out += value;
  out += ' ';
}

// Every record after the header; `note` is set to where the note's value starts.
std::string make_records(long qsos, std::size_t& note) {
  Random random(0x9A1B5EEDULL);
  std::string out;
  out.reserve(static_cast<std::size_t>(qsos) * 64);
  const char* qth = kQths[0];
  unsigned run = 0;
  for (long i = 1; i <= qsos; ++i) {
    if (run-- == 0) {
      qth = random.pick(kQths);
      run = 50 + random.below(450);
    }
    field(out, "CALL", call_sign(random, kPrefixes));
    if (i == kNoted) {
      field(out, "NOTES", kNote);
      note = out.size() - std::strlen(kNote) - 1;
    }
    field(out, "BAND", random.pick(kBands));
    field(out, "APP_N1MM_ROVERQTH", qth);
    out += "<EOR>\r\n";
  }
  return out;
}

// Where the declared end lands: at or after `from`, inside the name of the
// next tag, or inside the next value of two bytes or more. 0 when the log
// ends first.
std::size_t landing(const std::string& records, std::size_t from, bool in_value) {
  for (std::size_t open = records.find('<', from); open != std::string::npos;
       open = records.find('<', open + 1)) {
    if (!in_value) return open + 2;
    const std::size_t colon = records.find_first_of(":>", open);
    if (colon == std::string::npos || records[colon] != ':') continue;
    const std::size_t close = records.find('>', colon);
    if (close != std::string::npos && std::atol(records.c_str() + colon + 1) >= 2) return close + 2;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const bool damaged = argc == 5;
  const long qsos = argc >= 3 ? std::atol(argv[2]) : 0;
  const long wanted = damaged ? std::atol(argv[3]) : 0;
  const bool in_value = damaged && std::strcmp(argv[4], "value") == 0;
  if ((argc != 3 && !damaged) || qsos < kNoted ||
      (damaged && (wanted < 6 || (!in_value && std::strcmp(argv[4], "tag") != 0)))) {
    std::fprintf(stderr, "usage: %s OUTPUT QSOS [LENGTH tag|value]   (QSOS >= %ld, LENGTH >= 6)\n",
                 argv[0], kNoted);
    return 2;
  }
  std::size_t note = 0;
  const std::string records = make_records(qsos, note);
  const std::string truth = std::to_string(std::strlen(kNote));
  std::string declared = truth;
  std::size_t end = note + std::strlen(kNote);
  if (damaged) {
    end = landing(records, note + static_cast<std::size_t>(wanted), in_value);
    if (end == 0 || end - note > INT32_MAX) {
      std::fprintf(stderr, "%s: a length of %ld runs past the last tag of %ld QSOs\n", argv[0],
                   wanted, qsos);
      return 2;
    }
    declared = std::to_string(end - note);
  }

  LogFile file = create_log(argv[0], argv[1]);
  if (!file) return 1;
  const std::string header =
      "Plain QSOs for VARNEL's benchmarks of damaged logs, made by make_plain_log\r\n"
      "<ADIF_VER:5>3.1.0\r\n<PROGRAMID:14>make_plain_log\r\n<EOH>\r\n";
  // The records up to the note's length, the length, then from the '>' on.
  const std::size_t close = note - 1;
  const bool ok = write(file.get(), header.data(), header.size()) &&
                  write(file.get(), records.data(), close - truth.size()) &&
                  write(file.get(), declared.data(), declared.size()) &&
                  write(file.get(), records.data() + close, records.size() - close);
  if (!ok || std::fflush(file.get()) != 0 || std::fclose(file.release()) != 0) {
    std::fprintf(stderr, "%s: cannot write %s: %s\n", argv[0], argv[1], std::strerror(errno));
    return 1;
  }
  const std::size_t size = header.size() + records.size() - truth.size() + declared.size();
  const auto landed_in =
      1 + std::count(records.begin(), records.begin() + static_cast<long>(end), '\n');
  std::printf("%s: %ld QSOs, %.1f MB; <NOTES:%s> of QSO %ld ends in QSO %td, before '%c'\n",
              argv[1], qsos, size / 1e6, declared.c_str(), kNoted, landed_in, records[end]);
  return 0;
}
