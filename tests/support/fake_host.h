#pragma once
// A scripted Host for tests: answers questions from a queue (Cancel when the
// queue runs dry), records every question asked, and reports as existing the
// paths it was told about or that are on disk.
#include <sys/stat.h>

#include <deque>
#include <set>
#include <string>
#include <vector>

#include "split/host.h"

struct AskedQuestion {
  std::string text;
  std::string caption;
  Buttons buttons;
  Icon icon;
};

class FakeHost : public Host {
 public:
  std::deque<Answer> answers;
  std::vector<AskedQuestion> asked;
  std::set<std::string> extra_existing;  // paths to report as existing although absent

  Answer ask(const char* text, const char* caption, Buttons buttons, Icon icon) override {
    asked.push_back({text, caption, buttons, icon});
    if (answers.empty()) return Answer::Cancel;
    Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  bool output_exists(const char* path) override {
    struct stat st;
    return extra_existing.count(path) != 0 || stat(path, &st) == 0;
  }
};
