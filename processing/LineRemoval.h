// "Zeilenartefakte eliminieren": the image in memory loses the sky plane
// fitted through the ROIs (its level stays as pedestal), then every row is
// brought to the common background level, which removes horizontal stripes.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "base/UiPort.h"
#include "image/Imgbuffer.h"
#include "photometry/Roi.h"
#include "processing/PlaneFit.h"
#include "series/Series.h"

namespace vargaze {

// Rows with at most this many sky pixels are left as they are.
inline constexpr std::int64_t kMinSkyPixelsPerRow = 6;

struct LineLevels {
  double threshold = 0.0;                         // pixels below it count as sky
  std::vector<std::optional<std::int64_t>> rows;  // row y at index y - 1; none: unusable
  std::int64_t common = 0;                        // mean of the usable row levels, truncated
};

// Sky threshold of an image re-levelled with pedestal P: 2 * SD + P with the
// noise SD = sqrt(a / 1.51 + 225). A plane below zero at the origin (a < 0)
// carries no photon noise, so only the floor remains: SD = 15.
double skyThreshold(float a, std::int64_t pedestal);

// Per row: the truncated mean of the pixels below `threshold` when more than
// 5 of them exist, else unusable. The table has one entry per row of the
// image, whatever its height.
LineLevels measureRowLevels(const Timgbuffer& img, double threshold);

// Every pixel of a usable row: v - row level + common level, clamped to the
// pixel type (0 at the bottom). Unusable rows stay as they are.
void levelRows(Timgbuffer& img, const LineLevels& levels);

// Plane removal with pedestal round(|a|), then the row levelling; Offset1
// becomes 0. Fewer than 4 background samples among `rois`: "zu wenig
// Messpunkte" and false, the image unchanged.
bool EliminateLines(Timgbuffer& img, const std::vector<TRoi1>& rois, UiPort& ui);

// The command on the series' image and its ROIs as they stand (no new
// measurement), with the display levels refreshed. "Kein Bild geladen" and
// "Kein Background definiert." refuse it, and so does a run that owns the
// frame; the result is not saved.
bool EliminateLinesClick(Series& series);

}  // namespace vargaze
