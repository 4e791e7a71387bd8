// An application as the desktop program builds it, for widget tests: its
// configuration folder (VARGAZE_HOME) is a temporary folder, and messages and
// questions are recorded and answered from a script instead of shown.
#pragma once

#include <memory>
#include <string>

#include "app/Application.h"
#include "gui/QtUi.h"
#include "support/EnvGuard.h"
#include "support/TempDir.h"

namespace vargaze::test {

struct GuiApp {
  // `ini`: the configuration file's text, written before the program reads it.
  explicit GuiApp(const std::string& ini = "") {
    if (!ini.empty()) writeBytes(dir.file("vargaze1.ini"), ini);
    ui.setScript(&script);
    app = std::make_unique<Application>(ui);
  }

  TempDir dir;
  EnvGuard home{"VARGAZE_HOME", dir.path().string()};
  UiScript script;
  QtUi ui;
  std::unique_ptr<Application> app;
};

}  // namespace vargaze::test
