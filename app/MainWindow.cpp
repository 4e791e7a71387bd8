#include "app/MainWindow.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "app/Application.h"
#include "base/Strings.h"
#include "image/RawConverter.h"

namespace vargaze {

namespace {

std::string lowerExtension(const std::string& filename) {
  std::string ext = std::filesystem::path(filename).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

// What stays usable while a run or a live cycle owns the frame buffer:
// commands that only show or write what is there, and the live toggle, which
// must be able to stop the mode.
bool usableWhileBusy(Command command) {
  switch (command) {
    case Command::Fitsheader1:
    case Command::Exit1:
    case Command::Einstellungenspeichern1:
    case Command::SaveResultTable1:
    case Command::Autolightcurve1:
    case Command::Tile1:
    case Command::ROIInfoTabelle1:
    case Command::htmlhelp1:
    case Command::Info1:
      return true;
    default:
      return false;
  }
}

}  // namespace

MainWindowModel::MainWindowModel(Application& app) : app_(app) {
  statusPanel0 = "CFG-Datei=" + app.settings.cfgfilename;
}

bool MainWindowModel::menuVisible(std::string_view menu) const {
  if (menu == "Edit") return false;
  if (menu == "Bearbeitung") return app_.settings.PrivateMode;
  return true;
}

bool MainWindowModel::visible(Command command) const {
  switch (command) {
    case Command::BVRIanalyse: return app_.series.BVRImode;
    case Command::JPGexport: return app_.settings.PrivateMode;
    case Command::findstars1: return app_.settings.Testmode;
    default: return !menuItem(command).hiddenInLayout;
  }
}

bool MainWindowModel::enabled(Command command) const {
  if (app_.busy() && !usableWhileBusy(command)) return false;
  const SeriesMenuState series = SetSeriesMode(app_.series.BVRImode);
  switch (command) {
    case Command::Analyse1: return series.Analyse1Enabled;
    case Command::Autolightcurve1: return series.Autolightcurve1Enabled;
    case Command::Datenexport1: return series.Datenexport1Enabled;
    default: return true;
  }
}

bool MainWindowModel::frameControlsEnabled() const { return !app_.busy(); }

bool MainWindowModel::timer1Running() const { return app_.series.Timer1Enabled && !app_.busy(); }

bool MainWindowModel::Timer1Timer() {
  RoiWindow& roiWindow = app_.roiWindow;
  if (!timer1Running() || !app_.series.imageLoaded || !roiWindow.ROIchanged) return false;
  roiWindow.UpdateROItable(0);
  roiWindow.ROIchanged = false;
  return true;
}

bool MainWindowModel::openSingleFrame(const std::string& filename) {
  Series& series = app_.series;
  series.filelist1 = {filename};
  series.filelistSorted = true;
  series.invalidateCurve();
  series.BVRImode = false;
  series.FramesLoaded = 1;
  series.controls.BlinkBoxEnabled = true;
  series.controls.BlinkScrollBarMax = 1;
  series.imagepath = justpathname(filename);
  app_.imageWindow.Vx = 0.0;  // a new image window
  app_.imageWindow.Vy = 0.0;
  series.ShiftListX.assign(1, 0.0);
  series.ShiftlistY.assign(1, 0.0);
  series.Activeframe() = 1;
  series.controls.BlinkScrollBarPosition = 1;
  series.ProjectFilename.clear();
  if (!series.Display(filename)) return false;
  series.imageLoaded = true;
  return series.Display(filename);
}

bool MainWindowModel::commandLineStart(const std::string& argument) {
  const std::string ext = lowerExtension(argument);
  if (ext == ".fit" || ext == ".fits") return openSingleFrame(argument);
  if (ext == ".vgp") return app_.openProject(argument) == ProjectLoadResult::Loaded;
  return false;
}

bool MainWindowModel::FormCloseQuery(std::int32_t width, std::int32_t height) {
  if (app_.busy()) {
    if (!app_.ui().askYesNo("Eine Messung läuft noch. Trotzdem beenden?")) return false;
    closeRequested = true;
  }
  if (app_.live.on()) app_.live.stop();
  app_.settings.WindowWidth = width;
  app_.settings.WindowHeight = height;
  if (!app_.writeConfiguration()) {
    app_.ui().showMessage("Die Einstellungen konnten nicht gespeichert werden: " +
                          app_.config.lastError());
  }
  return true;
}

std::vector<FileFilter> MainWindowModel::seriesDialogFilters() const {
  std::vector<FileFilter> filters{{"Fits files", {"*.fit", "*.fits", "*.fts"}}};
  if (!findRawConverter(currentRawConverterSources()).empty()) {
    filters.push_back({"CANON Raw", {"*.CR2"}});
  }
  filters.push_back({"Vargaze project files", {"*.vgp"}});
  filters.push_back({"Alle Dateien (*.*)", {"*"}});
  return filters;
}

}  // namespace vargaze
