#include "adif/utf8.h"

namespace utf8 {

std::size_t character_size(const unsigned char* p, const unsigned char* end) {
  const unsigned char lead = *p;
  if (lead < 0x80) return 1;
  // The well-formed sequences: the lead byte fixes the length and the range
  // of the second byte (which keeps out overlong forms and surrogates); every
  // later byte is 80..BF.
  std::size_t count;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    count = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    count = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    count = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;  // a continuation byte, C0, C1 or F5..FF
  }
  if (static_cast<std::size_t>(end - p) < count) return 0;
  if (p[1] < low || p[1] > high) return 0;
  for (std::size_t i = 2; i < count; ++i)
    if (p[i] < 0x80 || p[i] > 0xBF) return 0;
  return count;
}

}  // namespace utf8
