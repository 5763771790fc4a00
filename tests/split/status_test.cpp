#include "split/status.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<std::string> oldest_first_texts(const StatusLists& lists, int severity) {
  std::vector<std::string> texts;
  for (const std::string* text : oldest_first(lists.heads[severity].get())) texts.push_back(*text);
  return texts;
}

TEST(StatusLists, EachSeverityKeepsItsOwnLinesOldestFirst) {
  StatusLists lists;
  add_status_message(0, lists, "one");
  add_status_message(2, lists, "error");
  char buffer[8] = "two";
  add_status_message(0, lists, buffer);
  std::snprintf(buffer, sizeof buffer, "changed");  // the caller may reuse its buffer at once
  add_status_message(0, lists, "");
  add_status_message(0, lists, "three");
  ASSERT_NE(lists.heads[0], nullptr);
  EXPECT_EQ(lists.heads[0]->text, "three");  // newest at the head
  EXPECT_EQ(oldest_first_texts(lists, 0), (std::vector<std::string>{"one", "two", "", "three"}));
  EXPECT_EQ(lists.heads[1], nullptr);
  EXPECT_TRUE(oldest_first(nullptr).empty());
  EXPECT_EQ(oldest_first_texts(lists, 2), std::vector<std::string>{"error"});
}

TEST(StatusLists, ShownLinesGoFromHighestSeverityWithABlankAfterEachGroup) {
  using Lines = std::vector<std::string>;
  struct Case {
    Lines severity[3];
    Lines shown;
  } cases[] = {
      {{{}, {}, {}}, {}},
      {{{"Wrote    1 QSOs to rover_A.adi", "Wrote    2 QSOs to rover_B.adi"}, {}, {}},
       {"Wrote    1 QSOs to rover_A.adi", "Wrote    2 QSOs to rover_B.adi", ""}},
      {{{"w"}, {"dup"}, {"e1", "e2"}}, {"e1", "e2", "", "dup", "", "w", ""}},
      {{{}, {"dup"}, {}}, {"dup", ""}},
      {{{""}, {}, {"Did not create any output files!"}},
       {"Did not create any output files!", "", "", ""}},
  };
  for (const Case& c : cases) {
    StatusLists lists;
    for (int severity = 0; severity < 3; ++severity)
      for (const std::string& line : c.severity[severity])
        add_status_message(severity, lists, line.c_str());
    EXPECT_EQ(status_lines(lists), c.shown);
  }
}

TEST(StatusLists, LongListIsReleasedWithoutDeepRecursion) {
  auto lists = std::make_unique<StatusLists>();
  for (int i = 0; i < 300000; ++i) add_status_message(0, *lists, "x");
  int count = 0;
  for (const StatusMessage* m = lists->heads[0].get(); m; m = m->next.get()) ++count;
  EXPECT_EQ(count, 300000);
  lists.reset();  // a recursive release of 300000 links would overflow the stack
}

}  // namespace
