// The least-squares sky plane m = a + bx*x + by*y through the background
// levels of the ROIs, and its removal from an image.
//
// Coordinates are 1-based pixels (x column, y row). The plane's terms are
// kept in single precision, as the images' levels need no more.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "image/Imgbuffer.h"
#include "photometry/Roi.h"

namespace vargaze {

// One sky sample: the background level per pixel at (x, y).
struct PlaneSample {
  double x = 0.0;
  double y = 0.0;
  double m = 0.0;
};

struct BackgroundPlane {
  float a = 0.0f;   // level at (0, 0)
  float bx = 0.0f;  // slope along x, counts per pixel
  float by = 0.0f;  // slope along y
  // The plane's level at pixel (x, y), rounded half to even.
  double levelAt(std::int32_t x, std::int32_t y) const;
};

inline constexpr std::size_t kMinPlaneSamples = 4;

// One sample per ROI whose background is placed (xb, yb >= 1) and measured
// (bcounts > 0): m = bcounts / npixa rounded half to even, at (xb, yb).
std::vector<PlaneSample> backgroundSamples(const std::vector<TRoi1>& rois);

// The least-squares plane through the samples; nullopt with fewer than
// kMinPlaneSamples. Samples on one straight line (a determinant that is
// negligible against its terms) give the flat plane a = bx = by = 0.
std::optional<BackgroundPlane> fitPlane(const std::vector<PlaneSample>& samples);

// Replaces every pixel v by v + pedestal - plane level, clamped to 0 and to
// the largest value of the image's pixel type. The pedestal is the new zero
// point, so Offset1 becomes 0 (16-bit words are unsigned from now on).
// Throws RangeError for float pixels, which are never kept after loading.
void removePlane(Timgbuffer& img, const BackgroundPlane& plane, std::int64_t pedestal);

// Largest value a pixel of the image's type can hold (255, 65535, 2^31 - 1);
// RangeError for float pixels.
std::int64_t pixelTypeMax(const Timgbuffer& img);

// v clamped to 0 .. pixelTypeMax and stored at (x, y).
void putClamped(Timgbuffer& img, std::int32_t x, std::int32_t y, std::int64_t v,
                std::int64_t typeMax);

}  // namespace vargaze
