#pragma once
// split_log over a reader the caller made, for the fuzz target, which reads
// logs from memory as well as from files.
#include "adif/reader.h"
#include "split/split.h"

SplitResult split_log(AdifReader& input, const char* input_path, Host& host,
                      const char* output_folder = nullptr, const SplitSettings* settings = nullptr);
