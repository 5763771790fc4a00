#pragma once
// Characters that change how the text around them shows while showing
// nothing themselves: the C1 controls (U+0080 to U+009F), which a terminal
// may obey as it obeys C0 ones (U+009B starts a command), and the
// bidirectional controls, which reorder what follows them, so that
// "rover_<U+202E>13NF.adi" shows as "rover_ida.FN31". Output file names
// replace them, and varnel-split shows them as escapes.
#include <cstddef>

namespace text_controls {

// The code point of the well-formed UTF-8 character of `size` bytes (1 to 4,
// as utf8::character_size measured it) at `p`.
char32_t code_point(const unsigned char* p, std::size_t size);

// True for U+0080 to U+009F.
bool is_c1_control(char32_t c);

// True for the bidirectional controls: U+061C, U+200E, U+200F, U+202A to
// U+202E and U+2066 to U+2069.
bool is_bidi_control(char32_t c);

}  // namespace text_controls
