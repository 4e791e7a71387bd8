// The ROI list of the ROI window: creating, placing, moving and deleting ROIs.
#include <algorithm>
#include <string>

#include "base/Errors.h"
#include "photometry/Aperture.h"
#include "photometry/Magnitude.h"
#include "photometry/RoiWindow.h"

namespace vargaze {

RoiWindow::RoiWindow(Settings& settings, UiPort& ui, MainWindowFlags& main,
                     ImageWindowState& imgwin)
    : settings_(settings), ui_(ui), main_(main), imgwin_(imgwin) {
  FilterType = std::clamp(settings.StandardFilter, 0, kFilterCount - 1);
}

double RoiWindow::exposure() const {
  return img_ != nullptr && img_->Exposure > 0.0 ? img_->Exposure : 1.0;
}

TRoi1& RoiWindow::roi(std::int32_t number) {
  if (number < 1 || number > count()) {
    throw RangeError("ROI number " + std::to_string(number) + " out of range");
  }
  return ROIlist[static_cast<std::size_t>(number - 1)];
}

const TRoi1& RoiWindow::roi(std::int32_t number) const {
  return const_cast<RoiWindow*>(this)->roi(number);
}

BVRIRec& RoiWindow::bvri(std::int32_t number) {
  roi(number);  // the range check
  return BVRIlist[static_cast<std::size_t>(number - 1)];
}

const BVRIRec& RoiWindow::bvri(std::int32_t number) const {
  return const_cast<RoiWindow*>(this)->bvri(number);
}

std::int32_t RoiWindow::Newroi(std::int32_t x, std::int32_t y) {
  ++ROIindex;
  const std::int32_t index = ROIindex;
  TRoi1 r;
  r.num = index;
  r.xa = x + 1;
  r.ya = y + 1;
  r.xb = -1;
  r.d = ROIsizeEdit.value;
  r.d3 = BGsizeEdit.value;
  r.mag = kNoMagnitude;
  // A new ROI is centred around the click, whatever the field's shift.
  if (AutocenterCheckBox && !main_.DCFROI && img_ != nullptr) {
    for (int pass = 0; pass < 2; ++pass) {
      if (settings_.ROIcenterMode == 1) {
        centerROI_s(*img_, r, 0.0, 0.0);
      } else {
        centerROI_m(*img_, r, 0.0, 0.0);
      }
    }
  }
  r.x0a = r.xa;
  r.y0a = r.ya;
  ROIlist.push_back(r);
  BVRIlist.push_back(BVRIRec{});
  TRoi1& added = ROIlist.back();
  if (main_.DCFROI) {
    added.x0a = -1;
    GetROICounts(added);
    const std::int64_t m = added.net();
    const auto net = static_cast<long double>(m);
    const long double s = settings_.InstmagCorr ? net / exposure() : net;
    added.mag = m >= 11 ? static_cast<float>(-2.5L * log1(s)) : kNoMagnitude;
    added.rmag = added.mag;
  }
  table1.setCell(index, 0, std::to_string(index));
  return index;
}

void RoiWindow::BGROI1(std::int32_t index, std::int32_t x, std::int32_t y) {
  TRoi1& r = roi(index);
  r.xb = x + 1;
  r.yb = y + 1;
  r.x0b = r.xb;
  r.y0b = r.yb;
  // A click on the star itself means: background ring around it.
  const std::int32_t reach = r.d - 1;
  if (r.x0a - reach < r.x0b && r.x0b < r.x0a + reach && r.y0a - reach < r.y0b &&
      r.y0b < r.y0a + reach) {
    r.xb = r.x0a;
    r.yb = r.y0a;
    r.x0b = r.xb;
    r.y0b = r.yb;
  }
  UpdateROItable(index);
}

bool RoiWindow::DeleteROI(std::int32_t index) {
  if (roi(index).num != index) return false;
  const std::int32_t before = count();
  if (index == before) {
    table1.clearCells(index, 1, 11);
  } else {
    for (std::int32_t i = 1; i <= before; ++i) table1.clearCells(i, 1, 11);
  }
  ROIlist.erase(ROIlist.begin() + (index - 1));
  BVRIlist.erase(BVRIlist.begin() + (index - 1));
  for (std::int32_t i = 1; i <= count(); ++i) ROIlist[static_cast<std::size_t>(i - 1)].num = i;
  if (index != before) UpdateROItable(0);
  ROIindex = count();
  main_.BGROI = -1;
  RefstarEdit = 0;
  if (roisRemoved) roisRemoved();
  return true;
}

void RoiWindow::ClearROIs() {
  for (std::int32_t i = 1; i <= count(); ++i) table1.clearCells(i, 0, 11);
  ROIlist.clear();
  BVRIlist.clear();
  ROIindex = 0;
  main_.BGROI = -1;
  RefstarEdit = 0;
  SkymagEdit.clear();
  MagCalEdit.clear();
  if (roisRemoved) roisRemoved();
}

void RoiWindow::SetROIposition() {
  for (TRoi1& r : ROIlist) {
    if (r.isFixed()) continue;  // a DCF marker stays fixed
    r.x0a = r.xa;
    r.y0a = r.ya;
    r.x0b = r.xb;
    r.y0b = r.yb;
  }
}

void RoiWindow::ResetROIposition() {
  for (TRoi1& r : ROIlist) {
    if (r.x0a <= 0) continue;
    r.xa = r.x0a;
    r.ya = r.y0a;
    r.xb = r.x0b;
    r.yb = r.y0b;
  }
}

namespace {

bool pointInBox(std::int32_t cx, std::int32_t cy, std::int32_t d, Point p) {
  const std::int32_t h = (d - 1) / 2;
  return cx - h - 1 <= p.x && p.x <= cx + h - 1 && cy - h - 1 <= p.y && p.y <= cy + h - 1;
}

}  // namespace

void RoiWindow::MoveROI(Point startpos, Point movevector, bool all) {
  for (TRoi1& r : ROIlist) {
    if (all || pointInBox(r.xa, r.ya, r.d, startpos)) {
      r.xa += movevector.x;
      r.ya += movevector.y;
      if (r.x0a > 0) {
        r.x0a = r.xa;
        r.y0a = r.ya;
      }
    }
    // A background that was never placed stays unplaced.
    if (r.xb > 0 && (all || pointInBox(r.xb, r.yb, r.d, startpos))) {
      r.xb += movevector.x;
      r.yb += movevector.y;
      r.x0b = r.xb;
      r.y0b = r.yb;
    }
  }
  UpdateROItable(0);
}

std::int32_t RoiWindow::ROIfound(std::int32_t x, std::int32_t y, std::int32_t maxnum) const {
  const std::int32_t last = std::min(maxnum, count());
  for (std::int32_t i = 1; i <= last; ++i) {
    const TRoi1& r = ROIlist[static_cast<std::size_t>(i - 1)];
    if (pointInBox(r.xa, r.ya, r.d, Point{x, y})) return i;
  }
  return -1;
}

std::int32_t RoiWindow::GetCompstar(std::int32_t& icomp) const {
  std::int32_t n = 0;
  for (const TRoi1& r : ROIlist) {
    if (!r.ref || r.isFixed()) continue;
    if (n == 0) icomp = r.num;
    ++n;
  }
  return n;
}

bool RoiWindow::GetVarCheck(std::int32_t& ivar, std::int32_t& icheck) const {
  ivar = 0;
  icheck = 0;
  for (const TRoi1& r : ROIlist) {
    if (r.ref || r.isFixed()) continue;
    if (r.starType() == kStarVar && ivar == 0) ivar = r.num;
    if (r.starType() == kStarCheck && icheck == 0) icheck = r.num;
  }
  return ivar > 0 && icheck > 0;
}

}  // namespace vargaze
