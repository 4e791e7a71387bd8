#include "gui/SetupMenu.h"

#include "app/Application.h"
#include "app/SetupCommands.h"
#include "app/SetupDialog.h"
#include "gui/FileChooser.h"
#include "gui/SetupDialog.h"

namespace vargaze {

namespace {

constexpr const char* kLoadTitle = "Einstellungen laden";
constexpr const char* kSaveTitle = "Einstellungen speichern";

// "Vargaze Configuration (*.cfg)"
std::string qtFilter() {
  const FileFilter filter = configFileFilter();
  std::string text = filter.name + " (";
  for (std::size_t i = 0; i < filter.patterns.size(); ++i) text += (i > 0 ? " " : "") + filter.patterns[i];
  return text + ")";
}

std::string chooseSaveName(const Application& app, FileChooser& chooser) {
  return chooser.saveFile(kSaveTitle, configDialogFolder(), qtFilter(), proposedConfigName(app));
}

}  // namespace

std::string runSetupCommand(QWidget* parent, Application& app, FileChooser& chooser) {
  return Setup2Click(
      app, [parent](SetupForm& form) { return showSetupDialog(parent, form); },
      [&] { return chooseSaveName(app, chooser); });
}

std::string runLoadSettings(Application& app, FileChooser& chooser) {
  return Einstellungenladen1Click(app, chooser.openFile(kLoadTitle, configDialogFolder(), qtFilter()));
}

std::string runSaveSettings(Application& app, FileChooser& chooser) {
  return Einstellungenspeichern1Click(app, chooseSaveName(app, chooser));
}

}  // namespace vargaze
