#include "adif/value_text.h"

#include <algorithm>
#include <string>

#include "adif/value_end.h"

namespace {

constexpr int kEndsThere = -1;  // the input ends right at the byte asked for
constexpr int kEndsBefore = -2;
constexpr int kLookFailed = -3;

// The byte `offset` bytes past the end of the text, looked at, not read.
int byte_after(WorkingText& text, uint64_t offset) {
  LineReader& lines = text.lines();
  const int64_t left = lines.remaining();
  if (left >= 0 && static_cast<uint64_t>(left) <= offset)
    return static_cast<uint64_t>(left) == offset ? kEndsThere : kEndsBefore;
  std::string bytes;
  const uint64_t from = offset > 0 ? offset - 1 : 0;
  if (!lines.look_ahead(from, 2, bytes)) return kLookFailed;
  const auto at = static_cast<std::size_t>(offset - from);
  if (bytes.size() > at) return static_cast<unsigned char>(bytes[at]);
  return bytes.size() == at ? kEndsThere : kEndsBefore;
}

// Rule 2's question, asked of the text where it holds the declared end and
// what follows it on its line, else of a copy of the bytes around that end,
// looked at beyond the text.
bool runs_into_tag(WorkingText& text, const char* value, uint64_t declared, bool& failed) {
  const auto held = static_cast<uint64_t>(text.end() - value);
  const uint64_t reach = value_end::kReach;
  if (declared + reach <= held || (!text.open() && declared < held))
    return value_end::falls_inside_tag(value, value + declared, text.end());
  const uint64_t low = declared > reach ? declared - reach : 0;
  std::string around;
  if (low < held) around.assign(value + low, static_cast<std::size_t>(held - low));
  std::string after;
  const uint64_t from = std::max(low, held);
  if (!text.lines().look_ahead(from - held, static_cast<std::size_t>(declared + reach - from),
                               after)) {
    failed = true;
    return false;
  }
  around += after;
  const char* start = around.data();
  return value_end::falls_inside_tag(start, start + (declared - low), start + around.size());
}

SettledValue stopped(const WorkingText& text) {
  return {text.truncated() ? SettledValue::kTruncated : SettledValue::kFailed, nullptr, 0, false};
}

// The first record tag inside the value (null when none), reading more of the
// value as the search goes on; `value` follows the text.
const char* first_tag(WorkingText& text, char*& value, uint64_t declared, bool& stop) {
  uint64_t from = 0;
  bool input_ended = false;
  for (;;) {
    const auto held = static_cast<uint64_t>(text.end() - value);
    const uint64_t before = std::min(declared, held);
    const char* undecided;
    const char* found =
        value_end::first_record_tag(value + from, value + before, text.end(), undecided);
    if (found != nullptr) return found;
    if (undecided != nullptr && input_ended) {
      from = static_cast<uint64_t>(undecided - value) + 1;  // at the very end: no tag
      continue;
    }
    if (undecided == nullptr && (before == declared || input_ended)) return nullptr;
    from = undecided != nullptr ? static_cast<uint64_t>(undecided - value) : before;
    const uint64_t want =
        std::min(declared + value_end::kReach, uint64_t{WorkingText::grown(held)});
    char* moved = text.extend(value, static_cast<std::size_t>(want), false);
    if (moved == nullptr) {
      if (text.truncated() || text.lines().failed()) {
        stop = true;
        return nullptr;
      }
      input_ended = true;
      continue;
    }
    value = moved;
  }
}

// Rule 1: the value's end when its length counts characters, or -1.
int64_t end_by_characters(WorkingText& text, char*& value, int32_t declared, bool& stop) {
  for (;;) {
    bool needs_more;
    const char* end =
        value_end::by_characters(value, declared, text.end(), text.more_may_follow(), needs_more);
    if (!needs_more) return end != nullptr ? end - value : -1;
    const auto held = static_cast<std::size_t>(text.end() - value);
    char* moved = text.extend(value, WorkingText::grown(held), false);
    if (moved == nullptr && (text.truncated() || text.lines().failed())) {
      stop = true;
      return -1;
    }
    if (moved != nullptr) value = moved;
  }
}

}  // namespace

SettledValue settle_value(WorkingText& text, char* value, int32_t declared) {
  const auto length = static_cast<uint64_t>(declared);
  const auto held = static_cast<uint64_t>(text.end() - value);
  const int next =
      length < held ? static_cast<unsigned char>(value[length]) : byte_after(text, length - held);
  if (next == kEndsBefore) {
    text.lines().skip_rest();
    return {SettledValue::kCut, nullptr, 0, false};
  }
  if (next == kLookFailed) return {SettledValue::kFailed, nullptr, 0, false};

  uint64_t end = length;
  bool broken = false;
  if (next != kEndsThere && !value_end::ends_value(static_cast<char>(next))) {
    bool stop = false;
    const char* tag = first_tag(text, value, length, stop);
    if (stop) return stopped(text);
    if (tag != nullptr) {
      bool failed = false;
      if (runs_into_tag(text, value, length, failed)) {
        end = static_cast<uint64_t>(value_end::before_blanks(value, tag) - value);
      } else {
        if (failed) return {SettledValue::kFailed, nullptr, 0, false};
        broken = true;
      }
    } else {
      const int64_t by_characters = end_by_characters(text, value, declared, stop);
      if (stop) return stopped(text);
      if (by_characters >= 0) {
        end = static_cast<uint64_t>(by_characters);
      } else {
        broken = true;
      }
    }
  }
  // The value's own bytes, all of them in the text.
  if (static_cast<uint64_t>(text.end() - value) < end) {
    char* moved = text.extend(value, static_cast<std::size_t>(end), false);
    if (moved == nullptr) {
      if (text.truncated() || text.lines().failed()) return stopped(text);
      return {SettledValue::kCut, nullptr, 0, false};
    }
    value = moved;
    if (static_cast<uint64_t>(text.end() - value) < end)
      return {SettledValue::kCut, nullptr, 0, false};
  }
  return {SettledValue::kSettled, value, static_cast<int32_t>(end), broken};
}
