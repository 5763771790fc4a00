#include "adif/field_names.h"

#include "adif/record.h"
#include "adif/words.h"

FieldNames::FieldNames() : slots_(kSlots, 0) {}

std::size_t FieldNames::slot_of(const char* name, uint32_t length) {
  // The first sixteen bytes and the length tell the names of a log apart.
  const auto first = static_cast<unsigned>(length < 8 ? length : 8);
  const auto second = static_cast<unsigned>(length < 8 ? 0 : length - 8 < 8 ? length - 8 : 8);
  const uint64_t all = ~uint64_t{0};
  // cppcheck-suppress knownConditionTrueFalse ; false positive: `first` is 8 for any name of 8
  // bytes or more
  const uint64_t a = words::load(name) & (first == 8 ? all : words::first_bytes(first));
  const uint64_t b =
      second == 0 ? 0 : words::load(name + 8) & (second == 8 ? all : words::first_bytes(second));
  const uint64_t hash = (a * 0x9E3779B97F4A7C15ULL) ^ (b * 0xC2B2AE3D27D4EB4FULL) ^ length;
  return static_cast<std::size_t>((hash ^ (hash >> 29)) * 0xBF58476D1CE4E5B9ULL >> 53) &
         (kSlots - 1);
}

int32_t FieldNames::find_or_add(const char* name, uint32_t length) {
  for (std::size_t s = slot_of(name, length);; s = (s + 1) & (kSlots - 1)) {
    const int32_t entry = slots_[s];
    if (entry == 0) return add(name, length, s);
    if (is(entry - 1, name, length)) return entry - 1;
  }
}

int32_t FieldNames::add(const char* name, uint32_t length, std::size_t slot) {
  if (entries_.size() == kCapacity) return -1;
  const auto id = static_cast<int32_t>(entries_.size());
  entries_.push_back({static_cast<uint32_t>(texts_.size()), length, 0, 0});
  texts_.append(name, length);
  texts_.append(1 + scan::kPadding, '\0');
  entries_.back().shortcut = shortcut_slot(text(static_cast<std::size_t>(id)));
  slots_[slot] = id + 1;

  // Its place in name order; the names after it move up by one.
  std::size_t low = 0;
  std::size_t high = in_order_.size();
  while (low < high) {
    const std::size_t middle = (low + high) / 2;
    const auto other = static_cast<std::size_t>(in_order_[middle]);
    const uint32_t shorter = length < entries_[other].length ? length : entries_[other].length;
    if (words::compare_texts(text(static_cast<std::size_t>(id)), text(other), shorter) > 0) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  in_order_.insert(in_order_.begin() + static_cast<std::ptrdiff_t>(low), id);
  for (std::size_t r = low; r < in_order_.size(); ++r)
    entries_[static_cast<std::size_t>(in_order_[r])].rank = static_cast<uint32_t>(r);
  return id;
}
