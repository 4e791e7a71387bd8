// What a running Vargaze holds, in one place: the settings and their
// configuration file, the ROI window, the series, the star information
// dialog, the export window, live mode and the master flat; and the effects
// that pass between them (opening a series resets the export table, clearing
// the ROIs forgets the track star, ...). The command line and the desktop
// program both work through this object, so a command behaves the same from
// a menu and from a shell.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/UiPort.h"
#include "config/ConfigOptions.h"
#include "config/Settings.h"
#include "app/ImageView.h"
#include "export/AavsoExport.h"
#include "photometry/RoiWindow.h"
#include "photometry/StarInfo.h"
#include "processing/FlatCommand.h"
#include "series/LiveMode.h"
#include "series/ProjectFile.h"
#include "series/Series.h"

namespace vargaze {

struct ApplicationOptions {
  // The configuration file; the program's own ("vargaze1.ini" in its
  // folder) when empty.
  std::string iniPath;
  // The desktop program keeps the configuration up to date (series opened,
  // closing); the command line reads it and never changes it.
  bool writesConfiguration = true;
  // The desktop program draws every frame it shows; the command line only
  // needs the window's title.
  bool displaysFrames = true;
  // Live mode's clock; the steady clock when empty (tests pass their own).
  LiveMode::Clock clock;
};

class Application {
 public:
  Application(UiPort& ui, ApplicationOptions options = {});
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  Settings settings;
  TConfigOptions config;
  MainWindowFlags flags;
  ImageWindowState imageWindow;
  RoiWindow roiWindow;
  Series series;
  StarInfoDialog starInfo;
  LiveMode live;
  FlatCommand flat;
  ImageView imageView;

  UiPort& ui() { return ui_; }

  // The export window, created on first use (it reads its header template
  // from the program folder then).
  ExportForm2& exportWindow();
  bool exportWindowExists() const { return exportWindow_ != nullptr; }

  // Writes the configuration file when this program keeps it; true when
  // written (or not kept).
  bool writeConfiguration();

  // "Bild oder Bildserie laden" with the files chosen, in the order given: the
  // folder is remembered and the configuration written, the export table
  // reset; a ".vgp" file opens as a project. `chooseColour` asks for the
  // colour plane of colour files (1 R, 2 G, 3 B).
  bool openSeries(const std::vector<std::string>& files,
                  const std::function<std::uint8_t()>& chooseColour = {});
  // "Vargaze Projekt laden": `askForCurve` asks "Lichtkurve darstellen?"
  // and measures on Yes.
  ProjectLoadResult openProject(const std::string& filename, bool askForCurve = true);
  // "ROIs löschen": the ROIs, the track star and the chart identifier go;
  // the photometry type may be chosen again; the export table is reset.
  void clearRois();

  // True while a run or a live cycle owns the frame buffer.
  bool busy() const { return series.runActive; }

 private:
  void resetExportTable();

  UiPort& ui_;
  bool writesConfiguration_;
  std::unique_ptr<ExportForm2> exportWindow_;
};

}  // namespace vargaze
