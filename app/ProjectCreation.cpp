#include "app/ProjectCreation.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include "app/Application.h"
#include "base/Strings.h"
#include "base/TextFile.h"
#include "image/Trackstar.h"
#include "series/RunFile.h"

namespace vargaze {

std::vector<std::string> framesByName(std::vector<std::string> frames) {
  std::vector<std::pair<std::string, std::string>> keyed;
  keyed.reserve(frames.size());
  for (std::string& name : frames) keyed.emplace_back(StLoCase(name), std::move(name));
  std::sort(keyed.begin(), keyed.end());
  frames.clear();
  for (auto& entry : keyed) frames.push_back(std::move(entry.second));
  frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
  return frames;
}

bool writeProjectFile(Series& series, const std::string& filename) {
  std::string error;
  if (!saveTextFile(filename, projectLines(series), error)) {
    series.ui().showMessage("Fehler beim Speichern der Datei " + filename);
    return false;
  }
  series.ProjectFilename = filename;
  return true;
}

bool newProject(Application& app, const std::vector<std::string>& frames,
                const std::string& filename) {
  // Later saves write the ROI and curve files beside the project.
  const std::string roiFile = std::filesystem::path(filename).replace_extension(".roi").string();
  if (roiFile == filename || curveFileName(filename, app.settings) == filename) {
    app.ui().showMessage("Projektdatei " + filename +
                         " würde von der ROI- oder Kurvendatei überschrieben; bitte .vgp verwenden.");
    return false;
  }
  if (!app.openSeries(framesByName(frames))) return false;
  app.series.filelistSorted = true;
  return writeProjectFile(app.series, filename);
}

bool chooseTrackstar(Application& app, std::int32_t x, std::int32_t y) {
  const Timgbuffer* image = app.series.img.get();
  if (image == nullptr) return false;
  std::int32_t xm = 0, ym = 0, vmin = 0, vmax = 0, vmean = 0;
  double xt = 0.0, yt = 0.0;
  if (!GetTrackstarcenter(x, y, app.settings.TrackingRange, *image, xm, ym, vmin, vmax, vmean,
                          xt, yt)) {
    return false;
  }
  app.imageWindow.TrackstarX = xt;
  app.imageWindow.TrackstarY = yt;
  return true;
}

}  // namespace vargaze
