// Track-star search: a bright, isolated star near a given position or
// anywhere in the frame, whose centre the tracking follows from frame to
// frame. Works through getpixel only, so any pixel type serves.
#pragma once

#include <cstdint>

#include "image/Imgbuffer.h"

namespace vargaze {

// Searches around (x0, y0) within the half-width d0 when x0, y0 and d0 are all
// non-zero, else the whole image in tiles of 2 * d0 + 1 pixels (d0 must then
// be positive; the search fails otherwise). Positions are 1-based pixels.
//
// On success (true): xm, ym the peak of the chosen star, vmax its smoothed
// peak value, vmin the smallest smoothed value of the last tile scanned, vmean
// the sum of all smoothed values computed divided by xsize * ysize, and xt,
// yt the intensity-weighted centre over the 9 x 9 pixels around the peak.
// On failure xm, ym, vmin, vmax keep what the last tile scanned left in them
// and vmean, xt, yt are untouched.
//
// Tiles are cut at column and line 2 and at xsize - 1, ysize - 1; a tile that
// lies wholly beyond the image is not scanned.
bool GetTrackstarcenter(std::int32_t x0, std::int32_t y0, std::int32_t d0, const Timgbuffer& imgccd,
                        std::int32_t& xm, std::int32_t& ym, std::int32_t& vmin, std::int32_t& vmax,
                        std::int32_t& vmean, double& xt, double& yt);

}  // namespace vargaze
