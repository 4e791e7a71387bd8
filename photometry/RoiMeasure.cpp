// Measurement of the ROIs on the current frame: counting, centring and the
// drift estimate of a table refresh.
#include "base/Numbers.h"
#include "photometry/Aperture.h"
#include "photometry/RoiWindow.h"

namespace vargaze {

std::int32_t RoiWindow::getBackgroundsize(TRoi1& r, std::int32_t& dIn,
                                          std::int32_t& dOut) const {
  r.d2 = BGinnerEdit.value;
  r.d3 = BGsizeEdit.value;
  if (r.ringMode()) {
    dIn = r.d2;
  } else {
    r.d2 = 0;
    dIn = 0;
  }
  dOut = r.d3;
  return r.d3;
}

void RoiWindow::GetROICounts(TRoi1& r) {
  std::int32_t dIn = 0;
  std::int32_t dOut = 0;
  getBackgroundsize(r, dIn, dOut);
  if (img_ == nullptr) {
    r.acounts = r.bcounts = 0;
    r.amaxcounts = r.npixa = r.npixb = 0;
    return;
  }
  bool ringEmpty = false;
  countAperture(*img_, r, dIn, dOut, ringEmpty);
  if (ringEmpty && !ringErrorShown_) {
    ringErrorShown_ = true;
    ui_.showMessage("error imgwin:191");
  }
}

void RoiWindow::centerROI(TRoi1& r) const {
  if (img_ == nullptr) return;
  if (settings_.ROIcenterMode == 1) {
    centerROI_s(*img_, r, imgwin_.Vx, imgwin_.Vy);
  } else {
    centerROI_m(*img_, r, imgwin_.Vx, imgwin_.Vy);
  }
}

void RoiWindow::measurePasses(std::int32_t roinum) {
  const std::int32_t first = roinum == 0 ? 1 : roinum;
  const std::int32_t last = roinum == 0 ? count() : roinum;
  if (main_.Activeframe == 1) ResetROIposition();

  // Mean displacement of the non-fixed ROIs from their start positions.
  const auto updateShift = [&] {
    std::int64_t dx = 0;
    std::int64_t dy = 0;
    std::int32_t n = 0;
    for (std::int32_t i = first; i <= last; ++i) {
      const TRoi1& r = roi(i);
      if (r.isFixed()) continue;
      dx += r.xa - r.x0a;
      dy += r.ya - r.y0a;
      ++n;
    }
    // Only fixed ROIs: nothing to average, the shift stays.
    if (roinum == 0 && n > 0) {
      imgwin_.Vx = static_cast<double>(dx) / n;
      imgwin_.Vy = static_cast<double>(dy) / n;
    }
  };

  for (std::int32_t i = first; i <= last; ++i) {
    TRoi1& r = roi(i);
    if (AutocenterCheckBox && !r.isFixed()) {
      centerROI(r);
      centerROI(r);
    } else {
      GetROICounts(r);
    }
  }
  updateShift();
  if (!AutocenterCheckBox) return;
  for (std::int32_t i = first; i <= last; ++i) {
    TRoi1& r = roi(i);
    if (r.isFixed()) continue;
    r.xa = r.x0a + roundToInt32(imgwin_.Vx);
    r.ya = r.y0a + roundToInt32(imgwin_.Vy);
    centerROI(r);
    centerROI(r);
    GetROICounts(r);
  }
  updateShift();
}

}  // namespace vargaze
