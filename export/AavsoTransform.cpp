// The "BVR Transform" button: the V row with the B and/or R row of a two- or
// three-frame series, transformed with the configured coefficients.
#include "base/Numbers.h"
#include "export/AavsoCells.h"
#include "export/AavsoExport.h"
#include "export/Transform.h"

namespace vargaze {

namespace {

constexpr std::size_t kMag = 2, kErr = 3, kFilter = 4, kTrans = 5, kCmag = 8, kKmag = 10;

std::string three(double value) { return formatFixed(value, 3, 6); }

// The last row of a filter, or -1.
int lastRowOf(const std::vector<AavsoRow>& rows, const char* filter) {
  int found = -1;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (rows[r][kFilter] == filter) found = static_cast<int>(r);
  }
  return found;
}

FilterReading reading(const AavsoRow& row, int index) {
  const std::string at = "Zeile " + std::to_string(index + 1) + ", ";
  FilterReading x;
  x.mag = cellNumber(row[kMag], at + "mag");
  x.err = cellNumber(row[kErr], at + "error");
  x.cmag = cellNumber(row[kCmag], at + "Cmag");
  x.kmag = cellNumber(row[kKmag], at + "Kmag");
  return x;
}

}  // namespace

TransformResult ExportForm2::TransformButtonClick() {
  if (!TransformButtonEnabled) return TransformResult::NotPossible;
  const int v = lastRowOf(rows, "V");
  const int b = lastRowOf(rows, "B");
  const int r = lastRowOf(rows, "R");
  if (v < 0 || (b < 0 && r < 0)) return TransformResult::NotPossible;
  const auto row = [this](int index) -> AavsoRow& { return rows[static_cast<std::size_t>(index)]; };

  // Every cell is read before anything is written.
  const FilterReading vx = reading(row(v), v);
  const FilterReading bx = b >= 0 ? reading(row(b), b) : FilterReading{};
  const FilterReading rx = r >= 0 ? reading(row(r), r) : FilterReading{};

  const Settings& settings = series_.settings();
  UiPort& ui = series_.ui();
  if (b >= 0 && !bvCoefficientsSet(settings)) {
    ui.showMessage("Transformationskoeffizienten (B,V) nicht vorhanden (Setup/transformation)");
    return TransformResult::Refused;
  }
  if (r >= 0 && !vrCoefficientsSet(settings)) {
    ui.showMessage("Transformationskoeffizienten (V,R) nicht vorhanden (Setup/transformation)");
    return TransformResult::Refused;
  }
  const BVTransform bv = b >= 0 ? transformBV(vx, bx, settings) : BVTransform{};
  const VRTransform vr = r >= 0 ? transformVR(vx, rx, settings) : VRTransform{};
  const double vMean = (bv.Vt + vr.V2t) / 2.0;
  const double eVMean = (bv.eVt + vr.eV2t) / 2.0;
  const double vkMean = (bv.Vkt + vr.V2kt) / 2.0;

  std::string question;
  if (r < 0) {
    question = "Btrans= " + three(bv.Bt) + " Vtrans= " + three(bv.Vt);
  } else if (b < 0) {
    question = "Vtrans2= " + three(vr.V2t) + " Rtrans= " + three(vr.Rt);
  } else {
    question = "Btrans= " + three(bv.Bt) + " Vtrans= " + three(vMean) + " Rtrans= " + three(vr.Rt);
  }
  if (!ui.askYesNo(question + "; Transformierte Daten einfügen?")) {
    return TransformResult::Declined;
  }

  const bool standardized = Comp_check_mags == CompCheckMags::Standardized;
  const auto insert = [&](int index, double mag, double err, double kmag) {
    AavsoRow& cells = row(index);
    cells[kMag] = three(mag);
    cells[kErr] = three(err);
    cells[kTrans] = "YES";
    if (standardized) cells[kKmag] = three(kmag);
  };
  if (b >= 0) {
    insert(b, bv.Bt, bv.eBt, bv.Bkt);
    insert(v, bv.Vt, bv.eVt, bv.Vkt);
  }
  if (r >= 0) {
    insert(r, vr.Rt, vr.eRt, vr.Rkt);
    insert(v, vr.V2t, vr.eV2t, vr.V2kt);
  }
  if (b >= 0 && r >= 0) insert(v, vMean, eVMean, vkMean);
  TransformButtonEnabled = false;
  return TransformResult::Inserted;
}

}  // namespace vargaze
