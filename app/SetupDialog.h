// "Vargaze Setup": the settings dialog as a model. Showing fills every field
// from the settings; OK checks the typed fields in a fixed order and stores
// as it goes, so a field that fails stops there with its message while what
// was stored before it stays stored. The filter-from-header box and the
// camera type store at once, before OK.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "photometry/SpinControl.h"

namespace vargaze {

class RoiWindow;
struct Settings;

class SetupForm {
 public:
  static constexpr const char* kCaption = "Vargaze Setup";
  static constexpr std::array<const char*, 2> kObstypeItems{"CCD", "DSLR"};
  static constexpr std::array<const char*, 3> kDelimiterItems{", (Komma)", "; (Semikolon)",
                                                               "| (Pipe)"};
  static constexpr std::array<const char*, 3> kCurveExtensionItems{".csv", ".prn", ".txt"};
  static constexpr std::array<const char*, 2> kTimeItems{"no correction", "T + 0.5*exptime"};
  static constexpr std::array<const char*, 2> kCenterItems{"Max. Pixel", "Centroid"};

  // Works on the ROI window's settings; OK also updates its electrons and
  // pixel-size fields and measures its table again.
  explicit SetupForm(RoiWindow& roiWindow);

  // ---- "Camera Setup" ----
  std::string ElectronsEdit;
  std::string ReadNoiseEdit;
  std::string DarkcurrentEdit;
  std::string pixelsizeEdit;  // the unbinned scale
  SpinControl BinningEdit{1, 1, 3};
  std::int32_t ZoomfactorCombobox = -1;  // -1: no entry
  std::vector<std::string> FilterItems;
  std::int32_t FilterCombobox = -1;
  bool AutoFilterSelect = true;
  SpinControl UToffsetSpinEdit{0, -12, 12};
  std::int32_t OBSTYPEselect = 0;

  // ---- "Photometry/Light Curve Setup" ----
  SpinControl AutocurveSecEdit{10, 1, 9999};
  std::string JDCurveoffsetEdit = "2450000.0";
  std::string CurveExtensionComboBox;
  std::int32_t TimeGroup = 0;  // 1: frame time at mid-exposure
  SpinControl JDprecisionSpinEdit{5, 4, 8};
  SpinControl ROIsizeSpinEdit{7, 5, 99};
  SpinControl BGinnerEdit{9, 5, 99};
  SpinControl BGouterEdit{11, 7, 150};
  std::int32_t CentermethodGroup = 1;
  bool InstmagcorrCheck = true;
  SpinControl TrackingRangeEdit{50, 10, 999};
  bool TrackstarShowCheck = false;
  bool TrackingCheckbox = false;

  // ---- "Data Export" ----
  std::string BAVObsEdit;
  std::string AAVSOObsEdit;
  std::int32_t DelimiterGroup = 1;

  // ---- "Transformation": empty stands for a coefficient not set ----
  std::string TBedit, TBVedit, TVedit;
  std::string TV2Edit, TvrEdit, TREdit;

  // ---- "Site Info" ----
  std::string DTelEdit = "0";
  std::string HlocationEdit = "0";

  std::string cfgfileEdit;  // read-only

  // ---- handlers ----
  void FormShow();
  // True when every field was valid and the dialog may close.
  bool OKButtonClick();
  void AutoFilterSelectClick(bool checked);
  void OBSTYPEselectChange(std::int32_t index);
  // The star box bounds the sky ring from below; the outer ring always
  // stays outside the inner one.
  void ROIsizeSpinEditChange(std::int32_t value);
  void BGinnerEditChange(std::int32_t value);
  void BGouterEditChange(std::int32_t value);

 private:
  void ringsChanged();
  bool storeNumbers();
  bool storeCoefficients();
  bool storeSite();

  RoiWindow& roiWindow_;
  Settings& settings_;
};

}  // namespace vargaze
