#pragma once
// A fresh folder in the temporary folder for one test, removed with
// everything in it.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "temp_folder.h"

class TempDir {
 public:
  TempDir() : path_(make_temp_folder("test").string()) {}
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  bool ok() const { return !path_.empty(); }
  // The path of `name` inside the folder, joined as the platform joins paths
  // ('\' on Windows), as a user's paths reach the split.
  std::string operator/(const std::string& name) const {
    return (std::filesystem::path(path_) / name).string();
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

inline void write_bytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The file's bytes, or "<absent>" when it cannot be read.
inline std::string read_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<absent>";
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
