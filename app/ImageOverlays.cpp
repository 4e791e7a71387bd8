// What the image window draws over the picture: the ROI frames with their
// numbers and backgrounds, and the track-star search circle.
#include <algorithm>
#include <array>

#include "app/Application.h"
#include "app/ImageView.h"
#include "base/Numbers.h"

namespace vargaze {

namespace {

constexpr std::array<std::uint32_t, 16> kRoiColours = {
    0xFF0000, 0x008000, 0x0000FF, 0xFFFF00, 0x800080, 0x00FFFF, 0x808080, 0xFF00FF,
    0x808080, 0x00FF00, 0x800000, 0x000080, 0x808000, 0x800080, 0xC0C0C0, 0x008080};
constexpr std::uint32_t kGrey = 0x808080;
// The number is written this many screen pixels below the frame's bottom edge.
constexpr std::int32_t kLabelDrop = 10;

// Numbers 17..n first, then 1..16, so the first sixteen lie on top.
std::vector<std::int32_t> drawingOrder(std::int32_t count) {
  std::vector<std::int32_t> order;
  for (std::int32_t i = 17; i <= count; ++i) order.push_back(i);
  for (std::int32_t i = 1; i <= std::min(count, 16); ++i) order.push_back(i);
  return order;
}

// The square of pixels (cx - half .. cx + half) as an outline through the
// centres of its edge pixels: 1-based pixel p lies at 0-based position p - 1.
ScreenRect squareOnScreen(const ImageView& view, std::int32_t cx, std::int32_t cy,
                          std::int32_t half) {
  const ScreenPoint a = view.screenPosition(cx - half - 1, cy - half - 1);
  const ScreenPoint b = view.screenPosition(cx + half - 1, cy + half - 1);
  return {a.x, a.y, b.x, b.y};
}

RoiOverlay roiOverlay(const ImageView& view, const RoiWindow& roiWindow, TRoi1 r) {
  RoiOverlay o;
  o.number = r.num;
  o.colour = roiColour(r.num);
  const std::int32_t h = (r.d - 1) / 2;
  o.starBox = squareOnScreen(view, r.xa, r.ya, h);
  o.labelAt = {o.starBox.left, o.starBox.bottom + kLabelDrop};
  if (!r.ringMode()) {
    // A separate sky box is counted with the star box's size.
    if (r.xb > 0) o.outerBox = squareOnScreen(view, r.xb, r.yb, h);
    return o;
  }
  // A ring is counted around the star box's centre (a fixed ROI's ring
  // keeps no position of its own).
  std::int32_t dIn = 0;
  std::int32_t dOut = 0;
  roiWindow.getBackgroundsize(r, dIn, dOut);
  // The half-sizes the counting uses, so the picture shows what is measured.
  const std::int32_t ho = (dOut - 1) / 2;
  const std::int32_t hi = dIn / 2 - 1;
  o.outerBox = squareOnScreen(view, r.xa, r.ya, ho);
  if (h < hi) o.innerBox = squareOnScreen(view, r.xa, r.ya, hi);
  return o;
}

}  // namespace

std::uint32_t roiColour(std::int32_t number) {
  if (number < 1 || number > 16) return kGrey;
  return kRoiColours[static_cast<std::size_t>(number - 1)];
}

ImageOverlays ImageView::overlays() const {
  ImageOverlays result;
  result.userRect = Rect1;
  const RoiWindow& roiWindow = app_.roiWindow;
  for (const std::int32_t number : drawingOrder(roiWindow.count())) {
    result.rois.push_back(roiOverlay(*this, roiWindow, roiWindow.roi(number)));
  }
  const Settings& s = app_.settings;
  const ImageWindowState& w = app_.imageWindow;
  if (s.ShowTrackstar && w.TrackstarX > 0 && w.TrackstarY > 0) {
    const double range = s.TrackingRange;
    const ScreenPoint a = screenPosition(roundHalfEven(w.TrackstarX - range - 1),
                                         roundHalfEven(w.TrackstarY - range - 1));
    const ScreenPoint b = screenPosition(roundHalfEven(w.TrackstarX + range - 1),
                                         roundHalfEven(w.TrackstarY + range - 1));
    result.trackstarCircle = ScreenRect{a.x, a.y, b.x, b.y};
  }
  return result;
}

}  // namespace vargaze
