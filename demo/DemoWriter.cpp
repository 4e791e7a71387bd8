#include "demo/DemoWriter.h"

#include <filesystem>
#include <stdexcept>

#include "demo/DemoRoi.h"
#include "demo/DemoSky.h"
#include "demo/DemoTruth.h"
#include "demo/SilentUi.h"
#include "photometry/RoiFile.h"
#include "photometry/RoiWindow.h"

namespace vargaze::demo {

namespace {

void writeRoiFile(const DemoDesign& design, const Timgbuffer& firstFrame,
                  const std::string& path) {
  Settings settings;  // the program's defaults, not the user's: the same set everywhere
  SilentUi ui;
  MainWindowFlags flags;
  ImageWindowState imgwin;
  imgwin.title = path;
  RoiWindow win(settings, ui, flags, imgwin);
  win.setImage(&firstFrame);
  try {
    placeDemoRois(win, design);
  } catch (const std::runtime_error& e) {
    throw std::runtime_error(std::string(e.what()) + ": " + ui.joined());
  }
  if (!SaveROI(win, path)) throw std::runtime_error(path + ": " + ui.joined());
}

}  // namespace

std::vector<std::string> writeDemoSeries(const DemoOptions& options, const std::string& dir) {
  const DemoDesign design = makeDemoDesign(options);
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) throw std::runtime_error(dir + ": cannot create the folder: " + ec.message());
  const std::filesystem::path folder(dir);
  std::vector<std::string> written;
  Timgbuffer firstFrame;
  for (int i = 0; i < design.frames; ++i) {
    Timgbuffer frame = renderFrame(design, i);
    const std::string path = (folder / frameTruth(design, i).fileName).string();
    std::string error;
    if (!frame.Writefitsfile(path, error)) throw std::runtime_error(path + ": " + error);
    written.push_back(path);
    if (i == 0) firstFrame = std::move(frame);
  }
  const std::string truthPath = (folder / kTruthFileName).string();
  std::string error;
  if (!writeTruthFile(design, truthPath, error)) throw std::runtime_error(error);
  written.push_back(truthPath);
  const std::string roiPath = (folder / kRoiFileName).string();
  writeRoiFile(design, firstFrame, roiPath);
  written.push_back(roiPath);
  return written;
}

}  // namespace vargaze::demo
