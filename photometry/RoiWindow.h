// The ROI window as engine state: the ROI list and its catalogue records, the
// controls (aperture sizes, reference star, filter), the table and the
// calibration fields, with every operation that creates, measures and types
// ROIs. The GUI shows this state and forwards its events here; the exports
// read it exactly as the window shows it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/UiPort.h"
#include "config/Settings.h"
#include "image/Imgbuffer.h"
#include "photometry/Roi.h"
#include "photometry/RoiTable.h"
#include "photometry/SignalNoise.h"
#include "photometry/SpinControl.h"

namespace vargaze {

// Flags of the main window that the ROI window reads and writes.
struct MainWindowFlags {
  std::int32_t Activeframe = 1;  // 1-based frame of the series on display
  bool NewROI = false;           // the next left click places a ROI
  bool EditROI = false;          // left drags move ROIs
  bool Blinkmode = false;        // stepping through the series; messages stop it
  bool DCFROI = false;           // DCF marking mode: the next ROI becomes a fixed marker
  std::int32_t BGROI = -1;       // ROI whose background the next click places; -1 none
};

// State of the image window that counting and centring use.
struct ImageWindowState {
  bool exists = true;
  double Vx = 0.0;  // shift of the field against the ROIs' start positions, pixels
  double Vy = 0.0;
  double TrackstarX = -1.0;  // <= 0: no track star
  double TrackstarY = -1.0;
  std::string title;  // name of the image shown
};

// The number of markers the program is meant for; placing more only warns.
inline constexpr std::int32_t MaxROIs = 1000;

// Filter list of the ROI window, item index = FilterType.
inline constexpr int kFilterCount = 9;
const char* filterItemName(std::int32_t filterType);  // "CV", "CR", "B", ... ; "" outside
// The catalogue value a comparison or check star takes in a filter.
float catalogueValueForFilter(const BVRIRec& bvri, std::int32_t filterType);

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

class RoiWindow {
 public:
  RoiWindow(Settings& settings, UiPort& ui, MainWindowFlags& main, ImageWindowState& imgwin);

  // The frame the ROIs are measured on (nullptr: none loaded).
  void setImage(const Timgbuffer* image) { img_ = image; }
  const Timgbuffer* image() const { return img_; }
  // Exposure of the frame in seconds; 1.0 when unknown or not positive.
  double exposure() const;

  // ---- the ROI list ----
  std::vector<TRoi1> ROIlist;
  std::vector<BVRIRec> BVRIlist;  // parallel to ROIlist
  std::int32_t ROIindex = 0;      // number of the newest ROI == ROI count

  std::int32_t count() const { return static_cast<std::int32_t>(ROIlist.size()); }
  // ROI and record by 1-based number; RangeError outside 1..count.
  TRoi1& roi(std::int32_t number);
  const TRoi1& roi(std::int32_t number) const;
  BVRIRec& bvri(std::int32_t number);
  const BVRIRec& bvri(std::int32_t number) const;

  // Points are 0-based image-window positions.
  std::int32_t Newroi(std::int32_t x, std::int32_t y);
  void BGROI1(std::int32_t index, std::int32_t x, std::int32_t y);
  bool DeleteROI(std::int32_t index);
  void ClearROIs();
  void SetROIposition();
  void ResetROIposition();
  void MoveROI(Point startpos, Point movevector, bool all);
  std::int32_t ROIfound(std::int32_t x, std::int32_t y, std::int32_t maxnum) const;
  std::int32_t GetCompstar(std::int32_t& icomp) const;
  bool GetVarCheck(std::int32_t& ivar, std::int32_t& icheck) const;

  // ---- measuring ----
  // Ring sizes to count with (from the controls); also stores d2, d3.
  std::int32_t getBackgroundsize(TRoi1& roi, std::int32_t& dIn, std::int32_t& dOut) const;
  void GetROICounts(TRoi1& roi);
  void centerROI(TRoi1& roi) const;
  // Zero point from all comparison stars and the magnitude of `roi`.
  float getmag(TRoi1& roi, std::int32_t& refstarerror);
  // Measures the ROIs (0: all, else only that one) and rewrites the table.
  void UpdateROItable(std::int32_t roinum);
  // Set when the ROIs or their controls change; the main window's refresh
  // timer measures the table again and clears it.
  bool ROIchanged = false;
  // Called when ROIs are deleted or cleared: a curve measured with them is void.
  std::function<void()> roisRemoved;

  // A new command starts: messages shown once per command may show again.
  void startCommand() { ringErrorShown_ = false; }

  // ---- controls ----
  SpinControl ROIsizeEdit{5, 5, 99};
  SpinControl BGinnerEdit{5, 5, 150};
  SpinControl BGsizeEdit{7, 7, 150};
  bool AutocenterCheckBox = true;
  std::int32_t RefstarEdit = 0;
  std::string MagEdit;
  std::string NameEdit;
  std::int32_t StartypeIndex = -1;  // selected item of the type list, -1 none
  std::int32_t FilterType = 0;      // selected item of the filter list
  std::string MagCalEdit;
  std::string SkymagEdit;
  std::string ExposureEdit;
  std::string ElcountEdit;
  std::string PixelsizeEdit;
  std::string AirmassEdit;
  std::string AAVSOchartEdit;
  std::string FilePanel;
  std::string JDPanel = "JD=";
  RoiTable table1;

  float Magcal = 0.0f;
  bool Diffmag = false;
  bool InstrMag = false;
  SnrModel snr;

  // ---- window handlers ----
  // First showing: detector fields and the configured aperture sizes.
  void FormShow();
  // One of the three size controls changed: the size rule applies the sizes
  // to every ROI and counts them again.
  void setStarSize(std::int32_t value);
  void setInnerSize(std::int32_t value);
  void setOuterSize(std::int32_t value);
  // Applies a star type to the ROI selected in RefstarEdit; false when the
  // number, the magnitude or the star's signal was refused (the ROI keeps its
  // previous type then).
  bool SetStarType(std::int32_t startype);
  void refstareditChange();
  void FilterComboboxChange(std::int32_t index);
  void NameEditChange(const std::string& text);
  void AutocenterCheckBoxClick(bool checked);

  Settings& settings() { return settings_; }
  const Settings& settings() const { return settings_; }
  UiPort& ui() { return ui_; }
  MainWindowFlags& mainFlags() { return main_; }
  ImageWindowState& imageWindow() { return imgwin_; }

 private:
  void applySizeRule();
  void writeRoiRow(std::int32_t i, float& compErrorSum, std::int32_t& compCount,
                   std::int64_t& backgroundSum);
  void writeErrorTexts(float compErrorSum, std::int32_t compCount);
  void writeSkyBrightness(std::int64_t backgroundSum);
  void measurePasses(std::int32_t roinum);

  Settings& settings_;
  UiPort& ui_;
  MainWindowFlags& main_;
  ImageWindowState& imgwin_;
  const Timgbuffer* img_ = nullptr;
  bool shown_ = false;
  bool ringErrorShown_ = false;
};

}  // namespace vargaze
