#pragma once
#include <cstddef>
#include <string>

#ifdef _WIN32
#include <mbctype.h>
#endif

// The size of the buffers that messages and status lines are formatted into.
constexpr std::size_t kMessageSize = 128;

// True when the byte `c` starts a two-byte character of the code page that
// narrow paths are in. Only Windows whose code page for non-Unicode programs
// is Japanese, Chinese or Korean have such characters (the C runtime's
// multibyte code page starts as that code page), and their second byte may
// be 0x5C, the byte of '\\'. In UTF-8 every byte of a character of several
// is 0x80 or above, so a byte passed over there is never a separator.
inline bool lead_byte(char c) {
#ifdef _WIN32
  return _ismbblead(static_cast<unsigned char>(c)) != 0;
#else
  (void)c;
  return false;
#endif
}
inline bool lead_byte(wchar_t) { return false; }

// The text after the last '\' or '/' of `path`, and on Windows after the
// drive of a drive-relative path ("Z:rover.adi"), or the whole path; points
// into `path`. Separators are found as characters, never as the second byte
// of one. For narrow and wide paths alike: every part of the program that
// needs a path's last part takes it here.
template <class Char>
const Char* file_name_part(const Char* path) {
  const Char* name = path;
#ifdef _WIN32
  const Char drive = path[0] | 0x20;
  if (drive >= 'a' && drive <= 'z' && path[1] == ':') name = path + 2;
#endif
  for (const Char* p = name; *p != 0; ++p) {
    if (*p == '\\' || *p == '/') {
      name = p + 1;
    } else if (lead_byte(*p) && p[1] != 0) {
      ++p;
    }
  }
  return name;
}

// The output file for `qth` beside `input_path`: the input path with its file
// name cut at the first dot, then "_", the QTH and ".adi". In the name only,
// bytes that cannot stand in a Windows file name become '_', so a QTH can
// never lead outside the input's folder, and so does every byte that is not
// part of well-formed UTF-8 (every name made is valid UTF-8) and every C1 or
// bidirectional control (text_controls.h), so no name shows as another. With
// an `output_folder` the file goes there instead, under the same name.
std::string output_path(const char* input_path, const char* qth,
                        const char* output_folder = nullptr);

// The start of every output path of a split of `input_path`: the input's
// folder, or `output_folder` when given, ending in a separator unless empty.
std::string output_folder_path(const char* input_path, const char* output_folder);

// The input's file name cut at its first dot: "rover" for ".../rover.2024.adi".
std::string log_name(const char* input_path);

// Appends the `size` bytes of `text` to `path` by the byte rule of
// output_path: every byte outside well-formed UTF-8 and every character that
// cannot stand in a file name (Windows' rule) becomes one '_'.
void append_safe_text(std::string& path, const char* text, std::size_t size);
// The two steps of output_path, for a host whose file names are not in UTF-8
// (host.h): the QTH as it stands in the file name, well-formed UTF-8 with
// every unsafe character '_'; and the output path for that text, as it
// stands, beside `input_path` or in `output_folder`.
std::string qth_name_text(const char* qth);
std::string output_path_for_name(const char* input_path, const std::string& name_text,
                                 const char* output_folder = nullptr);

// Writes `before`, `path` and `after` into `out` as one text of at most
// size - 1 bytes and a NUL, and returns `out`. When the path does not fit
// whole, the middle of its folder part gives way to "...", so that the start
// of the path, its file name and `after` (the reason, say) still show whole;
// a file name too long even for that shows alone, shortened as in
// format_name_message. No UTF-8 character is cut.
const char* format_path_message(char* out, std::size_t size, const char* before, const char* path,
                                const char* after);

// Writes `before`, the file name `name` and `after` into `out` as one text of
// at most size - 1 bytes and a NUL, and returns `out`. A name that does not
// fit whole keeps its start and its end (the QTH and ".adi" of an output
// name, the larger half) around "...". No UTF-8 character is cut. Every
// message that names a file goes through this or format_path_message.
const char* format_name_message(char* out, std::size_t size, const char* before, const char* name,
                                const char* after);
