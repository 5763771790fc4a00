#include "split/paths.h"

#include <cstdio>
#include <cstring>

#include "adif/utf8.h"
#include "split/text_controls.h"

namespace {

// The well-formed character of `size` bytes at `p` cannot stand in an
// output file name: a byte Windows refuses in names, or a C1 or
// bidirectional control. Replacing the first on every platform keeps a QTH
// from naming another folder, the input itself, or an NTFS alternate stream,
// and gives the same file names everywhere; the second would make the name
// show as another one ("rover_<U+202E>13NF.adi" as "rover_ida.FN31").
bool unsafe_in_file_name(const unsigned char* p, std::size_t size) {
  if (size == 1) return *p < 0x20 || std::strchr("\\/:*?\"<>|", *p) != nullptr;
  const char32_t c = text_controls::code_point(p, size);
  return text_controls::is_c1_control(c) || text_controls::is_bidi_control(c);
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

constexpr char kGap[] = "...";
constexpr std::size_t kGapSize = sizeof kGap - 1;

bool continuation_byte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// How many bytes from the start of text[0, size) fit in `room` without cutting
// a character.
std::size_t fitting_head(const char* text, std::size_t size, std::size_t room) {
  if (room >= size) return size;
  while (room > 0 && continuation_byte(text[room])) --room;
  return room;
}

// How many bytes from the end of text[0, size) fit in `room` without cutting
// a character.
std::size_t fitting_tail(const char* text, std::size_t size, std::size_t room) {
  if (room >= size) return size;
  std::size_t start = size - room;
  while (start < size && continuation_byte(text[start])) ++start;
  return size - start;
}

// `name` in at most `room` bytes: whole when it fits, else its start, "..."
// and its end, the end getting the larger half: an output name ends in its
// QTH and ".adi", which tell one question from the next.
std::string shortened_name(const char* name, std::size_t size, std::size_t room) {
  if (size <= room) return std::string(name, size);
  if (room <= kGapSize) return std::string(kGap, room);
  const std::size_t keep = room - kGapSize;
  const std::size_t tail = fitting_tail(name, size, keep - keep / 2);
  const std::size_t head = fitting_head(name, size, keep - tail);
  return std::string(name, head) + kGap + std::string(name + size - tail, tail);
}

// `path` in at most `room` bytes: whole when it fits, else with the middle of
// its folder part replaced by "..."; when even "..." and the file name do not
// fit, the folder goes and the name loses its middle instead.
std::string shortened_path(const char* path, std::size_t room) {
  const std::size_t size = std::strlen(path);
  if (size <= room) return path;
  const std::size_t folder = static_cast<std::size_t>(file_name_part(path) - path);
  const std::size_t name = size - folder;
  if (name + kGapSize > room) return shortened_name(path + folder, name, room);
  // The folder's start (the drive, the user) and its end (the folder the
  // file is in) say the most; the middle goes.
  const std::size_t keep = room - kGapSize - name;
  const std::size_t head = fitting_head(path, folder, keep - keep / 2);
  const std::size_t tail = fitting_tail(path, folder, keep / 2);
  return std::string(path, head) + kGap + std::string(path + folder - tail, tail + name);
}

// The bytes `before` and `after` leave of a buffer of `size` for the text
// between them, the NUL aside.
std::size_t room_between(std::size_t size, const char* before, const char* after) {
  const std::size_t others = std::strlen(before) + std::strlen(after);
  return size > others + 1 ? size - 1 - others : 0;
}

}  // namespace

std::string output_folder_path(const char* input_path, const char* output_folder) {
  return output_folder != nullptr ? folder_prefix(output_folder)
                                  : std::string(input_path, file_name_part(input_path));
}

std::string log_name(const char* input_path) {
  const char* name = file_name_part(input_path);
  const char* dot = std::strchr(name, '.');
  return std::string(name, dot != nullptr ? dot : name + std::strlen(name));
}

void append_safe_text(std::string& path, const char* text, std::size_t size) {
  // Windows names files in UTF-16 and Linux desktops show names as UTF-8:
  // a byte outside well-formed UTF-8 (a Latin-1 QTH) would name a file
  // differently on each, or not at all, so it becomes '_' like an unsafe one.
  const auto* q = reinterpret_cast<const unsigned char*>(text);
  const auto* end = q + size;
  while (q != end) {
    const std::size_t length = utf8::character_size(q, end);
    if (length == 0) {
      path.push_back('_');
      q += 1;
    } else if (unsafe_in_file_name(q, length)) {
      path.push_back('_');  // one for the whole character
      q += length;
    } else {
      path.append(reinterpret_cast<const char*>(q), length);
      q += length;
    }
  }
}

std::string qth_name_text(const char* qth) {
  std::string text;
  append_safe_text(text, qth, std::strlen(qth));
  return text;
}

std::string output_path_for_name(const char* input_path, const std::string& name_text,
                                 const char* output_folder) {
  std::string path = output_folder_path(input_path, output_folder);
  path.append(log_name(input_path));
  path.push_back('_');
  path.append(name_text);
  path.append(".adi");
  return path;
}

std::string output_path(const char* input_path, const char* qth, const char* output_folder) {
  return output_path_for_name(input_path, qth_name_text(qth), output_folder);
}

const char* format_path_message(char* out, std::size_t size, const char* before, const char* path,
                                const char* after) {
  const std::string shown = shortened_path(path, room_between(size, before, after));
  std::snprintf(out, size, "%s%s%s", before, shown.c_str(), after);
  return out;
}

const char* format_name_message(char* out, std::size_t size, const char* before, const char* name,
                                const char* after) {
  const std::string shown =
      shortened_name(name, std::strlen(name), room_between(size, before, after));
  std::snprintf(out, size, "%s%s%s", before, shown.c_str(), after);
  return out;
}
