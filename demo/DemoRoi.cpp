#include "demo/DemoRoi.h"

#include <cmath>
#include <stdexcept>

#include "base/Numbers.h"

namespace vargaze::demo {

void placeDemoRois(RoiWindow& win, const DemoDesign& design) {
  const Timgbuffer* image = win.image();
  if (image == nullptr) throw std::runtime_error("the ROI window shows no frame");
  win.FormShow();
  win.setStarSize(kDemoStarSize);
  win.setInnerSize(kDemoInnerSize);
  win.setOuterSize(kDemoOuterSize);
  if (image->FilterType >= 0 && image->FilterType < kFilterCount) {
    win.FilterComboboxChange(image->FilterType);
  }
  for (const NamedStar& star : design.named) {
    // The click lands on the pixel holding the star's centre (0-based).
    const auto x = static_cast<std::int32_t>(std::lround(star.x)) - 1;
    const auto y = static_cast<std::int32_t>(std::lround(star.y)) - 1;
    const std::int32_t number = win.Newroi(x, y);
    win.BGROI1(number, x, y);  // a click on the star itself: ring mode
    win.bvri(number) = star.catalogue;
    win.RefstarEdit = number;
    win.NameEditChange(star.name);
    win.MagEdit = star.type == kStarVar ? "Var" : formatFixed(star.catalogue.Vmag, 3);
    if (!win.SetStarType(star.type)) {
      throw std::runtime_error("the ROI window refused the type of " + star.name);
    }
  }
  win.RefstarEdit = 0;
}

}  // namespace vargaze::demo
