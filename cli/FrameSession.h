// One frame opened for a command, with a ROI window to measure it.
#pragma once

#include <memory>
#include <string>

#include "cli/CliSupport.h"
#include "photometry/RoiWindow.h"

namespace vargaze::cli {

class FrameSession {
 public:
  // Reads the configuration (`iniPath`, or the program's own when empty).
  explicit FrameSession(const std::string& iniPath);

  // Loads the frame and shows the ROI window with the configured aperture
  // sizes; false with the reason reported on stderr.
  bool open(const std::string& imagePath);

  Settings settings;
  StderrUi ui;
  MainWindowFlags flags;
  ImageWindowState imgwin;
  RoiWindow window;
  std::unique_ptr<Timgbuffer> img;
};

}  // namespace vargaze::cli
