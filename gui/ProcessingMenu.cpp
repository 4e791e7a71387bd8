#include "gui/ProcessingMenu.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>

#include "app/Application.h"
#include "app/MainWindow.h"
#include "app/ProcessingCommands.h"
#include "gui/ColourChoiceDialog.h"
#include "gui/FileChooser.h"
#include "processing/CrossCorrelation.h"
#include "processing/DcfCommand.h"
#include "processing/LineRemoval.h"

namespace vargaze {

namespace {

// The hourglass for as long as it lives.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

// A folder that does not exist leaves the dialog where the platform puts it.
std::string existingFolder(const std::string& folder) {
  std::error_code error;
  return !folder.empty() && std::filesystem::is_directory(folder, error) ? folder : std::string();
}

std::string qtFilter(const std::vector<FileFilter>& filters) {
  std::string text;
  for (const FileFilter& filter : filters) {
    if (!text.empty()) text += ";;";
    text += filter.name + " (";
    for (std::size_t i = 0; i < filter.patterns.size(); ++i) text += (i > 0 ? " " : "") + filter.patterns[i];
    text += ")";
  }
  return text;
}

// The image open dialog's filters with the camera raw entry first, so the
// dialog opens on it.
std::string rawFirstFilter(std::vector<FileFilter> filters) {
  std::stable_partition(filters.begin(), filters.end(), [](const FileFilter& f) {
    return f.patterns == std::vector<std::string>{"*.CR2"};
  });
  return qtFilter(filters);
}

// Asks with `dialog` in the series' folder; a name typed without extension
// gets the dialog's. Empty when cancelled.
std::string askSaveName(Application& app, FileChooser& chooser, const SaveDialogKind& dialog) {
  std::string name = chooser.saveFile(dialog.title, existingFolder(app.series.imagepath), dialog.filter, "");
  if (!name.empty() && *dialog.extension != '\0' && !std::filesystem::path(name).has_extension()) {
    name += dialog.extension;
  }
  return name;
}

std::string askMasterFlat(Application& app, FileChooser& chooser, const MainWindowModel& main) {
  return chooser.openFile(kMasterFlatTitle, existingFolder(app.settings.StartupDir),
                          qtFilter(main.seriesDialogFilters()));
}

}  // namespace

void runBackgroundSubtraction(Application& app, FileChooser& chooser) {
  backgroundSubtraction(app, [&] { return askSaveName(app, chooser, kFitsSaveDialog); });
}

void runEliminateLines(Application& app) { EliminateLinesClick(app.series); }

void runCrossCorrelation(Application& app) { test11Click(app.series); }

void runFlatCorrection(Application& app, FileChooser& chooser, const MainWindowModel& main) {
  const std::string flat = askMasterFlat(app, chooser, main);
  if (!flat.empty()) app.flat.Flatkorrektur1Click(flat);
}

void flatCheckClicked(Application& app, FileChooser& chooser, const MainWindowModel& main,
                      bool checked) {
  app.flat.FlatCheckClick(checked, [&] { return askMasterFlat(app, chooser, main); });
}

void runSaveImage(Application& app, FileChooser& chooser) {
  std::optional<WaitCursor> busy;  // while the file is written
  saveImage(app, [&] {
    const std::string name = askSaveName(app, chooser, kFitsSaveDialog);
    if (!name.empty()) busy.emplace();
    return name;
  });
}

void runRawToFits(QWidget* parent, Application& app, FileChooser& chooser,
                  const MainWindowModel& main, ColourChoice& choice) {
  const std::vector<std::string> chosen =
      chooser.openFiles(kRawFilesTitle, existingFolder(app.settings.StartupDir),
                        rawFirstFilter(main.seriesDialogFilters()));
  std::optional<WaitCursor> busy;  // from the channel choice to the end
  rawToFits(app, chosen, [&] {
    const std::uint8_t channel = askRGBcolorAll(parent, choice);
    busy.emplace();
    return channel;
  });
}

void runJpegExport(Application& app, FileChooser& chooser) {
  jpegExport(app, [&] { return askSaveName(app, chooser, kJpegSaveDialog); });
}

void runSetDcfMarker(Application& app, MainWindowModel& main) { setDcfMarker(app, main); }

void runGetDcfTime(Application& app, FileChooser& chooser) {
  const std::string file = askSaveName(app, chooser, kDcfSaveDialog);
  if (!file.empty()) getDCFtime1Click(app.series, file);
}

}  // namespace vargaze
