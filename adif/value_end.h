#pragma once
// Where a value really ends when its declared length says something else.
//
// A declared length is taken as it stands when the byte after the value is
// '<', a blank (SP, HT) or a line end (CR, LF), or when the value reaches the
// end of the input. Any other byte there means a broken end, and two writer
// habits cause nearly all of them:
//   1. Lengths counted in UTF-8 characters instead of bytes: <NAME:4>Jörg.
//      When the value's first LEN characters are well-formed UTF-8, end right
//      before '<', a blank, a line end or the end of the input, and the bytes
//      past the declared end hold no '<', CR, LF or NUL, the value is those
//      characters.
//   2. A length that runs into the next tag, from a hand-edited value or line
//      ends changed after the lengths were counted:
//      <STATION_CALLSIGN:11>N0CALL/P <CALL:6>. When the value holds a '<'
//      that begins a well-formed tag (<NAME>, <NAME:LEN> or <NAME:LEN:TYPE>,
//      NAME of letters, digits and '_'), the value ends before the first such
//      '<' and the blanks and line ends right in front of it.
// Otherwise the declared length stands, and the reader tells the user.
#include <cstddef>
#include <cstdint>

namespace value_end {

// Whether a declared length followed by this byte stands as it is: '<', SP,
// HT, CR or LF. Asked for every value, so the bytes that follow values most
// often come first.
inline bool ends_value(char c) {
  return c == ' ' || c == '<' || (c <= '\r' && (c == '\r' || c == '\n' || c == '\t'));
}

// Where the value at `value`, declared `length` bytes long, ends when that
// length counts UTF-8 characters (rule 1 above), or null. The text runs to
// `text_end`; `input_ends_there` tells whether the input ends with it too.
const char* by_characters(const char* value, int32_t length, const char* text_end,
                          bool input_ends_there);

// Where the value at `value` ends when it runs into a well-formed tag
// before `declared_end` (rule 2 above), or null. The tag must close before
// `text_end`.
const char* before_tag(const char* value, const char* declared_end, const char* text_end);

}  // namespace value_end
