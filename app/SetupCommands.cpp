#include "app/SetupCommands.h"

#include <filesystem>

#include "app/Application.h"
#include "app/SetupDialog.h"
#include "config/ProgramFolder.h"
#include "config/SettingLimits.h"

namespace vargaze {

namespace {

std::string statusText(const Application& app) { return "CFG-Datei=" + app.settings.cfgfilename; }

std::string withConfigExtension(const std::string& file) {
  return std::filesystem::path(file).has_extension() ? file : file + kConfigExtension;
}

// "Save error" / "Load error", with the file and the reason when known.
void reportFailure(Application& app) {
  const std::string& reason = app.config.lastError();
  app.ui().showMessage(app.config.lastMessage() + (reason.empty() ? "" : "\n" + reason));
}

}  // namespace

FileFilter configFileFilter() { return {"Vargaze Configuration", {"*.cfg"}}; }

std::string configDialogFolder() { return findProgdir(); }

std::string proposedConfigName(const Application& app) { return app.settings.cfgfilename; }

std::string Setup2Click(Application& app, const ShowSetupDialog& showDialog,
                        const ChooseConfigFile& chooseSaveFile) {
  SetupForm form(app.roiWindow);
  form.FormShow();
  if (showDialog(form)) {
    if (!app.writeConfiguration()) {
      app.ui().showMessage("Die Einstellungen konnten nicht gespeichert werden: " +
                           app.config.lastError());
    }
    const std::int32_t zoom = zoomEntryIndex(app.settings.DefaultZoomfactor);
    if (zoom >= 0) {
      app.series.controls.ZoomIndex = zoom;
      app.settings.ZoomFactor = app.settings.DefaultZoomfactor;
    }
  }
  // Even after Cancel: a failed OK or the immediate controls may have
  // stored values already.
  app.settings.ConfigChanged = true;
  if (app.series.imageLoaded) app.roiWindow.UpdateROItable(0);
  if (!app.ui().askYesNo("Setup speichern?")) return "";
  return Einstellungenspeichern1Click(app, chooseSaveFile());
}

std::string Einstellungenladen1Click(Application& app, const std::string& file) {
  if (file.empty()) return "";
  if (app.config.LoadOptions(file)) {
    app.series.controls.ZoomIndex = zoomEntryIndex(app.settings.ZoomFactor);
  } else {
    reportFailure(app);
  }
  app.settings.ConfigChanged = true;
  return statusText(app);
}

std::string Einstellungenspeichern1Click(Application& app, const std::string& file) {
  if (file.empty()) return "";
  if (!app.config.SaveOptions(withConfigExtension(file))) reportFailure(app);
  return statusText(app);
}

}  // namespace vargaze
