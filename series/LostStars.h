// After a light-curve run: the comparison and check stars the run lost. A
// field that drifted or was dithered out of the boxes shows as frames where
// such a star has no magnitude or jumps away from its usual brightness; the
// variable's magnitudes are then worthless although the run completed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "photometry/Roi.h"
#include "series/CurveArrays.h"

namespace vargaze {

// Farther than this from its median over the run, a steady star is taken as lost.
inline constexpr double kLostStarDeviation = 0.5;

struct LostStar {
  std::int32_t roi = 0;  // 1-based ROI number
  std::string name;
  std::vector<std::int32_t> frames;  // 1-based frame numbers, ascending
};

// The comparison and check stars (fixed ROIs left out) with the frames of
// the curve where they gave no magnitude or deviate from their own median
// magnitude by more than kLostStarDeviation.
std::vector<LostStar> findLostStars(const std::vector<TRoi1>& rois, const CurveArrays& curve);

// One message listing them per ROI, with what may help; empty when none.
std::string lostStarsMessage(const std::vector<LostStar>& lost);

}  // namespace vargaze
