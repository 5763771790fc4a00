#pragma once
#include <string>

// The text after the last '\' or '/' of `path`, or the whole path; points into `path`.
const char* file_name_part(const char* path);

// The output file for `qth` beside `input_path`: the input path with its file
// name cut at the first dot, then "_", the QTH and ".adi". In the name only,
// bytes that cannot stand in a Windows file name become '_', so a QTH can
// never lead outside the input's folder, and so does every byte that is not
// part of well-formed UTF-8: every name made is valid UTF-8. With an
// `output_folder` the file goes there instead, under the same name.
std::string output_path(const char* input_path, const char* qth,
                        const char* output_folder = nullptr);
