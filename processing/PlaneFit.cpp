// Least-squares sky plane by Cramer's rule on the normal equations.
#include "processing/PlaneFit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "base/Errors.h"
#include "base/Numbers.h"

namespace vargaze {

namespace {

struct PlaneSums {
  double n = 0, Sm = 0, Sxm = 0, Sym = 0, Sx = 0, Sy = 0, Sxx = 0, Syy = 0, Sxy = 0;
};

PlaneSums accumulate(const std::vector<PlaneSample>& samples) {
  PlaneSums s;
  for (const PlaneSample& p : samples) {
    s.n += 1;
    s.Sm += p.m;
    s.Sxm += p.x * p.m;
    s.Sym += p.y * p.m;
    s.Sx += p.x;
    s.Sy += p.y;
    s.Sxx += p.x * p.x;
    s.Syy += p.y * p.y;
    s.Sxy += p.x * p.y;
  }
  return s;
}

// The negative of det[n Sx Sy; Sx Sxx Sxy; Sy Sxy Syy]. Points on one line
// make it 0 in exact arithmetic; in floating point the cancellation leaves a
// rest of the order of the rounding of its largest term, which counts as 0.
double determinant(const PlaneSums& s) {
  const std::array<double, 5> terms = {-s.n * s.Syy * s.Sxx, s.Sy * s.Sy * s.Sxx,
                                       s.n * s.Sxy * s.Sxy, -2 * s.Sxy * s.Sy * s.Sx,
                                       s.Syy * s.Sx * s.Sx};
  double det = 0.0;
  double largest = 0.0;
  for (double t : terms) {
    det += t;
    largest = std::max(largest, std::fabs(t));
  }
  constexpr double kRelativeZero = 1e-9;
  return std::fabs(det) <= kRelativeZero * largest ? 0.0 : det;
}

}  // namespace

double BackgroundPlane::levelAt(std::int32_t x, std::int32_t y) const {
  return roundHalfEven(static_cast<double>(x) * bx + a + static_cast<double>(y) * by);
}

std::vector<PlaneSample> backgroundSamples(const std::vector<TRoi1>& rois) {
  std::vector<PlaneSample> samples;
  for (const TRoi1& r : rois) {
    if (r.xb < 1 || r.yb < 1 || r.bcounts <= 0 || r.npixa <= 0) continue;
    // bcounts is the sky scaled to the pixels the star box really summed:
    // (d - 1)^2 for an even d, not d * d.
    samples.push_back({static_cast<double>(r.xb), static_cast<double>(r.yb),
                       roundHalfEven(static_cast<double>(r.bcounts) / r.npixa)});
  }
  return samples;
}

std::optional<BackgroundPlane> fitPlane(const std::vector<PlaneSample>& samples) {
  if (samples.size() < kMinPlaneSamples) return std::nullopt;
  const PlaneSums s = accumulate(samples);
  const double exact = determinant(s);
  const auto det = static_cast<float>(exact);
  if (det == 0.0f) return BackgroundPlane{};
  // Beyond the single range (frames far wider than any camera's) the exact
  // value divides, rather than infinity flattening the plane.
  const double d = std::isfinite(det) ? static_cast<double>(det) : exact;
  BackgroundPlane p;
  p.a = static_cast<float>((s.Sx * s.Syy * s.Sxm - s.Sx * s.Sxy * s.Sym - s.Sy * s.Sxy * s.Sxm +
                            s.Sy * s.Sym * s.Sxx - s.Sm * s.Syy * s.Sxx + s.Sm * s.Sxy * s.Sxy) /
                           d);
  p.bx = static_cast<float>(-(-s.n * s.Sxy * s.Sym + s.n * s.Sxm * s.Syy - s.Syy * s.Sx * s.Sm -
                              s.Sxm * s.Sy * s.Sy + s.Sxy * s.Sy * s.Sm + s.Sx * s.Sy * s.Sym) /
                            d);
  p.by = static_cast<float>((-s.Sy * s.Sx * s.Sxm + s.Sy * s.Sm * s.Sxx + s.n * s.Sxy * s.Sxm +
                             s.Sx * s.Sx * s.Sym - s.Sx * s.Sxy * s.Sm - s.n * s.Sym * s.Sxx) /
                            d);
  // A plane beyond single precision is no sky model: treat it as flat.
  if (!std::isfinite(p.a) || !std::isfinite(p.bx) || !std::isfinite(p.by)) return BackgroundPlane{};
  return p;
}

std::int64_t pixelTypeMax(const Timgbuffer& img) {
  switch (img.bufferbyte) {
    case kPixel8:
      return 255;
    case kPixelUnset:
    case kPixel16:
      return 65535;
    case kPixel32:
      return std::numeric_limits<std::int32_t>::max();
    default:
      throw RangeError("pixel type " + std::to_string(img.bufferbyte) + " cannot be re-levelled");
  }
}

void putClamped(Timgbuffer& img, std::int32_t x, std::int32_t y, std::int64_t v,
                std::int64_t typeMax) {
  img.putpixel(x, y, static_cast<std::int32_t>(std::clamp<std::int64_t>(v, 0, typeMax)));
}

void removePlane(Timgbuffer& img, const BackgroundPlane& plane, std::int64_t pedestal) {
  const std::int64_t typeMax = pixelTypeMax(img);
  const auto top = static_cast<double>(typeMax);
  for (std::int32_t y = 1; y <= img.ysize; ++y) {
    for (std::int32_t x = 1; x <= img.xsize; ++x) {
      // In double: the plane may lie far outside the pixel range at the edges.
      const double v = static_cast<double>(img.getpixel(x, y)) + static_cast<double>(pedestal) -
                       plane.levelAt(x, y);
      img.putpixel(x, y, static_cast<std::int32_t>(std::clamp(v, 0.0, top)));
    }
  }
  img.Offset1 = 0.0;
  if (img.bufferbyte == kPixel16 || img.bufferbyte == kPixelUnset) img.Wordmode = true;
}

}  // namespace vargaze
