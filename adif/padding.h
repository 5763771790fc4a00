#pragma once
// How far the reader's scans may read past the end of a text.
#include <cstddef>

namespace scan {

// Readable bytes that follow the terminating NUL of every text a scan reads
// (a working text, a dictionary name), so that a scan may read whole blocks
// past the NUL without a bounds check. Whoever makes such a text adds them:
// TextArena::copy and FieldNames.
inline constexpr std::size_t kPadding = 32;

}  // namespace scan
