// A UiPort for tests: keeps every message and question, answers from a script.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "base/UiPort.h"

namespace vargaze::test {

class RecordingUi : public UiPort {
 public:
  void showMessage(const std::string& text) override { messages.push_back(text); }
  bool askYesNo(const std::string& text) override {
    questions.push_back(text);
    return next() == Answer::Yes;
  }
  Answer askYesNoCancel(const std::string& text) override {
    questions.push_back(text);
    return next();
  }
  void processEvents() override {
    ++eventsProcessed;
    if (onEvents) onEvents();
  }
  void progressStart(int steps, const std::string& caption, const std::string& cancelText) override {
    progressSteps = steps;
    progressCaption = caption;
    progressCancelText = cancelText;
  }
  void progressStep() override { ++progressDone; }
  bool cancelRequested() override { return cancelAfterEvents >= 0 && eventsProcessed >= cancelAfterEvents; }

  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::deque<Answer> answers;         // consumed in order; Yes when empty
  int eventsProcessed = 0;
  int progressSteps = 0;
  std::string progressCaption;
  std::string progressCancelText;
  int progressDone = 0;
  int cancelAfterEvents = -1;         // >= 0: cancel once that many event rounds ran
  std::function<void()> onEvents;     // acts while events are processed (a user pressing "Stop")

 private:
  Answer next() {
    if (answers.empty()) return Answer::Yes;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
  }
};

}  // namespace vargaze::test
