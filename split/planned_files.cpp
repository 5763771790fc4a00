#include "split/planned_files.h"

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
  if (root->skip == 0) {
    add_file_line(status, 0, "Would write %4d QSOs to ", *root);
    planned += 1;
  } else {
    add_file_line(status, 2, "Would not write %d QSOs: another output is named ", *root);
  }
  return planned + report_planned_files(root->right.get(), status);
}
