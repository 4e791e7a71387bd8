#include "photometry/Tracking.h"

#include "base/Numbers.h"
#include "image/Trackstar.h"

namespace vargaze {

bool GetTrackstarShift(const Timgbuffer& img, ImageWindowState& imgwin,
                       std::int32_t trackingRange, double& shiftX, double& shiftY) {
  if (imgwin.TrackstarX <= 0.0 || imgwin.TrackstarY <= 0.0) return false;
  std::int32_t xm = 0;
  std::int32_t ym = 0;
  std::int32_t vmin = 0;
  std::int32_t vmax = 0;
  std::int32_t vmean = 0;
  double xt = 0.0;
  double yt = 0.0;
  if (!GetTrackstarcenter(roundToInt32(imgwin.TrackstarX), roundToInt32(imgwin.TrackstarY),
                          trackingRange, img, xm, ym, vmin, vmax, vmean, xt, yt)) {
    return false;
  }
  shiftX = xt - imgwin.TrackstarX;
  shiftY = yt - imgwin.TrackstarY;
  imgwin.Vx = shiftX;
  imgwin.Vy = shiftY;
  return true;
}

}  // namespace vargaze
