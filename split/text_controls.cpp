#include "split/text_controls.h"

namespace text_controls {

char32_t code_point(const unsigned char* p, std::size_t size) {
  // The bits of the lead byte that belong to the code point, by length.
  static constexpr unsigned char kLeadBits[] = {0x7F, 0x1F, 0x0F, 0x07};
  char32_t c = p[0] & kLeadBits[size - 1];
  for (std::size_t i = 1; i < size; ++i) c = (c << 6) | (p[i] & 0x3F);
  return c;
}

bool is_c1_control(char32_t c) { return c >= 0x80 && c <= 0x9F; }

bool is_bidi_control(char32_t c) {
  return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2066 && c <= 0x2069);
}

}  // namespace text_controls
