#include "platform/output_checks.h"

namespace platform {

bool may_write(const OpenedFile& file, const FileIdSet& taken) {
  // A second name (a hard link) may stand outside the output folder, in a
  // snapshot or a backup: writing here would change the file seen there.
  if (!file.regular || file.reparse_point || file.links > 1 || !file.name_as_asked) return false;
  return !taken.contains(file.id);
}

}  // namespace platform
