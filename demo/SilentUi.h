// A user-interface port for writing the demo without a user: messages are
// kept so a failure can say what the engine reported, questions get Yes.
#pragma once

#include <string>
#include <vector>

#include "base/UiPort.h"

namespace vargaze::demo {

class SilentUi : public UiPort {
 public:
  void showMessage(const std::string& text) override { messages.push_back(text); }
  bool askYesNo(const std::string& text) override {
    messages.push_back(text);
    return true;
  }
  Answer askYesNoCancel(const std::string& text) override {
    messages.push_back(text);
    return Answer::Yes;
  }

  // All messages so far, separated by "; ".
  std::string joined() const {
    std::string all;
    for (const std::string& m : messages) all += (all.empty() ? "" : "; ") + m;
    return all;
  }

  std::vector<std::string> messages;
};

}  // namespace vargaze::demo
