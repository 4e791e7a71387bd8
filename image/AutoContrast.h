// Automatic contrast: black and white display levels from the histogram of a
// frame. The black level sits where the histogram first reaches half its
// peak (the rising side of the sky), the white level where 99.95 % of the
// pixels lie below.
#pragma once

#include <cstdint>

#include "image/Imgbuffer.h"

namespace vargaze {

struct TImgLevels {
  std::int32_t lower = 0;
  std::int32_t upper = 0;
};

// The levels of a histogram taken with getHistogram(max): bin b stands for
// the pixel value b / hist.Scale. `planet` puts the white level at `max`.
// When the half-peak bin holds as many pixels as the bin below it, the
// crossing cannot be interpolated and the black level is 0.
TImgLevels SetimgLevels(const Timghistogram& hist, std::int32_t max, bool planet);

// The same for a frame: max := getmaxpixel (which also refreshes bufferMax),
// then the histogram of the whole frame (getmaxpixelAndHistogram).
TImgLevels SetimgLevels(Timgbuffer& img, bool planet);

}  // namespace vargaze
