// The progress window of long commands, shown over its model: caption, a bar
// of steps + 1 and an optional cancel button. Non-modal and on top, so the
// user keeps seeing the frames a run displays and can stop it.
#pragma once

#include <QDialog>
#include <string>

#include "app/ProgressWindow.h"

class QProgressBar;
class QPushButton;

namespace vargaze {

class ProgressDialog : public QDialog {
  Q_OBJECT

 public:
  explicit ProgressDialog(QWidget* parent = nullptr);

  // Shows the window with the bar at one step of steps + 1. An empty caption
  // keeps "Processing Status"; an empty cancel text hides the button.
  void start(int steps, const std::string& caption, const std::string& cancelText);
  void step();
  void stop();

  // True once the button was pressed since the last start.
  bool cancelRequested() const { return model_.wmaborted; }
  // A command's own window stops it like the button (the star finder's "Abbruch").
  void requestCancel() { model_.cancelClick(); }
  // Forgets an earlier stop before a command that runs without this window
  // but polls it (the export fill's "STOP").
  void clearCancel() { model_.wmaborted = false; }
  const ProgressWindow& model() const { return model_; }

  QProgressBar* bar() const { return bar_; }
  QPushButton* cancelButton() const { return cancelButton_; }

 private:
  // Shows what the model holds.
  void sync();

  ProgressWindow model_;
  QProgressBar* bar_;
  QPushButton* cancelButton_;
};

}  // namespace vargaze
