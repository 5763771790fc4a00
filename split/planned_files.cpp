#include "split/planned_files.h"

#include <cstdio>

#include "split/paths.h"

std::unique_ptr<QthFile> plan_qth_file(const char* key, std::string path, OpenPaths& open_paths) {
  auto entry = std::make_unique<QthFile>();
  entry->qth = key;
  entry->path = std::move(path);
  if (open_paths.contains(entry->path)) {
    entry->skip = 1;
  } else {
    open_paths.add(entry->path);
  }
  return entry;
}

int32_t report_planned_files(const QthFile* root, StatusLists& status) {
  if (root == nullptr) return 0;
  int32_t planned = report_planned_files(root->left.get(), status);
  char before[64];
  char text[kMessageSize];
  const char* name = file_name_part(root->path.c_str());
  if (root->skip == 0) {
    std::snprintf(before, sizeof before, "Would write %4d QSOs to ", root->qso_count);
    planned += 1;
  } else {
    std::snprintf(before, sizeof before, "Would not write %d QSOs: another output is named ",
                  root->qso_count);
  }
  // A long name loses its middle, as in the lines of a real split.
  format_name_message(text, sizeof text, before, name, "");
  add_status_message(root->skip == 0 ? 0 : 2, status, text);
  return planned + report_planned_files(root->right.get(), status);
}
