// The main window "VARGAZE" as a model: which menus and commands are shown
// and usable, the ROI-mode buttons with their prompts, the status bar, the
// ROI table refresh, the start with a file named on the command line and the
// close sequence. The Qt main window shows this state and forwards its
// events here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/MenuMap.h"
#include "series/LightCurveRun.h"

namespace vargaze {

class Application;

enum class ImageCursor { Arrow, Cross, Drag };

// One entry of an open dialog's filter list: a name and its patterns.
struct FileFilter {
  std::string name;
  std::vector<std::string> patterns;  // "*.fit", ...
};

class MainWindowModel {
 public:
  explicit MainWindowModel(Application& app);

  // ---- menus ----
  bool menuVisible(std::string_view menu) const;
  bool visible(Command command) const;
  // False while a run or live cycle owns the frame buffer for every command
  // that would replace the series, the project, the ROIs or the frame.
  bool enabled(Command command) const;
  // The frame slider, blink and the toggles that load the frame again.
  bool frameControlsEnabled() const;

  // ---- status bar ----
  std::string statusPanel0;  // configuration name, then the prompts of the ROI modes
  std::string statusPanel1;  // the image window's pixel readout

  // ---- ROI modes ----
  bool ROIbuttonDown = false;
  bool MoveRoiButtonDown = false;
  ImageCursor cursor = ImageCursor::Arrow;
  // Asks the desktop to bring the ROI window up (set by the ROI button).
  bool roiWindowShown = false;
  void ROIbuttonClick(bool down);
  void MoveRoiButtonClick(bool down);
  void MROIneuClick();
  void MROIeditClick();
  void mROIresetClick();
  void ROIPositionenfixieren1Click();
  void ClearROIs1Click();
  // "ROI Datei laden": frame 1 shown, the ROIs of the file chosen (after
  // "Vorhandene ROIs werden gelöscht; sind Sie sicher?" when there are
  // ROIs) replace the old ones, the track star is looked for over the whole
  // frame and the ROIs' positions become their start positions. False when
  // nothing or not all of the file was loaded.
  bool LoadROIs1Click(const std::function<std::string()>& chooseFile);

  // ---- projects and light curves ----
  // Asks for a project name, offered the given one.
  using ChooseProjectName = std::function<std::string(const std::string& proposed)>;
  // "Vargaze Projekt speichern": frame 1, the ROIs' start positions, the
  // track star, then the project with its ROI and curve files. The name
  // offered is the project's, else the first frame's with ".vgp".
  bool SaveProject1Click(const ChooseProjectName& chooseName);
  std::string proposedProjectName() const;
  // "Vargaze Projekt laden", with "Lichtkurve darstellen?" for a time series.
  bool LoadProject1Click(const std::function<std::string()>& chooseFile);
  // "Lichtkurve messen": without a project the project is saved first.
  RunResult Analyse1Click(const ChooseProjectName& chooseName);
  // "Farbindex-Tabelle generieren": as "Lichtkurve messen", for a series of
  // B, V, R and I frames.
  bool BVRIanalyseClick(const ChooseProjectName& chooseName);
  // "Live" / "Stop": the automatic light-curve mode on or off; true when on.
  bool Autolightcurve1Click();

  // ---- timers ----
  // The one-second ROI table refresh: true when the table was measured again
  // (the image window then repaints its overlays).
  bool Timer1Timer();
  bool timer1Running() const;

  // ---- start and end ----
  // The file named on the command line, by its lower-cased extension:
  // ".fit"/".fits" a one-frame series, ".vgp" a project; others nothing.
  // True when something was opened.
  bool commandLineStart(const std::string& argument);
  // The close request with the window's current size: asks first while a
  // run or live cycle is active; stores the size and writes the
  // configuration. False when the user keeps the program open.
  bool FormCloseQuery(std::int32_t width, std::int32_t height);
  // Set when the user chose to close during a run: the run stops at its next
  // cancel poll and the window closes then.
  bool closeRequested = false;

  // The series open dialog's filters: camera raw files only when the raw
  // converter is there.
  std::vector<FileFilter> seriesDialogFilters() const;
  static constexpr std::string_view kSeriesDialogTitle = "Bilddateien auswählen";

 private:
  bool openSingleFrame(const std::string& filename);

  Application& app_;
};

}  // namespace vargaze
