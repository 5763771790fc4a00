#pragma once
// Where a value really ends when its declared length says something else.
//
// A declared length is taken as it stands when the byte after the value is
// '<', a blank (SP, HT) or a line end (CR, LF), or when the value reaches the
// end of the input. Any other byte there means a broken end, and two writer
// habits cause nearly all of them. Only the tags that records are made of
// count as tags here ("record tags"): <EOR> and <EOH> in any case, and tags
// with a length, <NAME:LEN> or <NAME:LEN:TYPE> (NAME of letters, digits and
// '_'), at most kReach bytes long; <b> or <y> in a comment are text.
//   1. Lengths counted in UTF-8 characters instead of bytes: <NAME:4>Jörg.
//      When no record tag begins inside the value, and its first LEN
//      characters are well-formed UTF-8, end right before '<', a blank, a
//      line end or the end of the input, and the bytes past the declared end
//      hold no '<', CR, LF or NUL, the value is those characters.
//   2. A length that runs into the next tag, from a hand-edited value or line
//      ends changed after the lengths were counted:
//      <STATION_CALLSIGN:11>N0CALL/P <CALL:6>. The value runs into a tag when
//      its declared end falls inside the last record tag that begins before
//      it, in the value and at most kReach bytes before that end: inside the
//      tag itself or inside that tag's own value. It then ends before the
//      first record tag that begins inside it, and the blanks and line ends
//      right in front, so a length that overshoots several fields gives them
//      all back.
// Otherwise the declared length stands, and the reader tells the user. Both
// rules look at the value and at most kReach bytes around its declared end,
// so settling a value costs time in proportion to the value, however far
// its length says it goes.
#include <cstddef>
#include <cstdint>

namespace value_end {

// How far around a declared end rule 2 looks, and the longest record tag.
inline constexpr std::size_t kReach = 256;

// Whether a declared length followed by this byte stands as it is: '<', SP,
// HT, CR or LF. Asked for every value, so the bytes that follow values most
// often come first.
inline bool ends_value(char c) {
  return c == ' ' || c == '<' || (c <= '\r' && (c == '\r' || c == '\n' || c == '\t'));
}

enum class TagCheck { kTag, kNoTag, kUnfinished };

// Whether `p` (a '<') begins a record tag that closes before `end`:
// kUnfinished when the text ends before that is known. For a tag, `last` is
// how far past `p` a declared end may lie and still fall inside the tag or
// its own value (the '>' plus the tag's length).
TagCheck record_tag(const char* p, const char* end, uint64_t& last);

// The first '<' in [from, before) that begins a record tag closing before
// `end`, or null. When a '<' cannot be judged before the text ends, returns
// null and sets `undecided` to it (else null).
const char* first_record_tag(const char* from, const char* before, const char* end,
                             const char*& undecided);

// Whether `declared_end` falls inside the last record tag that begins in
// [from, declared_end) and at most kReach bytes before it (rule 2). The text
// around it must run to `end`: to the end of the line, or kReach bytes past
// `declared_end`.
bool falls_inside_tag(const char* from, const char* declared_end, const char* end);

// The start of the blanks and line ends right before `tag`, not before `value`.
const char* before_blanks(const char* value, const char* tag);

// Where the value at `value`, declared `length` bytes long, ends when that
// length counts UTF-8 characters (rule 1, no record tag inside it), or null.
// The text runs to `text_end`; when the rule needs more text than that and
// `more_may_follow`, sets `needs_more` instead of deciding.
const char* by_characters(const char* value, int32_t length, const char* text_end,
                          bool more_may_follow, bool& needs_more);

// Whether the `length` bytes at `value` hold the text <EOR> in any case: a
// value that swallowed whole records.
bool holds_end_of_record(const char* value, std::size_t length);

}  // namespace value_end
