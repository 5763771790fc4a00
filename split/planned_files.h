#pragma once
// The outputs of a dry run (varnel-split --dry-run): entries of the registry
// that are counted but never opened, so nothing is asked or written.
#include <cstdint>
#include <memory>
#include <string>

#include "split/qth_files.h"
#include "split/status.h"

// The entry keyed by `key` for the file at `path`, which is never opened. A
// path another entry already has (after the names' byte rule, or in another
// letter case on Windows) would fail to open in a real split: that entry is
// marked skipped.
std::unique_ptr<QthFile> plan_qth_file(const char* key, std::string path, OpenPaths& open_paths);

// Adds, in ascending key order, "Would write %4d QSOs to NAME" at severity 0
// for each entry, or at severity 2 "Would not write N QSOs: another output is
// named NAME" for a skipped one, whose open a real split would refuse. Returns the number of files
// a split would write.
int32_t report_planned_files(const QthFile* root, StatusLists& status);
