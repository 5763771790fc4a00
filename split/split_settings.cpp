#include "split/split_settings.h"

#include "split/list_items.h"

bool parse_field_list(const char* list, std::vector<std::string>& fields, std::string& error) {
  std::vector<std::string> names;
  const bool read = for_each_list_item(list, [&](const char* first, const char* last) {
    const std::string name = upper_cased(std::string(first, last));
    if (name.empty()) {
      error = "an empty field name in \"" + std::string(list) + "\"";
      return false;
    }
    if (!is_field_name(name)) {
      error = "\"" + std::string(first, last) + "\" cannot be an ADIF field name";
      return false;
    }
    names.push_back(name);
    return true;
  });
  if (read) fields = std::move(names);
  return read;
}

std::string left_out_line(const std::vector<std::string>& fields, int64_t count) {
  std::string names;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) names += i + 1 == fields.size() ? " or " : ", ";
    names += fields[i];
  }
  // Built whole, never cut at a buffer's end: every field looked for is named.
  return "Left out " + std::to_string(count) + " QSOs without " + names;
}
