// Drift of the field from the track star.
#pragma once

#include <cstdint>

#include "image/Imgbuffer.h"
#include "photometry/RoiWindow.h"

namespace vargaze {

// Finds the track star near its stored position within `trackingRange`
// pixels and sets the image window's shift (Vx, Vy) to the star's centre
// minus that position; `shiftX`, `shiftY` receive the same values for the
// series' shift lists. False, with nothing changed, without a track star or
// when the search finds none.
bool GetTrackstarShift(const Timgbuffer& img, ImageWindowState& imgwin,
                       std::int32_t trackingRange, double& shiftX, double& shiftY);

}  // namespace vargaze
