// The star information dialog: filling, storing and the Tycho conversion.
#include "photometry/StarInfo.h"

#include <cfloat>
#include <cmath>
#include <optional>

#include "base/Numbers.h"
#include "base/Strings.h"
#include "photometry/RoiWindow.h"

namespace vargaze {

std::string roiNameFrom(std::string_view text) {
  // Cut before the 41st character; UTF-8 continuation bytes belong to the
  // character before them.
  std::size_t characters = 0;
  std::size_t end = 0;
  for (; end < text.size(); ++end) {
    const auto byte = static_cast<unsigned char>(text[end]);
    if ((byte & 0xC0) != 0x80 && ++characters > kMaxRoiName) break;
  }
  std::string name(text.substr(0, end));
  if (!name.empty() && name[0] == '[') name[0] = '(';
  return name;
}

namespace {

// Catalogue values up to 90 are shown (the table shows them below 90 only).
std::string catalogueField(float value) {
  return value <= 90.0f ? formatFixed(value, 3, 6) : std::string();
}

// A magnitude typed into a field; nothing when empty or not a number.
std::optional<double> fieldValue(const std::string& text) {
  double v = 0.0;
  const std::string t = Trim(text);
  if (t.empty() || !tryParseDouble(t, v)) return std::nullopt;
  return v;
}

// A magnitude field's number as stored (32-bit float).
bool toMagnitude(const std::string& text, float& value) {
  double v = 0.0;
  if (!tryParseDouble(Trim(text), v) || !(std::fabs(v) <= FLT_MAX)) return false;
  value = static_cast<float>(v);
  return true;
}

}  // namespace

std::string* StarInfoDialog::filterField(std::int32_t filterType) {
  switch (filterType) {
    case 2:
    case 6: return &BmagEdit;
    case 0:
    case 3:
    case 7: return &VMagEdit;
    case 1:
    case 4:
    case 8: return &RMagEdit;
    case 5: return &IMagEdit;
    default: return nullptr;
  }
}

void StarInfoDialog::prepare(RoiWindow& win, std::int32_t ROInum, std::int32_t type,
                             const std::string& name, const std::string& mag) {
  const TRoi1& r = win.roi(ROInum);
  const BVRIRec& c = win.bvri(ROInum);
  roiNum_ = ROInum;
  IDEdit = "ROI " + std::to_string(ROInum);
  StarnameEdit = name.empty() ? r.Name : name;
  // Emptied first, so that filling B and V shows their difference.
  setBV("");
  setV("");
  setB(catalogueField(c.Bmag));
  setV(catalogueField(c.Vmag));
  RMagEdit = catalogueField(c.Rmag);
  IMagEdit = catalogueField(c.Imag);

  magstr = mag;
  if (std::string* field = filterField(win.FilterType)) {
    if (field->empty()) {
      const std::string text = mag.empty() ? formatFixed(r.rmag, 3, 6) : mag;
      if (field == &BmagEdit) {
        setB(text);
      } else if (field == &VMagEdit) {
        setV(text);
      } else {
        *field = text;
      }
    }
    magstr = *field;
  }
  starname = StarnameEdit;
  startype = type;
  StarTypeGroupClick(type);
  FormShow();
  shown_ = {BmagEdit, VMagEdit, RMagEdit, IMagEdit};
}

bool StarInfoDialog::accept(RoiWindow& win) {
  // Every field is checked before anything is stored, so a typing error
  // leaves the ROI as it was.
  const std::array<const std::string*, 4> fields{&BmagEdit, &VMagEdit, &RMagEdit, &IMagEdit};
  std::array<float, 4> values{};
  for (std::size_t k = 0; k < fields.size(); ++k) {
    const std::string& text = *fields[k];
    if (Trim(text).empty()) continue;
    if (!toMagnitude(text, values[k])) {
      ui_.showMessage("'" + Trim(text) + "' ist kein gültiger Gleitkommawert");
      return false;
    }
  }

  if (CompTypeGroup.ItemIndex == 1) {
    KatalogGroupEnabled = true;
    CompTypeGroup.Enabled = false;
  } else {
    KatalogGroupEnabled = false;
  }

  TRoi1& r = win.roi(roiNum_);
  BVRIRec& c = win.bvri(roiNum_);
  starname = StarnameEdit;
  const std::string* field = filterField(win.FilterType);
  magstr = field != nullptr ? *field : std::string();
  const std::array<float*, 4> catalogue{&c.Bmag, &c.Vmag, &c.Rmag, &c.Imag};
  for (std::size_t k = 0; k < fields.size(); ++k) {
    // An untouched field shows a rounded catalogue value or a proposal (the
    // reference magnitude, 0.000 for a variable), neither a catalogue entry.
    if (!Trim(*fields[k]).empty() && *fields[k] != shown_[k]) *catalogue[k] = values[k];
  }
  startype = StarTypeGroup;

  const bool previousRef = r.ref;
  const float previousRmag = r.rmag;
  const std::int32_t previousStype = r.stype;
  r.Name = roiNameFrom(starname);
  r.ref = startype == 1;
  float reference = 0.0f;
  if (!Trim(magstr).empty() && toMagnitude(magstr, reference)) r.rmag = reference;

  win.RefstarEdit = roiNum_;
  win.MagEdit = magstr;
  if (!win.SetStarType(startype)) {
    TRoi1& refused = win.roi(roiNum_);
    refused.ref = previousRef;
    refused.rmag = previousRmag;
    refused.stype = previousStype;
  }
  BTEdit.clear();
  VTEdit.clear();
  return true;
}

void StarInfoDialog::StarTypeGroupClick(std::int32_t index) {
  StarTypeGroup = index;
  MagnitudeFieldsEnabled = index != 0;
}

void StarInfoDialog::CompTypeGroupClick(std::int32_t index) {
  if (!CompTypeGroup.Enabled) return;
  CompTypeGroup.ItemIndex = index;
  KatalogGroupEnabled = index == 1;
}

void StarInfoDialog::FormShow() { KatalogGroupEnabled = CompTypeGroup.ItemIndex == 1; }

void StarInfoDialog::TycToJButtonClick() {
  if (Trim(BTEdit).empty() || Trim(VTEdit).empty()) {
    ui_.showMessage("Bt und Vt müssen eingetragen sein");
    return;
  }
  float vt = 0.0f;
  float bt = 0.0f;
  if (!toMagnitude(VTEdit, vt) || !toMagnitude(BTEdit, bt)) {
    ui_.showMessage("Bt und Vt müssen korrekt eingetragen sein");
    return;
  }
  const double colour = static_cast<double>(bt) - static_cast<double>(vt);
  setB(formatFixed(bt - 0.24 * colour, 3, 5));
  setV(formatFixed(vt - 0.09 * colour, 3, 5));
}

// Typing into a field and the program writing into it both count as a
// change; InputB and InputBV keep the B and B-V handlers from feeding each
// other.
void StarInfoDialog::BmagEditChange(const std::string& text) { setB(text); }
void StarInfoDialog::BVEditChange(const std::string& text) { setBV(text); }
void StarInfoDialog::VMagEditChange(const std::string& text) { setV(text); }

void StarInfoDialog::BmagEditClick() {
  InputB = true;
  InputBV = false;
}

void StarInfoDialog::BVEditClick() {
  InputB = false;
  InputBV = true;
}

void StarInfoDialog::setB(std::string text) {
  BmagEdit = std::move(text);
  onBChanged();
}

void StarInfoDialog::setV(std::string text) {
  VMagEdit = std::move(text);
  onVChanged();
}

void StarInfoDialog::setBV(std::string text) {
  BVEdit = std::move(text);
  onBVChanged();
}

void StarInfoDialog::onBChanged() {
  if (InputBV) return;
  const auto v = fieldValue(VMagEdit);
  const auto b = fieldValue(BmagEdit);
  if (!v || !b) return;
  InputB = true;
  setBV(formatFixed(*b - *v, 3, 5));
}

void StarInfoDialog::onBVChanged() {
  if (InputB) return;
  const auto v = fieldValue(VMagEdit);
  const auto bv = fieldValue(BVEdit);
  if (!v || !bv) return;
  InputBV = true;
  setB(formatFixed(*bv + *v, 3, 5));
}

void StarInfoDialog::onVChanged() {
  const auto v = fieldValue(VMagEdit);
  const auto b = fieldValue(BmagEdit);
  if (!v || !b) return;
  setBV(formatFixed(*b - *v, 3, 5));
}

}  // namespace vargaze
