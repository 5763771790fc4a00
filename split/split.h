#pragma once
#include <cstdio>
#include <memory>

#include "adif/reader.h"
#include "split/host.h"
#include "split/qth_files.h"
#include "split/status.h"

// Reads the whole input record by record and appends each record that names a
// QTH to that QTH's output file beside `input_path`, or in `output_folder`
// when one is given (the names still come from `input_path`). Stops at the
// end of the input, at a line it cannot handle, when the user cancels a
// question, when the host asks it to stop, or when memory runs out; problems
// met on the way are added to `status` (severity 2 and 1). Returns the
// registry with its streams still open, for close_qth_files. The input stays
// the caller's to close.
std::unique_ptr<QthFile> split_by_qth(std::FILE* input, const char* input_path, Host& host,
                                      StatusLists& status, const char* output_folder = nullptr);
std::unique_ptr<QthFile> split_by_qth(AdifReader& input, const char* input_path, Host& host,
                                      StatusLists& status, const char* output_folder = nullptr);
// The same, building the registry in the caller's `registry` (empty at the
// call), so that the caller can reach the open files while the split runs:
// the Windows program closes them at once when the session ends during a
// question.
void split_by_qth(std::FILE* input, const char* input_path, Host& host, StatusLists& status,
                  std::unique_ptr<QthFile>& registry, const char* output_folder = nullptr);
