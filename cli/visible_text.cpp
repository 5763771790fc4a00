#include "visible_text.h"

#include <cstring>
#include <vector>

#include "adif/utf8.h"
#include "split/paths.h"
#include "split/text_controls.h"

namespace {

constexpr char kCut[] = "...";
constexpr std::size_t kCutSize = sizeof kCut - 1;
// How many shown bytes after a backslash tell whether an escape starts
// there: "u" and four hex digits.
constexpr std::size_t kEscapeLookahead = 5;
constexpr char kHexDigits[] = "0123456789abcdef";

// The text as shown, with its own backslashes still single: where each shown
// character (an escape, or a character as it is) starts, and whether it is
// such a backslash.
struct Piece {
  std::size_t start;
  bool backslash;
};

struct Draft {
  std::string text;
  std::vector<Piece> pieces;
  bool whole = true;  // all of the text was looked at
};

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

// Shows `text` as far as a line of `limit` bytes needs: when it does not fit,
// the draft ends a little past the limit, far enough to settle every
// backslash before it.
Draft draft_of(std::string_view text, std::size_t limit) {
  Draft draft;
  const std::size_t enough = limit + kEscapeLookahead + 1;
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p != end) {
    if (draft.text.size() >= enough) {
      draft.whole = false;
      break;
    }
    const std::size_t size = utf8::character_size(p, end);
    draft.pieces.push_back({draft.text.size(), *p == '\\'});
    append_shown(draft.text, p, size);
    p += size == 0 ? 1 : size;
  }
  return draft;
}

bool hex_digits(const std::string& shown, std::size_t at, std::size_t count) {
  if (shown.size() < at + count) return false;
  for (std::size_t i = at; i < at + count; ++i) {
    if (shown[i] == '\0' || std::strchr("0123456789abcdefABCDEF", shown[i]) == nullptr)
      return false;
  }
  return true;
}

// True when the shown text from `at` on would read as an escape after a
// backslash.
bool reads_as_escape(const std::string& shown, std::size_t at) {
  if (at >= shown.size()) return false;
  switch (shown[at]) {
    case '\\':
    case 'r':
    case 'n':
    case 't':
      return true;
    case 'x':
      return hex_digits(shown, at + 1, 2);
    case 'u':
      return hex_digits(shown, at + 1, 4);
    default:
      return false;
  }
}

}  // namespace

std::string visible_text(std::string_view text, std::size_t limit) {
  const Draft draft = draft_of(text, limit);
  std::string shown;
  std::vector<std::size_t> ends;  // where each shown character ends
  shown.reserve(draft.text.size() + 8);
  ends.reserve(draft.pieces.size());
  for (std::size_t i = 0; i < draft.pieces.size(); ++i) {
    const Piece& piece = draft.pieces[i];
    const std::size_t next =
        i + 1 < draft.pieces.size() ? draft.pieces[i + 1].start : draft.text.size();
    if (piece.backslash && reads_as_escape(draft.text, piece.start + 1)) shown.push_back('\\');
    shown.append(draft.text, piece.start, next - piece.start);
    ends.push_back(shown.size());
  }
  if (draft.whole && shown.size() <= limit) return shown;
  // The most whole characters that leave room for the "...".
  const std::size_t room = limit > kCutSize ? limit - kCutSize : 0;
  std::size_t keep = 0;
  for (std::size_t end : ends) {
    if (end > room) break;
    keep = end;
  }
  shown.resize(keep);
  shown += kCut;
  return shown;
}

std::string path_line(const char* before, const char* path, const char* after) {
  char line[kVisibleLineSize + 1];
  return format_path_message(line, sizeof line, before, path, after);
}

void print_visible_line(std::FILE* out, std::string_view text) {
  const std::string shown = visible_text(text);
  std::fwrite(shown.data(), 1, shown.size(), out);
  std::fputc('\n', out);
}
