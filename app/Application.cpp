#include "app/Application.h"

#include "base/Strings.h"
#include "config/ProgramFolder.h"
#include "config/SettingLimits.h"

namespace vargaze {

namespace {

std::string configurationPath(const std::string& iniPath) {
  return iniPath.empty() ? iniFilePath(findProgdir()) : iniPath;
}

}  // namespace

Application::Application(UiPort& ui, ApplicationOptions options)
    : config(settings, configurationPath(options.iniPath)),
      roiWindow(settings, ui, flags, imageWindow),
      series(settings, ui, roiWindow),
      starInfo(ui),
      live(series, std::move(options.clock)),
      flat(series),
      imageView(*this),
      ui_(ui),
      writesConfiguration_(options.writesConfiguration) {
  config.ReadOptions();
  series.displaysFrames = options.displaysFrames;
  series.controls.ZoomIndex = zoomEntryIndex(settings.ZoomFactor);
  series.ShowImage = [this] { imageView.ShowImage(); };
  series.openProject = [this](const std::string& filename) {
    return openProject(filename) == ProjectLoadResult::Loaded;
  };
}

ExportForm2& Application::exportWindow() {
  if (!exportWindow_) exportWindow_ = std::make_unique<ExportForm2>(series);
  return *exportWindow_;
}

void Application::resetExportTable() {
  if (exportWindow_) exportWindow_->TableReset();
}

bool Application::writeConfiguration() {
  return !writesConfiguration_ || config.WriteOptions();
}

bool Application::openSeries(const std::vector<std::string>& files,
                             const std::function<std::uint8_t()>& chooseColour) {
  if (files.empty() || busy()) return false;
  settings.StartupDir = justpathname(files.front());
  writeConfiguration();
  resetExportTable();
  return series.openSeries(files, chooseColour);
}

ProjectLoadResult Application::openProject(const std::string& filename, bool askForCurve) {
  ProjectLoadOptions options;
  options.askForCurve = askForCurve;
  options.compType = &starInfo.CompTypeGroup;
  const ProjectLoadResult result = LoadProjectfile(series, filename, options);
  if (result == ProjectLoadResult::Loaded || result == ProjectLoadResult::DisplayFailed) {
    // The project's ROIs replaced the old ones.
    starInfo.CompTypeGroup.Enabled = true;
    resetExportTable();
  }
  return result;
}

void Application::clearRois() {
  roiWindow.ClearROIs();
  imageWindow.TrackstarX = -1.0;
  imageWindow.TrackstarY = -1.0;
  roiWindow.AAVSOchartEdit.clear();
  starInfo.CompTypeGroup.Enabled = true;
  resetExportTable();
}

}  // namespace vargaze
