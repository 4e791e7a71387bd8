// The one way engine operations talk to the user: messages, questions,
// progress and the cancel flag of long commands. The GUI implements it with
// dialogs, the command line with stderr and default answers, the tests with a
// recorder that keeps every text.
#pragma once

#include <string>

namespace vargaze {

class UiPort {
 public:
  enum class Answer { Yes, No, Cancel };

  virtual ~UiPort() = default;

  virtual void showMessage(const std::string& text) = 0;
  virtual bool askYesNo(const std::string& text) = 0;
  virtual Answer askYesNoCancel(const std::string& text) = 0;

  // Long commands let pending window events run between steps.
  virtual void processEvents() {}
  // `caption` titles the progress display; an empty `cancelText` means the
  // command offers no cancel button, otherwise it is the button's caption.
  virtual void progressStart(int /*steps*/, const std::string& /*caption*/,
                             const std::string& /*cancelText*/) {}
  virtual void progressStep() {}
  virtual void progressStop() {}
  // True once the user asked to stop the running command.
  virtual bool cancelRequested() { return false; }
};

}  // namespace vargaze
