#include "platform/output_checks.h"

#include <cwchar>

#include "split/paths.h"

namespace platform {

Verdict output_verdict(const OpenedFile& file, const FileIdSet& taken) {
  // A second name (a hard link) may stand outside the output folder, in a
  // snapshot or a backup: writing here would change the file seen there.
  if (!file.regular || file.links > 1 || !file.name_as_asked) return Verdict::kRefuse;
  if (taken.contains(file.id)) return Verdict::kRefuse;
  if (file.reparse_tag == 0) return Verdict::kWrite;
  // A link or junction would have the write land in another file; any other
  // tag (OneDrive's, a deduplicated or tiered file's) keeps the file here.
  return (file.reparse_tag & kNameSurrogateBit) != 0 ? Verdict::kRefuse : Verdict::kReopen;
}

bool may_write(const OpenedFile& file, const FileIdSet& taken) {
  return output_verdict(file, taken) == Verdict::kWrite;
}

bool may_write_reopened(const OpenedFile& first, const OpenedFile& again) {
  // Opened the ordinary way, a link put at the name meanwhile is followed:
  // the file reached then is another one, and refused here.
  return again.regular && again.links <= 1 && again.id.volume == first.id.volume &&
         again.id.index == first.id.index && again.id.index_high == first.id.index_high &&
         (again.reparse_tag & kNameSurrogateBit) == 0;
}

bool may_be_short_name(const wchar_t* path) {
  return std::wcschr(file_name_part(path), L'~') != nullptr;
}

bool name_as_asked(const wchar_t* path, NameGivenBack given) {
  return !may_be_short_name(path) || given == NameGivenBack::kSame;
}

}  // namespace platform
