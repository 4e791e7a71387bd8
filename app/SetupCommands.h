// The main window's "Setup" menu: the setup dialog, and saving and loading
// named copies of the configuration (".cfg" files). Each command returns the
// new text of the first status panel ("CFG-Datei=" and the copy's name), or
// an empty text when the panel stays as it is.
#pragma once

#include <functional>
#include <string>

#include "app/MainWindow.h"

namespace vargaze {

class Application;
class SetupForm;

// The configuration copies' file dialogs: the filter, the extension added to
// a name typed without one, the folder they start in (the program folder)
// and, for saving, the name offered (the copy last loaded or saved).
FileFilter configFileFilter();
inline constexpr const char* kConfigExtension = ".cfg";
std::string configDialogFolder();
std::string proposedConfigName(const Application& app);

// Shows the dialog modally over the filled form; true when closed with OK.
using ShowSetupDialog = std::function<bool(SetupForm& form)>;
// Asks for a file name; empty when the user cancelled.
using ChooseConfigFile = std::function<std::string()>;

// "Setup": on OK the configuration is written and the display takes the
// dialog's zoom. Either way the frame is read again with the new settings at
// its next showing, the ROI table is measured again, and "Setup speichern?"
// on Yes saves a copy under a name from `chooseSaveFile`.
std::string Setup2Click(Application& app, const ShowSetupDialog& showDialog,
                        const ChooseConfigFile& chooseSaveFile);

// "Einstellungen laden" with the file chosen (empty: cancelled).
std::string Einstellungenladen1Click(Application& app, const std::string& file);

// "Einstellungen speichern" with the file chosen (empty: cancelled).
std::string Einstellungenspeichern1Click(Application& app, const std::string& file);

}  // namespace vargaze
