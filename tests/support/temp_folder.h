#pragma once
// A fresh folder of the tests' own under the system's temporary folder, made
// through std::filesystem so that the same tests run on POSIX and Windows.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

// Makes "varnel-LABEL-xxxxxx" in the temporary folder (TMPDIR or /tmp on
// POSIX, TEMP on Windows), or in `base` when one is given, and returns its
// path; an empty path when none could be made. Creating the folder is what
// claims a name, so tests run in parallel never share one.
inline std::filesystem::path make_temp_folder(const std::string& label,
                                              std::filesystem::path base = {}) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (base.empty()) base = fs::temp_directory_path(error);
  if (error) return {};
  static std::mt19937_64 random(
      std::random_device{}() ^
      static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, "%06x", static_cast<unsigned>(random() & 0xFFFFFF));
    const fs::path folder = base / ("varnel-" + label + "-" + suffix);
    if (fs::create_directory(folder, error)) return folder;
  }
  return {};
}
