#include "app/SetupDialog.h"

#include <algorithm>
#include <cmath>

#include "base/Numbers.h"
#include "base/Strings.h"
#include "config/SettingLimits.h"
#include "config/Settings.h"
#include "photometry/RoiWindow.h"

namespace vargaze {

namespace {

constexpr double kNotSet = 99.0;  // a transformation coefficient without a value

std::string twoDecimals(double value) { return formatFixed(value, 2, 5); }

std::string coefficientText(double value) { return value == kNotSet ? "" : formatGeneral(value); }

template <class Items>
std::int32_t indexOf(const Items& items, const std::string& text) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (text == items[i]) return static_cast<std::int32_t>(i);
  }
  return -1;
}

bool validIndex(std::int32_t index, std::size_t count) {
  return index >= 0 && static_cast<std::size_t>(index) < count;
}

}  // namespace

SetupForm::SetupForm(RoiWindow& roiWindow)
    : roiWindow_(roiWindow), settings_(roiWindow.settings()) {}

void SetupForm::FormShow() {
  const Settings& s = settings_;
  ElectronsEdit = twoDecimals(s.ElectronsPerCount);
  ReadNoiseEdit = twoDecimals(s.ReadnoiseElectrons);
  DarkcurrentEdit = twoDecimals(s.DarkElectronsPerSec);
  BinningEdit.set(s.imgBinning);
  // The stored scale is the binned image's; the dialog speaks of the camera's.
  pixelsizeEdit = twoDecimals(s.ArcsecPerPixel / std::max<int>(s.imgBinning, 1));
  ZoomfactorCombobox = zoomEntryIndex(s.DefaultZoomfactor);
  FilterItems.clear();
  for (std::int32_t i = 0; i < kFilterCount; ++i) FilterItems.emplace_back(filterItemName(i));
  FilterCombobox = validIndex(s.StandardFilter, FilterItems.size()) ? s.StandardFilter : -1;
  AutoFilterSelect = s.AutoReadFilter;
  UToffsetSpinEdit.set(s.UToffset);
  OBSTYPEselect = indexOf(kObstypeItems, s.OBSTYPE);

  AutocurveSecEdit.set(s.AutocurveRefreshSec);
  JDCurveoffsetEdit = formatGeneral(s.JDCurveoffset);
  CurveExtensionComboBox = s.CurveFileExt;
  TimeGroup = s.MiddletimeCorrection ? 1 : 0;
  JDprecisionSpinEdit.set(s.JDprecision);
  ROIsizeSpinEditChange(s.DefaultROIsize);
  BGinnerEditChange(s.DefaultBGinnerSize);
  BGouterEditChange(s.DefaultBGoutersize);
  CentermethodGroup = s.ROIcenterMode == settingLimits::CentroidMode ? 1 : 0;
  InstmagcorrCheck = s.InstmagCorr;
  TrackingRangeEdit.set(s.TrackingRange);
  TrackstarShowCheck = s.ShowTrackstar;
  TrackingCheckbox = s.TrackingEnabled;

  BAVObsEdit = s.BAVOBS;
  AAVSOObsEdit = s.OBSCODE;
  // Another character leaves the previous choice.
  const auto delimiter = settingLimits::ExportDelimiters.find(s.ExportDelimiter);
  if (s.ExportDelimiter != '\0' && delimiter != std::string_view::npos) {
    DelimiterGroup = static_cast<std::int32_t>(delimiter);
  }

  TBedit = coefficientText(s.TF_Tb);
  TBVedit = coefficientText(s.TF_Tbv);
  TVedit = coefficientText(s.TF_Tv);
  TV2Edit = coefficientText(s.TF_Tv2);
  TvrEdit = coefficientText(s.TF_Tvr);
  TREdit = coefficientText(s.TF_Tr);

  DTelEdit = std::to_string(s.Dscope_cm);
  HlocationEdit = std::to_string(s.DefaultLocationHeight);
  cfgfileEdit = s.cfgfilename;
}

bool SetupForm::OKButtonClick() {
  return storeNumbers() && storeCoefficients() && storeSite();
}

