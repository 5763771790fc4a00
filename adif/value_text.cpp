#include "adif/value_text.h"

#include <cstring>
#include <new>
#include <string>

#include "adif/value_end.h"

ValueText gather_value(MoreLines more, const char* value, const char* end, int32_t wanted_length) {
  LineReader& stream = more.lines;
  const auto wanted = static_cast<std::size_t>(wanted_length);
  const auto have = static_cast<std::size_t>(end - value);
  // A length that runs past the end of a file of known size can never be
  // met: gathering the rest of the file would only cost its size in memory.
  const int64_t left = stream.remaining();
  if (left >= 0 && static_cast<uint64_t>(left) < wanted - have) {
    stream.skip_rest();
    return {nullptr, nullptr};
  }
  try {
    // One growing buffer, so that a long value costs time linear in the bytes read.
    std::string joined(value, have);
    while (joined.size() < wanted) {
      if (stream.read_line(more.line, more.size) == 0) return {nullptr, nullptr};
      joined.append(more.line, std::strlen(more.line));
    }
    char* start = more.home.storage.copy(joined.data(), joined.size());
    return {start, start + joined.size()};
  } catch (const std::bad_alloc&) {
    // Where the input's size is unknown a corrupt length may ask for more
    // than there is memory: that ends the input like a read error, and is
    // reported as running out of memory.
    stream.fail_out_of_memory();
    return {nullptr, nullptr};
  }
}

int32_t settle_value_end(MoreLines more, int32_t declared, ValueText& text) {
  if (text.start + declared == text.end) {
    const int next = more.lines.peek();
    if (next < 0 || value_end::ends_value(static_cast<char>(next))) return declared;
    const ValueText joined = gather_value(more, text.start, text.end, declared + 1);
    if (joined.start == nullptr) return declared;
    text = joined;
  }
  const bool input_ends = more.lines.peek() < 0;
  const char* real_end = value_end::by_characters(text.start, declared, text.end, input_ends);
  if (real_end == nullptr)
    real_end = value_end::before_tag(text.start, text.start + declared, text.end);
  return real_end != nullptr ? static_cast<int32_t>(real_end - text.start) : -1;
}
