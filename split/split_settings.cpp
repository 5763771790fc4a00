#include "split/split_settings.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "split/paths.h"

namespace {

bool blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

bool parse_field_list(const char* list, std::vector<std::string>& fields, std::string& error) {
  std::vector<std::string> names;
  for (const char* p = list;; ++p) {
    const char* end = p + std::strcspn(p, ",");
    const char* first = p;
    const char* last = end;
    while (first != last && blank(*first)) ++first;
    while (last != first && blank(last[-1])) --last;
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
    if (*end == '\0') break;
    p = end;
  }
  fields = std::move(names);
  return true;
}

std::string left_out_line(const std::vector<std::string>& fields, int64_t count) {
  std::string names;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) names += i + 1 == fields.size() ? " or " : ", ";
    names += fields[i];
  }
  char text[kMessageSize];
  std::snprintf(text, sizeof text, "Left out %" PRId64 " QSOs without %s", count, names.c_str());
  return text;
}
