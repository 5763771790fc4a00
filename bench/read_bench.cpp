// Reading throughput and memory of the ADIF reader on a whole log, the way
// the split driver reads it: parse_ADIF line by line into a 1024-byte buffer,
// each record released as soon as its end-of-record tag is read.
//
//   read_bench LOG [RUNS]      (RUNS defaults to 3)
//
// One warm-up pass brings the file into the page cache, then the best of RUNS
// timed passes is reported in MB/s (1 MB = 10^6 bytes), with the process's
// peak resident memory. The peak must not depend on the size of the log: run
// it on two sizes to see that. Exits non-zero when the log yields no record.
#include <sys/resource.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "adif/reader.h"
#include "adif/record.h"

namespace {

struct Pass {
  double seconds = 0;
  double cpu_seconds = 0;  // user + system: tells a busy machine from a slow reader
  uint64_t bytes = 0;
  uint64_t records = 0;
  uint64_t with_qth = 0;
  AdifStatus last = ADIF_LINE_DONE;
};

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

double cpu_seconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

bool read_log(const char* path, Pass& pass) {
  File file(std::fopen(path, "rb"), std::fclose);
  if (!file) {
    std::fprintf(stderr, "read_bench: cannot open %s: %s\n", path, std::strerror(errno));
    return false;
  }
  auto start = std::chrono::steady_clock::now();
  double cpu_start = cpu_seconds();
  AdifReader reader(file.get());
  char line[1024] = {};
  std::unique_ptr<QsoRecord> record;
  std::string error_text;
  AdifStatus status;
  while ((status = parse_ADIF(reader, record, line, sizeof line, error_text)) < ADIF_END_OF_FILE) {
    if (status == ADIF_END_OF_RECORD) {
      ++pass.records;
      // The driver's one look-up per record belongs to reading a log, too.
      if (record && find_field(record->fields, "APP_N1MM_ROVERQTH") != nullptr) ++pass.with_qth;
    }
    if (status != ADIF_LINE_DONE) reader.release(record);
  }
  pass.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  pass.cpu_seconds = cpu_seconds() - cpu_start;
  pass.last = status;
  pass.bytes = static_cast<uint64_t>(std::ftell(file.get()));
  if (status != ADIF_END_OF_FILE) {
    std::fprintf(stderr, "read_bench: stopped with status %d: %s\n", status, error_text.c_str());
    return false;
  }
  return true;
}

double peak_megabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss * 1024.0 / 1e6;  // ru_maxrss is in KiB on Linux
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s LOG [RUNS]\n", argv[0]);
    return 2;
  }
  const int runs = argc == 3 ? std::atoi(argv[2]) : 3;
  if (runs < 1) {
    std::fprintf(stderr, "read_bench: RUNS must be 1 or more\n");
    return 2;
  }
  const double baseline = peak_megabytes();

  Pass warm_up;
  if (!read_log(argv[1], warm_up)) return 1;
  if (warm_up.records == 0) {
    std::fprintf(stderr, "read_bench: %s holds no record\n", argv[1]);
    return 1;
  }
  double best = 0;
  for (int i = 0; i < runs; ++i) {
    Pass pass;
    if (!read_log(argv[1], pass)) return 1;
    if (pass.records != warm_up.records) {
      std::fprintf(stderr, "read_bench: pass %d read %llu records, the warm-up %llu\n", i + 1,
                   static_cast<unsigned long long>(pass.records),
                   static_cast<unsigned long long>(warm_up.records));
      return 1;
    }
    double rate = pass.bytes / 1e6 / pass.seconds;
    std::printf("  pass %d: %.3f s, %.0f MB/s (%.3f s of CPU)\n", i + 1, pass.seconds, rate,
                pass.cpu_seconds);
    if (rate > best) best = rate;
  }
  std::printf("read %s: %.1f MB, %llu records (%llu with APP_N1MM_ROVERQTH)\n", argv[1],
              warm_up.bytes / 1e6, static_cast<unsigned long long>(warm_up.records),
              static_cast<unsigned long long>(warm_up.with_qth));
  std::printf("read throughput: %.0f MB/s (best of %d)\n", best, runs);
  std::printf("read peak memory: %.2f MB (%.2f MB before reading)\n", peak_megabytes(), baseline);
  return 0;
}
