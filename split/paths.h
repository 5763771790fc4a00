#pragma once
#include <cstddef>
#include <string>

// The size of the buffers that messages and status lines are formatted into.
constexpr std::size_t kMessageSize = 128;

// The text after the last '\' or '/' of `path`, or the whole path; points
// into `path`. For narrow and wide paths alike: every part of the program
// that needs a path's last part takes it here.
template <class Char>
const Char* file_name_part(const Char* path) {
  const Char* name = path;
  for (const Char* p = path; *p != 0; ++p) {
    if (*p == '\\' || *p == '/') name = p + 1;
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
