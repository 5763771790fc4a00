#pragma once
// The outcome of a split as lines of three severities (0 results, 1 warnings,
// 2 errors), each list pushed at its head and shown oldest first.
#include <memory>
#include <string>
#include <vector>

struct StatusMessage {
  std::string text;                     // the line's own copy
  std::unique_ptr<StatusMessage> next;  // the next older line of the same list
};

struct StatusLists {
  StatusLists() = default;
  StatusLists(const StatusLists&) = delete;
  StatusLists& operator=(const StatusLists&) = delete;
  StatusLists(StatusLists&&) = default;
  StatusLists& operator=(StatusLists&&) = default;
  ~StatusLists();  // releases long lists without deep recursion

  std::unique_ptr<StatusMessage> heads[3];  // newest line of severity 0, 1, 2
};

// Adds a copy of `text` as the newest line of the list of `severity` (0, 1 or 2).
void add_status_message(int severity, StatusLists& lists, const char* text);

// The lines of one list, oldest first.
std::vector<const std::string*> oldest_first(const StatusMessage* head);

// Shows the lists in the order a split's outcome is read: severity 2, then 1,
// then 0. `show_list(head)` shows one list oldest first and returns how many
// lines it added; `separate()` then follows each list that added any, so
// the groups stand apart.
template <class ShowList, class Separate>
void show_status_groups(const StatusLists& lists, ShowList show_list, Separate separate) {
  for (int severity = 2; severity >= 0; --severity) {
    if (show_list(lists.heads[severity].get()) > 0) separate();
  }
}

// Every line the status list shows after a split, as show_status_groups
// orders them, the empty separator lines included.
std::vector<std::string> status_lines(const StatusLists& lists);
