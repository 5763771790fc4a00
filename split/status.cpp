#include "split/status.h"

#include <algorithm>
#include <iterator>

StatusLists::~StatusLists() {
  // Unlink one message at a time: letting each message destroy the next
  // would recurse once per line.
  for (auto& head : heads) {
    while (head) head = std::move(head->next);
  }
}

void add_status_message(int severity, StatusLists& lists, const char* text) {
  auto message = std::make_unique<StatusMessage>();
  message->text = text;
  message->next = std::move(lists.heads[severity]);
  lists.heads[severity] = std::move(message);
}

std::vector<const std::string*> oldest_first(const StatusMessage* head) {
  std::vector<const std::string*> lines;
  for (const StatusMessage* m = head; m != nullptr; m = m->next.get()) lines.push_back(&m->text);
  return {lines.rbegin(), lines.rend()};
}

std::vector<std::string> status_lines(const StatusLists& lists) {
  std::vector<std::string> shown;
  show_status_groups(
      lists,
      [&](const StatusMessage* head) {
        std::vector<const std::string*> lines = oldest_first(head);
        std::transform(lines.begin(), lines.end(), std::back_inserter(shown),
                       [](const std::string* line) { return *line; });
        return lines.size();
      },
      [&] { shown.emplace_back(); });
  return shown;
}
