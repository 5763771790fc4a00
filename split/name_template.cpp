#include "split/name_template.h"

#include <algorithm>
#include <cstring>

#include "split/paths.h"

namespace {

constexpr char kDefault[] = "{LOG}_{QTH}.adi";

// Why the text `text` cannot stand in a file name as written, or "" when it
// can: the byte rule of output names leaves it as it is.
std::string text_problem(const std::string& text) {
  if (text.find_first_of("/\\") != std::string::npos)
    return "a path separator ('/' or '\\') in the template";
  std::string safe;
  append_safe_text(safe, text.data(), text.size());
  if (safe == text) return "";
  std::size_t at = 0;
  while (safe[at] == text[at]) ++at;
  const auto byte = static_cast<unsigned char>(text[at]);
  char shown[48];
  if (byte >= 0x21 && byte < 0x7F) {
    std::snprintf(shown, sizeof shown, "'%c' cannot stand in a file name", byte);
  } else {
    std::snprintf(shown, sizeof shown, "byte 0x%02x cannot stand in a file name", byte);
  }
  return shown;
}

}  // namespace

bool is_field_name(const std::string& name) {
  if (name.empty() || name.front() == ' ' || name.back() == ' ') return false;
  for (char c : name)
    if (c < ' ' || c > '~' || std::strchr(",:<>{}", c) != nullptr) return false;
  return true;
}

std::string upper_cased(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  });
  return text;
}

NameTemplate::NameTemplate() {
  std::string unused;
  parse(kDefault, unused);
}

bool NameTemplate::parse(const char* text, std::string& error) {
  if (*text == '\0') {
    error = "the template is empty";
    return false;
  }
  std::vector<Part> parts;
  std::string literal;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == '}') {
      error = "a '}' without its '{' in the template";
      return false;
    }
    if (*p != '{') {
      literal.push_back(*p);
      continue;
    }
    const char* close = std::strchr(p + 1, '}');
    const char* open = std::strchr(p + 1, '{');
    if (close == nullptr || (open != nullptr && open < close)) {
      error = "a '{' without its '}' in the template";
      return false;
    }
    const std::string name = upper_cased(std::string(p + 1, close));
    if (!is_field_name(name)) {
      error = "{" + std::string(p + 1, close) + "} names no field";
      return false;
    }
    if (!literal.empty()) parts.push_back({Kind::kText, std::move(literal)});
    literal.clear();
    const Kind kind = name == "LOG" ? Kind::kLog : name == "QTH" ? Kind::kQth : Kind::kField;
    parts.push_back({kind, name});
    p = close;
  }
  if (!literal.empty()) parts.push_back({Kind::kText, std::move(literal)});
  for (const Part& part : parts) {
    if (part.kind != Kind::kText) continue;
    error = text_problem(part.text);
    if (!error.empty()) return false;
  }
  parts_ = std::move(parts);
  is_default_ = parts_.size() == 4 && parts_[0].kind == Kind::kLog &&
                parts_[1].kind == Kind::kText && parts_[1].text == "_" &&
                parts_[2].kind == Kind::kQth && parts_[3].kind == Kind::kText &&
                parts_[3].text == ".adi";
  return true;
}

template <class AppendValue>
void NameTemplate::append_name(const std::string& log, const char* qth, const QsoRecord& record,
                               std::string& out, AppendValue append_value) const {
  for (const Part& part : parts_) {
    if (part.kind == Kind::kText) {
      out.append(part.text);
    } else if (part.kind == Kind::kLog) {
      out.append(log);
    } else if (part.kind == Kind::kQth) {
      append_value(out, qth);
    } else {
      const AdifField* field = find_field(record.fields, part.text.c_str());
      append_value(out, field != nullptr ? field->value : "");
    }
  }
}

void NameTemplate::render_raw(const std::string& log, const char* qth, const QsoRecord& record,
                              std::string& out) const {
  out.clear();
  append_name(log, qth, record, out,
              [](std::string& name, const char* value) { name.append(value); });
}

void NameTemplate::append_safe(const std::string& log, const char* qth, const QsoRecord& record,
                               std::string& out, Host& host) const {
  const std::size_t start = out.size();
  append_name(log, qth, record, out, [&host](std::string& name, const char* value) {
    std::string safe;
    append_safe_text(safe, value, std::strlen(value));
    name.append(host.file_name_text(safe));
  });
  // Windows drops dots and blanks at the end of a name, so "FN31." would
  // write FN31, another file; "." and ".." would be folders. They become '_'
  // on every system, so that a log gives the same names everywhere.
  for (std::size_t end = out.size(); end > start && (out[end - 1] == '.' || out[end - 1] == ' ');
       --end)
    out[end - 1] = '_';
}
