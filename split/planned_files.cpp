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
  char text[kMessageSize];
  const char* name = file_name_part(root->path.c_str());
  if (root->skip == 0) {
    std::snprintf(text, sizeof text, "Would write %4d QSOs to %s", root->qso_count, name);
    add_status_message(0, status, text);
    planned += 1;
  } else {
    std::snprintf(text, sizeof text, "Would not write %d QSOs: another output is named %s",
                  root->qso_count, name);
    add_status_message(2, status, text);
  }
  return planned + report_planned_files(root->right.get(), status);
}
