#include "visible_text.h"

#include "adif/utf8.h"
#include "console_text.h"
#include "split/paths.h"
#include "split/text_controls.h"

#ifdef _WIN32
#include "platform/code_page.h"
#endif

namespace {

constexpr char kCut[] = "...";
constexpr std::size_t kCutSize = sizeof kCut - 1;
constexpr char kHexDigits[] = "0123456789abcdef";

void append_escape(std::string& out, char kind, char32_t value, int digits) {
  out.push_back('\\');
  out.push_back(kind);
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
    out.push_back(kHexDigits[(value >> shift) & 0xF]);
}

// Appends how the character of `size` bytes at `p` shows; size 0 is a byte
// outside well-formed UTF-8.
void append_shown(std::string& out, const unsigned char* p, std::size_t size) {
  if (size == 0) return append_escape(out, 'x', *p, 2);
  if (size == 1) {
    switch (*p) {
      case '\t':
        out += "\\t";
        return;
      case '\n':
        out += "\\n";
        return;
      case '\r':
        out += "\\r";
        return;
      default:
        if (*p < 0x20 || *p == 0x7F) return append_escape(out, 'x', *p, 2);
        out.push_back(static_cast<char>(*p));
        return;
    }
  }
  const char32_t c = text_controls::code_point(p, size);
  if (text_controls::is_c1_control(c) || text_controls::is_bidi_control(c))
    return append_escape(out, 'u', c, 4);
  out.append(reinterpret_cast<const char*>(p), size);
}

}  // namespace

std::string visible_text(std::string_view text, std::size_t limit) {
#ifdef _WIN32
  // Paths, and so the names made from them, are in the process's code page.
  const std::string utf8 = platform::program_text_as_utf8(std::string(text));
  text = utf8;
#endif
  std::string shown;
  std::size_t keep = 0;  // the end of the last whole character that leaves room for "..."
  const std::size_t room = limit > kCutSize ? limit - kCutSize : 0;
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  // Once the line has passed the limit it is cut: nothing further is looked at.
  while (p != end && shown.size() <= limit) {
    const std::size_t size = utf8::character_size(p, end);
    append_shown(shown, p, size);
    p += size == 0 ? 1 : size;
    if (shown.size() <= room) keep = shown.size();
  }
  if (shown.size() <= limit && p == end) return shown;
  shown.resize(keep);
  shown += kCut;
  return shown;
}

std::string path_line(const char* before, const char* path, const char* after) {
  char line[kVisibleLineSize + 1];
  return format_path_message(line, sizeof line, before, path, after);
}

void print_visible_line(std::FILE* out, std::string_view text) {
  write_text(out, visible_text(text) + '\n');
}
