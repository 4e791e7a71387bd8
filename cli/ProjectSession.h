// A project opened for a command: settings, the ROI window, the series.
#pragma once

#include <memory>
#include <string>

#include "cli/CliSupport.h"
#include "photometry/RoiWindow.h"
#include "series/Series.h"

namespace vargaze::cli {

class ProjectSession {
 public:
  // Reads the configuration (`iniPath`, or the program's own when empty).
  explicit ProjectSession(const std::string& iniPath, UiPort* ui = nullptr);

  // Opens the project without asking for a light curve; false with the
  // reason reported on stderr.
  bool open(const std::string& projectFile);

  // One line per ROI: number, name, type, points, mean magnitude, standard
  // deviation, over the frames of the curve that have a magnitude.
  void printSummary() const;

  Settings settings;
  StderrUi defaultUi;
  UiPort& ui;
  MainWindowFlags flags;
  ImageWindowState imgwin;
  RoiWindow window;
  Series series;
};

}  // namespace vargaze::cli
