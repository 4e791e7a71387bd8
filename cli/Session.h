// The application a command works on: the configuration read (never
// written), engine messages on stderr, a project or one image opened.
#pragma once

#include <string>

#include "app/Application.h"
#include "cli/CliSupport.h"

namespace vargaze::cli {

class Session {
 public:
  // Reads the configuration (`iniPath`, or the program's own when empty).
  explicit Session(const std::string& iniPath, UiPort* ui = nullptr);

  // Opens the project without asking for a light curve; false with the
  // reason reported on stderr. `colour` (1..3) replaces the colour plane the
  // project keeps for colour-camera frames; 0 keeps it.
  bool openProject(const std::string& projectFile, std::uint8_t colour = 0);
  // Loads one image as the desktop's "Bild laden" does, colour-camera files
  // as plane `colour` (1 red, 2 green, 3 blue), and shows the ROI window with
  // the configured aperture sizes; false with the reason reported on stderr.
  bool openImage(const std::string& imagePath, std::uint8_t colour = 2);
  Timgbuffer& image() { return *series.img; }

  // One line per ROI: number, name, type, points, mean magnitude, standard
  // deviation, over the frames of the curve that have a magnitude.
  void printSummary() const;

  StderrUi defaultUi;
  Application app;
  UiPort& ui;
  Settings& settings;
  RoiWindow& window;
  Series& series;
};

}  // namespace vargaze::cli
