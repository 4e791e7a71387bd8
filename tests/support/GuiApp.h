// An application as the desktop program builds it, for widget tests: its
// configuration folder (VARGAZE_HOME) is a temporary folder, and messages and
// questions are recorded and answered from a script instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "app/Application.h"
#include "gui/QtUi.h"
#include "support/EnvGuard.h"
#include "support/TempDir.h"

namespace vargaze::test {

struct GuiApp {
  // `ini`: the configuration file's text, written before the program reads it;
  // `clock`: live mode's clock.
  explicit GuiApp(const std::string& ini = "", LiveMode::Clock clock = {}) {
    if (!ini.empty()) writeBytes(dir.file("vargaze1.ini"), ini);
    ui.setScript(&script);
    ApplicationOptions options;
    options.clock = std::move(clock);
    app = std::make_unique<Application>(ui, std::move(options));
  }

  TempDir dir;
  EnvGuard home{"VARGAZE_HOME", dir.path().string()};
  UiScript script;
  QtUi ui;
  std::unique_ptr<Application> app;
};

// The button labelled `text` in `dialog`; fails the test when there is none.
template <class Button = QPushButton>
Button* buttonLabelled(QWidget* dialog, const QString& text) {
  for (Button* b : dialog->findChildren<Button*>())
    if (b->text() == text) return b;
  ADD_FAILURE() << "no button " << text.toStdString();
  return nullptr;
}

// Runs `answer` on the modal dialog the next exec() opens.
inline void answerNextDialog(std::function<void(QWidget*)> answer) {
  QTimer::singleShot(0, [answer] { answer(QApplication::activeModalWidget()); });
}

}  // namespace vargaze::test
