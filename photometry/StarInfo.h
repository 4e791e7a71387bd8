// The star information dialog ("Stern-Info") as a model: name, type and
// catalogue magnitudes of one ROI, the Tycho-to-Johnson conversion and the
// B, V, B-V consistency while typing. The GUI shows the fields, forwards the
// user's typing and clicks to the handlers and calls accept() on "OK".
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/UiPort.h"

namespace vargaze {

class RoiWindow;

// The "Photometrie Typ" group: 0 "differentiell", 1 "standardisiert". Once
// OK was pressed with "standardisiert" the group is disabled for good. The
// project loader sets "standardisiert" when it meets a comparison star of
// known magnitude.
struct CompTypeState {
  std::int32_t ItemIndex = 0;
  bool Enabled = true;
};

// A ROI name as stored: the first 40 characters of `text`; a leading "["
// becomes "(" since project files start their sections with "[".
std::string roiNameFrom(std::string_view text);

class StarInfoDialog {
 public:
  explicit StarInfoDialog(UiPort& ui) : ui_(ui) {}

  // ---- fields, as the dialog shows them ----
  std::string IDEdit;        // "ROI " + number
  std::string StarnameEdit;  // "Stern-Bezeichnung"
  std::string BmagEdit;      // "Bj"
  std::string VMagEdit;      // "Vj"
  std::string RMagEdit;      // "Rc"
  std::string IMagEdit;      // "Ic"
  std::string BVEdit;        // "Bj-Vj"
  std::string BTEdit;        // "Bt"
  std::string VTEdit;        // "Vt"
  std::int32_t StarTypeGroup = 0;  // 0 Var, 1 Comp, 2 Check
  CompTypeState CompTypeGroup;
  bool KatalogGroupEnabled = false;
  bool MagnitudeFieldsEnabled = false;  // B, V, R, I and B-V
  // Which of B and B-V the user is typing; they persist between calls.
  bool InputB = false;
  bool InputBV = false;

  // ---- proposals in, entries out (after prepare and accept) ----
  std::int32_t startype = 0;
  std::string starname;
  std::string magstr;

  // Fills the dialog for ROI `ROInum` (RangeError when there is no such ROI)
  // with the proposals: the name (the ROI's own when empty), the type and the
  // magnitude text for the current filter's field when that field is empty
  // (the ROI's reference magnitude when the text is empty too).
  void prepare(RoiWindow& win, std::int32_t ROInum, std::int32_t startype,
               const std::string& starname, const std::string& magstr);

  // "OK": stores name, changed catalogue values, type and reference
  // magnitude, and applies the type through the ROI window. A field that is
  // not a number is reported and nothing is stored (false; the dialog stays
  // open). A star the ROI window refuses keeps its previous type and
  // reference magnitude. True when the input was taken.
  bool accept(RoiWindow& win);

  // ---- handlers ----
  void StarTypeGroupClick(std::int32_t index);
  void CompTypeGroupClick(std::int32_t index);
  void FormShow();
  void TycToJButtonClick();
  void BmagEditChange(const std::string& text);
  void BVEditChange(const std::string& text);
  void VMagEditChange(const std::string& text);
  void BmagEditClick();
  void BVEditClick();

 private:
  std::string* filterField(std::int32_t filterType);
  void setB(std::string text);
  void setV(std::string text);
  void setBV(std::string text);
  void onBChanged();
  void onBVChanged();
  void onVChanged();

  UiPort& ui_;
  std::int32_t roiNum_ = 0;
  // B, V, R, I as prepare() left them: a field still showing its text was not
  // changed by the user and is not stored as a catalogue value.
  std::array<std::string, 4> shown_;
};

}  // namespace vargaze
