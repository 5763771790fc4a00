#pragma once
// A scripted Host for tests: answers questions from a queue (Cancel when the
// queue runs dry), records every question asked, reports as existing the
// paths it was told about or that are on disk, and asks the split to stop
// when its script says, doing what the test wants done between lines. Output
// files are opened by the
// real file-system code, so tests go through the real file system.
#include <cstdio>
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/output_files.h"
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
  std::FILE* input = nullptr;            // the log being split, when it is a file
  int stop_at_look = 0;          // stop_requested is true from this call on (1 the first); 0 never
  bool stop_when_asked = false;  // a question brings the stop, as an interrupt at a prompt does
  int looks = 0;
  std::function<void(int look)> on_look;  // called at every look, numbered from 1

  Answer ask(const char* text, const char* caption, Buttons buttons, Icon icon) override {
    asked.push_back({text, caption, buttons, icon});
    if (stop_when_asked) stop_at_look = 1;
    if (answers.empty()) return Answer::kCancel;
    Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  bool output_exists(const char* path) override {
    return extra_existing.count(path) != 0 || platform::output_exists(path);
  }
  std::unique_ptr<OutputSink> open_output(const char* path) override {
    if (!outputs) outputs.emplace(input);  // once `input` is set
    return outputs->open(path);
  }
  std::size_t most_open_outputs() override { return most_open; }
  std::optional<platform::OutputFiles> outputs;
  std::size_t most_open = 100000;  // outputs open at once before the least recent is closed
  bool stop_requested() override {
    ++looks;
    if (on_look) on_look(looks);
    return looks >= stop_at_look && stop_at_look > 0;
  }
};
