// The desktop program's user-interface port: message boxes titled "VARGAZE"
// with German buttons, the progress window and its cancel button. With a
// script set nothing is shown: texts are recorded and questions answered from
// the script, so tests can drive commands that ask.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "base/UiPort.h"

class QWidget;

namespace vargaze {

class ProgressDialog;

struct UiScript {
  std::deque<UiPort::Answer> answers;  // consumed in order; Yes when empty
  std::vector<std::string> messages;
  std::vector<std::string> questions;
};

class QtUi : public UiPort {
 public:
  QtUi();
  ~QtUi() override;

  // Parent of the message boxes (the main window), so they open centred on it.
  void setParentWidget(QWidget* parent) { parent_ = parent; }
  // nullptr shows dialogs again. The script must outlive its use.
  void setScript(UiScript* script) { script_ = script; }

  void showMessage(const std::string& text) override;
  bool askYesNo(const std::string& text) override;
  Answer askYesNoCancel(const std::string& text) override;

  void processEvents() override;
  void progressStart(int steps, const std::string& caption,
                     const std::string& cancelText) override;
  void progressStep() override;
  void progressStop() override;
  bool cancelRequested() override;

  // Created on first use.
  ProgressDialog& progressWindow();

 private:
  Answer ask(const std::string& text, bool withCancel);

  QWidget* parent_ = nullptr;
  UiScript* script_ = nullptr;
  std::unique_ptr<ProgressDialog> progress_;
};

}  // namespace vargaze
