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

// `folder` as the start of a path inside it ("" stays the current folder).
std::string folder_prefix(const char* folder) {
  std::string prefix(folder);
  if (prefix.empty()) return prefix;
  char last = prefix.back();
#ifdef _WIN32
  // "D:" is the current folder of drive D, which "D:\" is not.
  if (last != '/' && last != '\\' && last != ':') prefix.push_back('\\');
#else
  // A backslash is an ordinary byte of a POSIX name: after "out\" the files
  // still need a '/', or they would land beside the folder.
  if (last != '/') prefix.push_back('/');
#endif
  return prefix;
}

}  // namespace

std::string output_path(const char* input_path, const char* qth, const char* output_folder) {
  const char* name = file_name_part(input_path);
  std::string path =
      output_folder != nullptr ? folder_prefix(output_folder) : std::string(input_path, name);
  const char* dot = std::strchr(name, '.');
  path.append(name, dot != nullptr ? dot : name + std::strlen(name));
  path.push_back('_');
  for (const char* q = qth; *q != '\0'; ++q) {
    path.push_back(unsafe_in_file_name(static_cast<unsigned char>(*q)) ? '_' : *q);
  }
  path.append(".adi");
  return path;
}
