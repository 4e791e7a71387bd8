// Handlers of the ROI window's controls: aperture sizes, star types,
// reference star selection, filter and name.
#include <algorithm>
#include <cctype>
#include <cmath>

#include "base/Numbers.h"
#include "base/Strings.h"
#include "photometry/StarInfo.h"
#include "photometry/RoiWindow.h"

namespace vargaze {

void RoiWindow::FormShow() {
  ElcountEdit = formatFixed(settings_.ElectronsPerCount, 2, 5);
  PixelsizeEdit = formatFixed(settings_.ArcsecPerPixel, 2, 5);
  // The configured aperture sizes apply at the first showing only, so sizes
  // the user chose since are not reset by showing the window again.
  if (shown_) return;
  shown_ = true;
  setStarSize(settings_.DefaultROIsize);
  setInnerSize(settings_.DefaultBGinnerSize);
  setOuterSize(settings_.DefaultBGoutersize);
}

void RoiWindow::setStarSize(std::int32_t value) {
  if (ROIsizeEdit.set(value)) applySizeRule();
}

void RoiWindow::setInnerSize(std::int32_t value) {
  if (BGinnerEdit.set(value)) applySizeRule();
}

void RoiWindow::setOuterSize(std::int32_t value) {
  if (BGsizeEdit.set(value)) applySizeRule();
}

void RoiWindow::applySizeRule() {
  const std::int32_t s = ROIsizeEdit.value;
  const std::int32_t minOuter =
      std::max(2 * roundToInt32(s / std::sqrt(2.0)) + 1, BGinnerEdit.value + 2);
  BGinnerEdit.minimum = std::min(s + 2, BGinnerEdit.maximum);
  if (minOuter > BGsizeEdit.value) BGsizeEdit.value = std::min(minOuter, BGsizeEdit.maximum);
  BGsizeEdit.setMinimum(minOuter);
  BGinnerEdit.set(BGinnerEdit.value);
  for (TRoi1& r : ROIlist) {
    r.d = s;
    r.d2 = BGinnerEdit.value;
    r.d3 = BGsizeEdit.value;
    GetROICounts(r);
  }
}

namespace {

bool startsWithLetter(const std::string& s, const char* letters) {
  if (s.empty()) return false;
  const char first = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
  return std::string(letters).find(first) != std::string::npos;
}

}  // namespace

bool RoiWindow::SetStarType(std::int32_t startype) {
  if (RefstarEdit <= 0) return false;
  if (RefstarEdit > count()) {
    main_.Blinkmode = false;
    ui_.showMessage("Vergleichsstern-Nummer falsch");
    return false;
  }
  TRoi1& r = roi(RefstarEdit);
  const std::string text = Trim(MagEdit);
  if (startype == kStarVar) {
    MagEdit = "Var";
  } else if (startype == kStarComp && (text.empty() || text == "Var" || text == "Check")) {
    MagEdit = r.rmag != 0.0f ? formatFixed(r.rmag, 2, 5) + "*" : "Comp";
  } else if (startype == kStarCheck && (text.empty() || text == "Var" || text == "Comp")) {
    MagEdit = r.rmag == 0.0f ? "Check" : formatFixed(r.rmag, 2, 5);
  }

  std::string s = MagEdit;
  for (char& c : s) {
    if (c == ',') c = '.';
    if (c == '*') c = ' ';
    if (c == 'r' || c == 'R') c = '0';
  }
  double magnitude = 0.0;
  if (!s.empty() && !startsWithLetter(s, "VRC") && !tryParseDouble(Trim(s), magnitude)) {
    main_.Blinkmode = false;
    ui_.showMessage("Bitte Mag für Vergleichsstern korrekt eintragen");
    return false;
  }
  const bool previousRef = r.ref;
  const float previousRmag = r.rmag;
  r.ref = startype == kStarComp && !s.empty() && !startsWithLetter(s, "V");
  GetROICounts(r);
  // A Var star needs no signal: it may be faint or in eclipse.
  if (startype != kStarVar && r.net() <= 100) {
    main_.Blinkmode = false;
    ui_.showMessage("Stern nicht messbar!");
    r.ref = previousRef;
    r.rmag = previousRmag;
    return false;
  }
  const auto m = static_cast<float>(magnitude);
  if (r.ref) r.mag = m;
  r.rmag = m;
  r.stype = startype == kStarCheck && m != 0.0f ? kStarCheck : 0;
  UpdateROItable(0);
  refstareditChange();
  return true;
}

void RoiWindow::refstareditChange() {
  if (RefstarEdit < 1 || RefstarEdit > count()) {
    MagEdit.clear();
    NameEdit.clear();
    return;
  }
  const TRoi1& r = roi(RefstarEdit);
  StartypeIndex = r.isFixed() ? kStarVar : r.starType();
  switch (StartypeIndex) {
    case kStarComp: MagEdit = r.rmag == 0.0f ? "Comp" : formatFixed(r.rmag, 3, 6); break;
    case kStarCheck: MagEdit = formatFixed(r.rmag, 3, 6); break;
    default: MagEdit = "Var"; break;
  }
  NameEdit = r.Name;
}

void RoiWindow::FilterComboboxChange(std::int32_t index) {
  FilterType = index;
  if (index >= 0 && index < kFilterCount) {
    bool reported = false;
    for (std::int32_t i = 1; i <= count(); ++i) {
      TRoi1& r = roi(i);
      const StarType type = r.starType();
      if (r.isFixed() || type == kStarVar) continue;
      // Comparison and check stars take the catalogue value of the new filter,
      // so a star returns to calibrated when the filter has its value again.
      const float value = catalogueValueForFilter(bvri(i), index);
      if (catalogueValueKnown(value)) {
        r.rmag = value;
        continue;
      }
      r.rmag = 0.0f;
      if (type == kStarCheck) r.stype = kStarCheck;
      if (!reported) {
        reported = true;
        const char* band = index == 2 || index == 6 ? "B"
                           : index == 1 || index == 4 || index == 8 ? "R"
                           : index == 5 ? "I"
                                        : "V";
        ui_.showMessage(std::string(band) +
                        "-Katalogwert (Vergleichsstern) fehlt, Umschaltung auf diff. Mag.");
      }
    }
  }
  RefstarEdit = 0;
  UpdateROItable(0);
}

void RoiWindow::NameEditChange(const std::string& text) {
  NameEdit = text;
  if (RefstarEdit >= 1 && RefstarEdit <= count()) {
    roi(RefstarEdit).Name = roiNameFrom(text);
  }
}

void RoiWindow::AutocenterCheckBoxClick(bool checked) {
  AutocenterCheckBox = checked;
  UpdateROItable(0);
}

}  // namespace vargaze
