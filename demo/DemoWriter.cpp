#include "demo/DemoWriter.h"

#include <filesystem>
#include <stdexcept>

#include "demo/DemoRoi.h"
#include "demo/DemoSky.h"
#include "demo/DemoTruth.h"
#include "demo/SilentUi.h"
#include "photometry/RoiFile.h"
#include "photometry/RoiWindow.h"
#include "series/ProjectFile.h"
#include "series/Series.h"

namespace vargaze::demo {

namespace {

// As a user would: open the frames as a series, mark and type the stars on
// frame 1, save the ROI set, then the project (which writes its ROI file,
// the same demo.roi, once more beside it).
void writeRoisAndProject(const DemoDesign& design, const std::vector<std::string>& frames,
                         const std::string& roiPath, const std::string& projectPath) {
  Settings settings;  // the program's defaults, not the user's: the same set everywhere
  SilentUi ui;
  MainWindowFlags flags;
  ImageWindowState imgwin;
  RoiWindow win(settings, ui, flags, imgwin);
  Series series(settings, ui, win);
  if (!series.openSeries(frames)) throw std::runtime_error(frames.front() + ": " + ui.joined());
  try {
    placeDemoRois(win, design);
  } catch (const std::runtime_error& e) {
    throw std::runtime_error(std::string(e.what()) + ": " + ui.joined());
  }
  if (!SaveROI(win, roiPath)) throw std::runtime_error(roiPath + ": " + ui.joined());
  if (!SaveProject(series, projectPath)) {
    throw std::runtime_error(projectPath + ": " + ui.joined());
  }
}

}  // namespace

std::vector<std::string> writeDemoSeries(const DemoOptions& options, const std::string& dir) {
  const DemoDesign design = makeDemoDesign(options);
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) throw std::runtime_error(dir + ": cannot create the folder: " + ec.message());
  // The project lists its frames by full path.
  const std::filesystem::path folder = std::filesystem::absolute(dir).lexically_normal();
  const auto pathOf = [&](const std::string& name) { return (folder / name).string(); };

  std::vector<std::string> frames;
  for (int i = 0; i < design.frames; ++i) {
    const std::string path = pathOf(frameTruth(design, i).fileName);
    std::string error;
    if (!renderFrame(design, i).Writefitsfile(path, error)) {
      throw std::runtime_error(path + ": " + error);
    }
    frames.push_back(path);
  }
  std::vector<std::string> written = frames;
  const std::string truthPath = pathOf(kTruthFileName);
  std::string error;
  if (!writeTruthFile(design, truthPath, error)) throw std::runtime_error(error);
  written.push_back(truthPath);
  const std::string roiPath = pathOf(kRoiFileName);
  const std::string projectPath = pathOf(kProjectFileName);
  writeRoisAndProject(design, frames, roiPath, projectPath);
  written.push_back(roiPath);
  written.push_back(projectPath);
  return written;
}

}  // namespace vargaze::demo
