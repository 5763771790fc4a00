#pragma once
// The items of a comma-separated list, as both a list of field names and a
// list QTH are read: blanks (space, tab) around each item trimmed, empty
// items passed on too, for the caller to refuse or drop.
#include <cstring>

// Calls `item(first, last)` for each item of `list` in order, and stops
// early, returning false, when a call returns false.
template <class Item>
bool for_each_list_item(const char* list, Item item) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  for (const char* p = list;; ++p) {
    const char* end = p + std::strcspn(p, ",");
    const char* first = p;
    const char* last = end;
    while (first != last && blank(*first)) ++first;
    while (last != first && blank(last[-1])) --last;
    if (!item(first, last)) return false;
    if (*end == '\0') return true;
    p = end;
  }
}
