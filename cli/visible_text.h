#pragma once
// What varnel-split prints of a text that a log, a file name or the command
// line put there. A log must not be able to forge a line (a value holding
// CR LF and "Wrote 1000 QSOs to ..."), erase or recolour one (ESC
// sequences), reorder one (bidirectional controls) or flood the terminal, so
// every line it prints, on standard output and standard error alike, shows
//   TAB, LF, CR                         as \t \n \r
//   other C0 controls and DEL           as \x followed by two hex digits (\x1b, \x7f)
//   a byte outside well-formed UTF-8    the same way (\xe9 for a Latin-1 e-acute)
//   C1 controls, bidirectional controls as \u and four hex digits (\u0085, \u202e):
//                                       U+0080 to U+009F, U+061C, U+200E, U+200F,
//                                       U+202A to U+202E, U+2066 to U+2069
// with lower-case hex digits. Every other character shows as it is, a
// backslash too, so that a Windows path reads as it was typed: the escapes
// are there to keep a line whole and readable, not to be parsed back. A
// line longer than kVisibleLineSize bytes after this is cut after a whole
// character or escape and ends in "...", within the limit.
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

// The most bytes a line varnel-split prints may hold, its line end aside.
constexpr std::size_t kVisibleLineSize = 256;

// `text` shown as above in at most `limit` bytes (at least 3): whole when it
// fits, else cut and ending in "...". Looks at no more of `text` than the
// limit needs, however long it is.
std::string visible_text(std::string_view text, std::size_t limit = kVisibleLineSize);

// `before`, `path` and `after` as one line for visible_text: a path that
// would make the line pass kVisibleLineSize bytes loses the middle of its
// folder part (format_path_message), so its file name and `after` still show.
std::string path_line(const char* before, const char* path, const char* after);

// Writes visible_text(text) and a line end to `out`, through write_text
// (console_text.h), so a Windows console shows its letters.
void print_visible_line(std::FILE* out, std::string_view text);