// Camera, curve, aperture and tracking values; false at the first field that
// is not a number.
bool SetupForm::storeNumbers() {
  Settings& s = settings_;
  UiPort& ui = roiWindow_.ui();
  double value = 0.0;
  auto number = [&](const std::string& text, const char* message) {
    if (tryParseDouble(Trim(text), value)) return true;
    ui.showMessage(message);
    return false;
  };

  if (!number(ElectronsEdit, "Electrons/ Unit incorrect")) return false;
  s.ElectronsPerCount = value;
  roiWindow_.ElcountEdit = twoDecimals(value);
  if (!number(ReadNoiseEdit, "Read noise Electrons incorrect")) return false;
  s.ReadnoiseElectrons = value;
  if (!number(DarkcurrentEdit, "Dark current incorrect")) return false;
  s.DarkElectronsPerSec = value;
  s.imgBinning = static_cast<std::uint8_t>(BinningEdit.value);
  if (!number(pixelsizeEdit, "Arcseconds/pixel incorrect")) return false;
  s.ArcsecPerPixel = value * BinningEdit.value;
  roiWindow_.PixelsizeEdit = twoDecimals(s.ArcsecPerPixel);

  s.AutocurveRefreshSec = AutocurveSecEdit.value;
  s.BAVOBS = BAVObsEdit;
  s.OBSCODE = AAVSOObsEdit;
  if (validIndex(DelimiterGroup, settingLimits::ExportDelimiters.size())) {
    s.ExportDelimiter = settingLimits::ExportDelimiters[static_cast<std::size_t>(DelimiterGroup)];
  }
  s.UToffset = UToffsetSpinEdit.value;
  s.MiddletimeCorrection = TimeGroup == 1;
  if (!number(JDCurveoffsetEdit, "JD offset for curves incorrect")) return false;
  s.JDCurveoffset = value;

  s.JDprecision = JDprecisionSpinEdit.value;
  s.CurveFileExt = CurveExtensionComboBox;
  if (FilterCombobox >= 0) s.StandardFilter = FilterCombobox;
  s.DefaultROIsize = static_cast<std::uint8_t>(ROIsizeSpinEdit.value);
  s.DefaultBGinnerSize = BGinnerEdit.value;
  s.DefaultBGoutersize = BGouterEdit.value;
  // The new camera values change every magnitude error in the table.
  if (roiWindow_.count() > 0) roiWindow_.UpdateROItable(0);
  // Only the stored zoom: the main window sets the zoom on display.
  if (validIndex(ZoomfactorCombobox, settingLimits::ZoomFactors.size())) {
    s.DefaultZoomfactor = settingLimits::ZoomFactors[static_cast<std::size_t>(ZoomfactorCombobox)];
  }
  s.ROIcenterMode = static_cast<std::uint8_t>(CentermethodGroup == 1 ? settingLimits::CentroidMode : 0);
  s.TrackingRange = TrackingRangeEdit.value;
  s.ShowTrackstar = TrackstarShowCheck;
  s.TrackingEnabled = TrackingCheckbox;
  s.InstmagCorr = InstmagcorrCheck;
  return true;
}

bool SetupForm::storeCoefficients() {
  const struct {
    const std::string& text;
    double& coefficient;
    const char* message;
  } fields[] = {
      {TBedit, settings_.TF_Tb, "Tb factor incorrect"},
      {TBVedit, settings_.TF_Tbv, "Tbv factor incorrect"},
      {TVedit, settings_.TF_Tv, "Tv (BV) factor incorrect"},
      {TV2Edit, settings_.TF_Tv2, "Tv (VR) factor incorrect"},
      {TvrEdit, settings_.TF_Tvr, "Tvr factor incorrect"},
      {TREdit, settings_.TF_Tr, "Tr factor incorrect"},
  };
  for (const auto& field : fields) {
    const std::string text = Trim(field.text);
    if (text.empty()) {
      field.coefficient = kNotSet;
    } else if (!tryParseDouble(text, field.coefficient)) {
      roiWindow_.ui().showMessage(field.message);
      return false;
    }
  }
  return true;
}

// The two site fields take whole numbers only; empty means 0.
bool SetupForm::storeSite() {
  const struct {
    const std::string& text;
    std::int32_t& target;
    const char* message;
  } fields[] = {
      {DTelEdit, settings_.Dscope_cm, "Teleskop-Öffnung nicht korrekt"},
      {HlocationEdit, settings_.DefaultLocationHeight, "Höhe des Beobachtungsorts nicht korrekt"},
  };
  for (const auto& field : fields) {
    const std::string text = Trim(field.text);
    if (text.empty()) {
      field.target = 0;
    } else if (!tryParseInt32(text, field.target)) {
      roiWindow_.ui().showMessage(field.message);
      return false;
    }
  }
  return true;
}

void SetupForm::AutoFilterSelectClick(bool checked) {
  AutoFilterSelect = checked;
  settings_.AutoReadFilter = checked;
}

void SetupForm::OBSTYPEselectChange(std::int32_t index) {
  if (!validIndex(index, kObstypeItems.size())) return;
  OBSTYPEselect = index;
  settings_.OBSTYPE = kObstypeItems[static_cast<std::size_t>(index)];
}

void SetupForm::ROIsizeSpinEditChange(std::int32_t value) {
  ROIsizeSpinEdit.set(value);
  BGinnerEdit.setMinimum(ROIsizeSpinEdit.value + 2);
  ringsChanged();
}

void SetupForm::BGinnerEditChange(std::int32_t value) {
  BGinnerEdit.set(value);
  ringsChanged();
}

void SetupForm::BGouterEditChange(std::int32_t value) {
  BGouterEdit.set(value);
  ringsChanged();
}

// The outer ring stays outside the inner one and clears the star box's
// corners, half a diagonal out; whichever is further bounds it.
void SetupForm::ringsChanged() {
  if (BGouterEdit.value <= BGinnerEdit.value) BGouterEdit.set(BGinnerEdit.value + 2);
  const std::int32_t corners = 2 * roundToInt32(ROIsizeSpinEdit.value / std::sqrt(2.0)) + 1;
  BGouterEdit.setMinimum(std::max(corners, BGinnerEdit.value + 2));
}

}  // namespace vargaze
