#pragma once
// Windows short 8.3 names, for tests of QTHs that spell one.
#include <windows.h>

#include <filesystem>
#include <string>

// The QTH that makes FOLDER\ab_QTH.adi the short name of the existing file
// `path` (FOLDER\ab_cdefghij.adi is AB_C~H4U.ADI under Wine); "" when the
// file system keeps no short name for it.
inline std::string short_name_qth(const std::filesystem::path& path) {
  char name[MAX_PATH] = {};
  const DWORD length = GetShortPathNameA(path.string().c_str(), name, sizeof name);
  const std::string file = std::filesystem::path(std::string(name, length)).filename().string();
  if (file.size() <= 7 || file == path.filename().string()) return "";
  return file.substr(3, file.size() - 7);  // between "AB_" and ".ADI"
}
