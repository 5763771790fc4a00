#include "split/paths.h"

#include <cstring>

const char* file_name_part(const char* path) {
  const char* name = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/') name = p + 1;
  }
  return name;
}

namespace {

// Bytes that cannot stand in a Windows file name. Replacing them on every
// platform keeps a QTH from naming another folder, the input itself, or an
// NTFS alternate stream, and gives the same file names everywhere.
bool unsafe_in_file_name(unsigned char c) {
  return c < 0x20 || std::strchr("\\/:*?\"<>|", c) != nullptr;
}

}  // namespace

std::string output_path(const char* input_path, const char* qth) {
  std::string path(input_path);
  std::size_t name_start = static_cast<std::size_t>(file_name_part(input_path) - input_path);
  std::size_t dot = path.find('.', name_start);
  if (dot != std::string::npos) path.resize(dot);
  path.push_back('_');
  for (const char* q = qth; *q != '\0'; ++q) {
    path.push_back(unsafe_in_file_name(static_cast<unsigned char>(*q)) ? '_' : *q);
  }
  path.append(".adi");
  return path;
}
