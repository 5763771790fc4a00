#pragma once
// Well-formed UTF-8, as Unicode's Table 3-7 has it: no overlong form, no
// surrogate, nothing past U+10FFFF, no truncated sequence. The reader counts
// characters with it where a log's lengths count them, and output file names
// keep only the bytes that are part of it.
#include <cstddef>

namespace utf8 {

// The size in bytes (1 to 4) of the well-formed character at `p`, which must
// end by `end`, or 0 when none starts there.
std::size_t character_size(const unsigned char* p, const unsigned char* end);

}  // namespace utf8
