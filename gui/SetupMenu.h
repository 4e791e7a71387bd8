// The main window's "Setup" menu with its windows: the setup dialog and the
// file dialogs of the configuration copies. Each returns the first status
// panel's new text, empty when it stays as it is.
#pragma once

#include <string>

class QWidget;

namespace vargaze {

class Application;
class FileChooser;

// "Setup"
std::string runSetupCommand(QWidget* parent, Application& app, FileChooser& chooser);
// "Einstellungen laden"
std::string runLoadSettings(Application& app, FileChooser& chooser);
// "Einstellungen speichern"
std::string runSaveSettings(Application& app, FileChooser& chooser);

}  // namespace vargaze
