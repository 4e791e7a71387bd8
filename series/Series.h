// The series of the main window as engine state: the frame list, the frame on
// display with its display levels and toggles, the per-frame tracking shifts,
// the project name and the light curve; with loading and displaying frames.
// The GUI shows this state and forwards its events here.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/UiPort.h"
#include "config/Settings.h"
#include "image/Imgbuffer.h"
#include "photometry/RoiWindow.h"
#include "series/CurveArrays.h"

namespace vargaze {

// Controls of the main window's top panel.
struct DisplayControls {
  std::int32_t Upperscrollbar = 1000;  // 0..1000, square law to the level
  std::int32_t LowerScrollBar = 0;
  std::string LblUpper = "100";
  std::string LblLower = "0";
  bool AutocontrastCheck = true;
  bool PlanetCheckBox = false;
  bool PlanetCheckBoxEnabled = true;
  bool InvertCheckBox = false;
  bool Flipcheck = false;
  bool Rot180Check = false;
  bool FlatCheck = false;
  std::int32_t GammaIndex = 0;  // items "1.0" .. "4.0" in steps of 0.5
  std::int32_t ZoomIndex = 1;   // items "150%", "100%", "70%", "50%", "35%", "25%"
  bool BlinkBox = false;
  bool BlinkBoxEnabled = false;
  std::int32_t BlinkScrollBarPosition = 1;
  std::int32_t BlinkScrollBarMax = 10;
};

// What the ROI window shows about the frame on display.
double frameJulianDate(const Timgbuffer& img, const Settings& settings);  // start or middle
std::string jdPanelText(const Timgbuffer& img, const Settings& settings);  // "JD(begin)=..."

class Series {
 public:
  Series(Settings& settings, UiPort& ui, RoiWindow& roiWindow);

  // ---- state ----
  std::vector<std::string> filelist1;  // full paths, index 0 = frame 1
  bool filelistSorted = true;          // a project's list is kept sorted by name
  std::int32_t FramesLoaded = 0;
  std::string imagepath;               // folder of the series, with a trailing "/"
  std::vector<double> ShiftListX;      // tracking shift per frame
  std::vector<double> ShiftlistY;
  std::unique_ptr<Timgbuffer> img;     // the frame on display
  std::unique_ptr<Timgbuffer> flatimg; // master flat (a flat matrix) or null
  double lowerlevel = 0.0;             // display levels as fractions of bufferMax
  double upperlevel = 1.0;
  std::int32_t displayLower = 0;       // levels in counts of the last display
  std::int32_t displayUpper = 0;
  std::uint8_t RGBcolornumber = 2;     // colour plane of colour files: 1 R, 2 G, 3 B
  bool imageLoaded = false;
  bool DisplayActive = false;
  bool BVRImode = false;
  bool Timer1Enabled = false;          // the ROI table refresh timer
  bool runActive = false;              // a run or live cycle owns the frame buffer
  bool autoLightcurveOn = false;       // automatic light-curve mode is on
  // False where no window draws the frames (the command line): a run then
  // skips the display levels of every frame it measures.
  bool displaysFrames = true;
  std::string ProjectFilename;
  std::string CurveTitle;
  DisplayControls controls;
  CurveArrays curve;

  Settings& settings() { return settings_; }
  UiPort& ui() { return ui_; }
  RoiWindow& roiWindow() { return roiWindow_; }
  MainWindowFlags& flags() { return roiWindow_.mainFlags(); }
  ImageWindowState& imageWindow() { return roiWindow_.imageWindow(); }
  std::int32_t& Activeframe() { return roiWindow_.mainFlags().Activeframe; }

  // ---- frames ----
  // Loads one frame into a fresh buffer: format by extension, then binning,
  // flip, half turn and flat correction. False when the file cannot be read.
  // A FITS frame may take its pixel memory from `reuse` (Timgbuffer::init).
  bool LoadImage(std::unique_ptr<Timgbuffer>& target, const std::string& filename,
                 Timgbuffer::PixelStore* reuse = nullptr);
  // Why the last LoadImage failed (the reader's reason); empty after success.
  std::string loadError;
  // Loads (when needed) and shows a frame: levels, track-star shift, filter,
  // ROI table, JD panel. "Fehler beim Laden der Datei ..." on failure.
  bool Display(const std::string& filename);
  // Levels from the scroll bars (square law) and back.
  void Getlevels(std::int32_t& lower, std::int32_t& upper);
  void Setlevels(std::int32_t lower, std::int32_t upper);

  // ---- commands ----
  // Opens a series of image files in the given order (a ".vgp" file opens
  // as a project through `openProject`). `chooseColour` asks for the colour
  // plane (1..3) when the selection holds colour files.
  bool openSeries(const std::vector<std::string>& files,
                  const std::function<std::uint8_t()>& chooseColour = {});
  // Replaces the file list by the non-empty lines given; refused when empty.
  bool editFileList(const std::vector<std::string>& lines);
  // Frame slider moved: shows frame `position`.
  bool BlinkScrollBarChange(std::int32_t position);
  // One blink step: next frame, wrapping to frame 1.
  void BlinkTimerTimer();
  void FlipcheckClick(bool checked);
  void Rot180CheckClick(bool checked);
  void AutocontrastCheckClick(bool checked);
  void PlanetCheckBoxClick(bool checked);
  void InvertCheckBoxClick(bool checked);
  void GammaComboBoxChange(std::int32_t index);
  void ZoomfactorComboboxChange(std::int32_t index);
  void LowerScrollBarChange(std::int32_t position);
  // Moving the upper bar takes the levels into the user's hands: Auto goes off.
  void UpperscrollbarChange(std::int32_t position);
  void BlinkBoxClick(bool checked);
  // "Bild laden": one image shown without touching the series list.
  // "Datei kann nicht geladen werden" when it cannot be read.
  bool Load1Click(const std::string& filename);

  // Gamma of the gamma box: 1.0 .. 4.0 in steps of 0.5.
  double gamma() const { return 1.0 + 0.5 * controls.GammaIndex; }
  // Draws the frame on display anew (the image window's ShowImage); set by
  // the application, empty without a window.
  std::function<void()> ShowImage;
  bool BlinkTimerEnabled = false;  // the 500 ms blink step

  // Called by a project loader: how ".vgp" files given to openSeries open.
  std::function<bool(const std::string&)> openProject;

  // The curve is gone once the frames or the ROIs it was measured on change.
  void invalidateCurve() { curve.NumCurvePoints = 0; }

 private:
  bool readFrame(Timgbuffer& target, const std::string& filename,
                 Timgbuffer::PixelStore* reuse);
  bool readRawFrame(Timgbuffer& target, const std::string& filename);
  void applyPreprocessing(Timgbuffer& frame);
  void showFrameInfo(const std::string& filename);
  void showImage() {
    if (ShowImage) ShowImage();
  }

  Settings& settings_;
  UiPort& ui_;
  RoiWindow& roiWindow_;
};

}  // namespace vargaze
