// The table refresh: measure the ROIs, compute signal-to-noise and
// magnitudes, and write every cell as the window shows it.
#include <cmath>

#include "base/Numbers.h"
#include "photometry/Magnitude.h"
#include "photometry/RoiWindow.h"

namespace vargaze {

namespace {

std::string catalogueText(float value) {
  return catalogueValueKnown(value) ? formatFixed(value, 3, 6) : std::string();
}

}  // namespace

void RoiWindow::UpdateROItable(std::int32_t roinum) {
  if (!imgwin_.exists || count() == 0) return;
  measurePasses(roinum);
  const double t = exposure();
  const double airmass = img_ != nullptr ? img_->Airmass : -1.0;
  const double sigma = scintillationTerm(t, snr, airmass);

  float compErrorSum = 0.0f;
  std::int32_t compCount = 0;
  std::int64_t backgroundSum = 0;
  for (std::int32_t i = 1; i <= count(); ++i) {
    TRoi1& r = roi(i);
    r.SN = signalToNoise(r, t, settings_, snr, sigma);
    writeRoiRow(i, compErrorSum, compCount, backgroundSum);
  }
  writeSkyBrightness(backgroundSum);
  writeErrorTexts(compErrorSum, compCount);
}

void RoiWindow::writeRoiRow(std::int32_t i, float& compErrorSum, std::int32_t& compCount,
                            std::int64_t& backgroundSum) {
  TRoi1& r = roi(i);
  const BVRIRec& c = bvri(i);
  table1.setCell(i, 0, std::to_string(i));
  table1.setCell(i, 1, formatGeneral(static_cast<double>(r.acounts)));
  table1.setCell(i, 2, formatGeneral(static_cast<double>(r.bcounts)));
  table1.setCell(i, 3, formatGeneral(static_cast<double>(r.net())));
  table1.setCell(i, 4, std::to_string(r.amaxcounts));
  table1.setCell(i, 7, std::to_string(r.SN));
  if (r.starType() == kStarVar) {
    table1.clearCells(i, 8, 11);
  } else {
    const bool bv = catalogueValueKnown(c.Bmag) && catalogueValueKnown(c.Vmag);
    table1.setCell(i, 8, bv ? formatFixed(c.Bmag - c.Vmag, 3, 6) : std::string());
    table1.setCell(i, 9, catalogueText(c.Vmag));
    table1.setCell(i, 10, catalogueText(c.Rmag));
    table1.setCell(i, 11, catalogueText(c.Imag));
  }

  std::int32_t refstarerror = 0;
  const float mag = getmag(r, refstarerror);
  std::string magText = mag < kNoMagnitude && r.SN >= 2 ? formatFixed(mag, 3, 5) : "?";
  if (r.ref && !r.isFixed()) {
    magText += "*";
    if (isUsableComparison(r)) {
      if (r.SN > 0) compErrorSum += static_cast<float>(std::pow(1.0857 / r.SN, 2));
      ++compCount;
    }
  }
  table1.setCell(i, 5, magText);
  if (r.rmag != 0.0f) {
    table1.setCell(i, 6, formatFixed(r.rmag - r.mag, 3, 5));
  } else if (r.isFixed()) {
    table1.setCell(i, 5, r.mag < 2.0f ? "DCF+" : "DCF-");
  }
  backgroundSum += r.bcounts;
}

void RoiWindow::writeSkyBrightness(std::int64_t backgroundSum) {
  SkymagEdit.clear();
  if (settings_.ArcsecPerPixel <= 0.0 || Diffmag || count() == 0) return;
  const long double side = static_cast<long double>(ROIsizeEdit.value) * settings_.ArcsecPerPixel;
  const long double b = static_cast<long double>(backgroundSum) / count() / (side * side);
  if (!(b > 0)) return;
  const long double s = settings_.InstmagCorr ? b / exposure() : b;
  SkymagEdit = formatFixed(static_cast<double>(Magcal - 2.5L * log1(s)), 2, 5);
}

void RoiWindow::writeErrorTexts(float compErrorSum, std::int32_t compCount) {
  const bool dslr = img_ != nullptr && img_->OBSTYPE == "DSLR";
  for (std::int32_t i = 1; i <= count(); ++i) {
    const TRoi1& r = roi(i);
    if (dslr) {
      table1.clearCells(i, 7, 7);  // no S/N for camera raw images
      continue;
    }
    if (r.ref && !r.isFixed()) continue;
    const std::string sn = std::to_string(r.SN);
    if (r.SN <= 0) continue;
    const double inverse = 1.0 / r.SN;
    if (InstrMag) {
      table1.setCell(i, 7, sn + " (" + formatFixed(1.086 * inverse, 3, 4) + ")");
    } else if (compCount >= 1) {
      const double error = magnitudeError(r.SN, compErrorSum, compCount);
      table1.setCell(i, 7, sn + " (" + formatFixed(error, 3, 4) + ")");
    }
  }
}

}  // namespace vargaze
