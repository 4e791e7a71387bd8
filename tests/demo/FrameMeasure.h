// Plain measurements on a frame for the demo tests, written without the
// program's photometry so they check it independently.
#pragma once

#include <cmath>
#include <cstdint>

#include "image/Imgbuffer.h"

namespace vargaze::test {

inline double pixel(const Timgbuffer& img, int x, int y) {
  return img.data16()[std::size_t(y - 1) * std::size_t(img.xsize) + std::size_t(x - 1)];
}

// Mean of the pixels whose centres lie rIn..rOut from (cx, cy).
inline double annulusMean(const Timgbuffer& img, double cx, double cy, double rIn, double rOut) {
  double sum = 0.0;
  int n = 0;
  for (int y = 1; y <= img.ysize; ++y) {
    for (int x = 1; x <= img.xsize; ++x) {
      const double r = std::hypot(x - cx, y - cy);
      if (r >= rIn && r <= rOut) {
        sum += pixel(img, x, y);
        ++n;
      }
    }
  }
  return n > 0 ? sum / n : 0.0;
}

// Light of a star at (cx, cy) above the sky: the sum of a (2 half + 1)
// square box around its pixel minus the annulus sky (16..24 px) per pixel.
inline double starLight(const Timgbuffer& img, double cx, double cy, int half = 12) {
  const auto px = static_cast<int>(std::lround(cx));
  const auto py = static_cast<int>(std::lround(cy));
  const double sky = annulusMean(img, cx, cy, 16.0, 24.0);
  double sum = 0.0;
  for (int y = py - half; y <= py + half; ++y) {
    for (int x = px - half; x <= px + half; ++x) sum += pixel(img, x, y) - sky;
  }
  return sum;
}

// Sky-subtracted intensity-weighted centre of the star near (cx, cy).
inline void centroid(const Timgbuffer& img, double cx, double cy, double& x, double& y) {
  const auto px = static_cast<int>(std::lround(cx));
  const auto py = static_cast<int>(std::lround(cy));
  const double sky = annulusMean(img, cx, cy, 16.0, 24.0);
  double sum = 0.0, sx = 0.0, sy = 0.0;
  for (int j = py - 7; j <= py + 7; ++j) {
    for (int i = px - 7; i <= px + 7; ++i) {
      const double v = pixel(img, i, j) - sky;
      sum += v;
      sx += v * i;
      sy += v * j;
    }
  }
  x = sx / sum;
  y = sy / sum;
}

}  // namespace vargaze::test
