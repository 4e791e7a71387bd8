// Synthetic star fields for the photometry tests: a flat or sloped sky with
// Gaussian stars, and plain pixel sums computed without the engine.
#pragma once

#include <cmath>
#include <cstdint>

#include "image/Imgbuffer.h"

namespace vargaze::test {

// A 32-bit image of `width` x `height` filled with value(x, y).
template <typename F>
void fillImage(Timgbuffer& img, int width, int height, F value) {
  img.init(width, height, kPixel32);
  for (int y = 1; y <= height; ++y) {
    for (int x = 1; x <= width; ++x) img.putpixel(x, y, value(x, y));
  }
}

// Counts of a Gaussian star of total `flux` centred on (cx, cy) at pixel (x, y).
inline double gaussianStar(double cx, double cy, double flux, double sigma, int x, int y) {
  const double dx = x - cx;
  const double dy = y - cy;
  return flux / (2 * M_PI * sigma * sigma) * std::exp(-(dx * dx + dy * dy) / (2 * sigma * sigma));
}

// Sum of the pixels x1..x2, y1..y2 read straight from the storage.
inline std::int64_t plainSum(const Timgbuffer& img, int x1, int y1, int x2, int y2) {
  std::int64_t sum = 0;
  const std::int32_t* p = img.data32();
  for (int y = y1; y <= y2; ++y) {
    for (int x = x1; x <= x2; ++x) sum += p[(y - 1) * img.xsize + (x - 1)];
  }
  return sum;
}

}  // namespace vargaze::test
