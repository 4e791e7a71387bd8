// The project and light-curve commands of the main window: saving and
// opening projects, measuring the light curve or the colour-index table, the
// automatic mode.
#include <filesystem>

#include "app/Application.h"
#include "app/MainWindow.h"
#include "base/Strings.h"
#include "series/ColorIndex.h"

namespace vargaze {

std::string MainWindowModel::proposedProjectName() const {
  const Series& series = app_.series;
  if (!series.ProjectFilename.empty()) return series.ProjectFilename;
  if (series.filelist1.empty()) return {};
  return std::filesystem::path(series.filelist1.front()).replace_extension(".vgp").string();
}

bool MainWindowModel::SaveProject1Click(const ChooseProjectName& chooseName) {
  Series& series = app_.series;
  if (app_.roiWindow.count() == 0 || series.filelist1.empty()) {
    app_.ui().showMessage("Noch keine Projektdaten vorhanden.");
    return false;
  }
  const std::string name = chooseName ? chooseName(proposedProjectName()) : std::string();
  if (name.empty()) return false;
  return SaveProject(series, name);
}

bool MainWindowModel::LoadProject1Click(const std::function<std::string()>& chooseFile) {
  const std::string file = chooseFile ? chooseFile() : std::string();
  return !file.empty() && app_.openProject(file) == ProjectLoadResult::Loaded;
}

RunResult MainWindowModel::Analyse1Click(const ChooseProjectName& chooseName) {
  return vargaze::Analyse1Click(app_.series, [&] { return SaveProject1Click(chooseName); });
}

bool MainWindowModel::BVRIanalyseClick(const ChooseProjectName& chooseName) {
  return vargaze::BVRIanalyseClick(app_.series, [&] { return SaveProject1Click(chooseName); });
}

bool MainWindowModel::Autolightcurve1Click() {
  if (app_.live.on()) {
    app_.live.stop();
    return false;
  }
  return app_.live.start();
}

}  // namespace vargaze
