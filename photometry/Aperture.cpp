#include "photometry/Aperture.h"

#include <cmath>

#include "base/Numbers.h"

namespace vargaze {

namespace {

// Search box of both centring methods: around the current centre while the
// field has not moved, else around the start position moved by the shift.
struct SearchBox {
  std::int32_t x1, y1, x2, y2;
  bool usable() const { return x1 >= 2; }
};

SearchBox searchBox(const TRoi1& roi, double Vx, double Vy) {
  const auto r = static_cast<std::int32_t>(roundHalfEven((roi.d - 1) * 0.75));
  const std::int32_t sx = roundToInt32(Vx);
  const std::int32_t sy = roundToInt32(Vy);
  const std::int32_t cx = sx == 0 && sy == 0 ? roi.xa : roi.x0a + sx;
  const std::int32_t cy = sx == 0 && sy == 0 ? roi.ya : roi.y0a + sy;
  return {cx - r, cy - r, cx + r, cy + r};
}

// First largest pixel of a box in scanning order (column by column).
std::int32_t findMaximum(const Timgbuffer& img, const SearchBox& box, std::int32_t& xm,
                         std::int32_t& ym) {
  std::int32_t m = 0;
  for (std::int32_t x = box.x1; x <= box.x2; ++x) {
    for (std::int32_t y = box.y1; y <= box.y2; ++y) {
      const std::int32_t v = img.getpixel(x, y);
      if (v > m) {
        m = v;
        xm = x;
        ym = y;
      }
    }
  }
  return m;
}

// Long double keeps the rounding of large sums exact.
std::int64_t scaledBackground(std::int32_t starPixels, std::int32_t backgroundPixels,
                              std::int64_t backgroundSum) {
  const long double scaled =
      static_cast<long double>(starPixels) / backgroundPixels * static_cast<long double>(backgroundSum);
  return static_cast<std::int64_t>(std::nearbyint(scaled));
}

void followRing(TRoi1& roi) {
  if (roi.x0a >= 1 && roi.x0b >= 1 && roi.ringMode()) {
    roi.xb = roi.xa;
    roi.yb = roi.ya;
  }
}

}  // namespace

bool sumBox(const Timgbuffer& img, std::int32_t x1, std::int32_t y1, std::int32_t x2,
            std::int32_t y2, BoxSum& result) {
  result = BoxSum{};
  if (x1 < 2 || y1 < 1 || x2 > img.xsize || y2 > img.ysize) return false;
  for (std::int32_t x = x1; x <= x2; ++x) {
    for (std::int32_t y = y1; y <= y2; ++y) {
      const std::int32_t v = img.getpixel(x, y);
      result.sum += v;
      if (v > result.maximum) result.maximum = v;
      ++result.pixels;
    }
  }
  return true;
}

void countAperture(const Timgbuffer& img, TRoi1& roi, std::int32_t dIn, std::int32_t dOut,
                   bool& ringEmpty) {
  const std::int32_t h = (roi.d - 1) / 2;
  BoxSum star;
  sumBox(img, roi.xa - h, roi.ya - h, roi.xa + h, roi.ya + h, star);
  roi.acounts = star.sum;
  roi.amaxcounts = star.maximum;
  roi.npixa = star.pixels;
  roi.bcounts = 0;
  roi.npixb = 0;

  if (roi.ringMode()) {
    const std::int32_t hi = dIn / 2 - 1;
    const std::int32_t ho = (dOut - 1) / 2;
    BoxSum inner;
    BoxSum outer;
    if (hi >= 0) sumBox(img, roi.xa - hi, roi.ya - hi, roi.xa + hi, roi.ya + hi, inner);
    if (!sumBox(img, roi.xa - ho, roi.ya - ho, roi.xa + ho, roi.ya + ho, outer)) return;
    const std::int32_t ringPixels = outer.pixels - inner.pixels;
    if (ringPixels <= 0) {
      ringEmpty = true;  // no sky to subtract: the aperture gets no magnitude
      return;
    }
    roi.npixb = ringPixels;
    roi.bcounts = scaledBackground(roi.npixa, ringPixels, outer.sum - inner.sum);
    return;
  }
  BoxSum sky;
  if (!sumBox(img, roi.xb - h, roi.yb - h, roi.xb + h, roi.yb + h, sky) || sky.pixels == 0) {
    return;
  }
  roi.npixb = sky.pixels;
  roi.bcounts = scaledBackground(roi.npixa, sky.pixels, sky.sum);
}

void centerROI_s(const Timgbuffer& img, TRoi1& roi, double Vx, double Vy) {
  const SearchBox box = searchBox(roi, Vx, Vy);
  if (box.usable()) {
    std::int32_t xm = 0;
    std::int32_t ym = 0;
    std::int32_t m = findMaximum(img, box, xm, ym);
    std::int32_t mn = img.getpixel(box.x1, box.y1);
    for (std::int32_t x = box.x1; x <= box.x2; ++x) {
      for (std::int32_t y = box.y1; y <= box.y2; ++y) mn = std::min(mn, img.getpixel(x, y));
    }
    if (m > 0) {
      const std::int32_t r = (box.x2 - box.x1) / 2;
      double sx = 0.0;
      double sy = 0.0;
      double s = 0.0;
      for (std::int32_t x = xm - r; x <= xm + r; ++x) {
        for (std::int32_t y = ym - r; y <= ym + r; ++y) {
          const std::int32_t v = img.getpixel(x, y);
          m = std::max(m, v);
          const double w = static_cast<double>(v) - mn;
          sx += w * x;
          sy += w * y;
          s += w;
        }
      }
      // A flat area has no weight to centre on: the ROI stays where it is.
      if (s != 0.0) {
        xm = roundToInt32(sx / s);
        ym = roundToInt32(sy / s);
        if (xm > 0) {
          roi.xa = xm;
          roi.ya = ym;
          roi.amaxcounts = m;
        }
      }
    }
  }
  followRing(roi);
}

void centerROI_m(const Timgbuffer& img, TRoi1& roi, double Vx, double Vy) {
  const SearchBox box = searchBox(roi, Vx, Vy);
  if (box.usable()) {
    std::int32_t xm = 0;
    std::int32_t ym = 0;
    const std::int32_t m = findMaximum(img, box, xm, ym);
    std::int64_t sx = 0;
    std::int64_t sy = 0;
    std::int64_t s = 0;
    std::int32_t n = 0;
    for (std::int32_t x = box.x1; x <= box.x2; ++x) {
      for (std::int32_t y = box.y1; y <= box.y2; ++y) {
        if (img.getpixel(x, y) != m) continue;
        sx += std::int64_t{m} * x;
        sy += std::int64_t{m} * y;
        s += m;
        ++n;
      }
    }
    // A saturated core is centred on the middle of its equal pixels.
    if (n > 1 && s > 0) {
      xm = roundToInt32(static_cast<double>(sx) / static_cast<double>(s));
      ym = roundToInt32(static_cast<double>(sy) / static_cast<double>(s));
    }
    if (xm > 0) {
      roi.xa = xm;
      roi.ya = ym;
      roi.amaxcounts = m;
    }
  }
  followRing(roi);
}

}  // namespace vargaze
