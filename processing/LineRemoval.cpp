// Removal of horizontal line artefacts by row levelling.
#include "processing/LineRemoval.h"

#include <algorithm>
#include <cmath>

#include "base/Numbers.h"
#include "processing/Background.h"

namespace vargaze {

double skyThreshold(float a, std::int64_t pedestal) {
  const double photon = std::max(static_cast<double>(a), 0.0) / 1.51;
  const double sd = std::sqrt(photon + 225.0);
  return 2.0 * sd + static_cast<double>(pedestal);
}

LineLevels measureRowLevels(const Timgbuffer& img, double threshold) {
  LineLevels levels;
  levels.threshold = threshold;
  levels.rows.assign(static_cast<std::size_t>(std::max(img.ysize, 0)), std::nullopt);
  std::int64_t levelSum = 0;
  std::int64_t usable = 0;
  for (std::int32_t y = 1; y <= img.ysize; ++y) {
    std::int64_t sum = 0;
    std::int64_t count = 0;
    for (std::int32_t x = 1; x <= img.xsize; ++x) {
      const std::int32_t v = img.getpixel(x, y);
      if (v < threshold) {
        sum += v;
        ++count;
      }
    }
    if (count < kMinSkyPixelsPerRow) continue;
    const std::int64_t level = sum / count;
    levels.rows[static_cast<std::size_t>(y - 1)] = level;
    levelSum += level;
    ++usable;
  }
  levels.common = usable > 0 ? levelSum / usable : 0;
  return levels;
}

void levelRows(Timgbuffer& img, const LineLevels& levels) {
  const std::int64_t typeMax = pixelTypeMax(img);
  for (std::int32_t y = 1; y <= img.ysize; ++y) {
    const std::optional<std::int64_t> level = levels.rows.at(static_cast<std::size_t>(y - 1));
    if (!level) continue;
    for (std::int32_t x = 1; x <= img.xsize; ++x) {
      putClamped(img, x, y, img.getpixel(x, y) - *level + levels.common, typeMax);
    }
  }
}

bool EliminateLines(Timgbuffer& img, const std::vector<TRoi1>& rois, UiPort& ui) {
  const auto plane = fitPlane(backgroundSamples(rois));
  if (!plane) {
    ui.showMessage("zu wenig Messpunkte");
    return false;
  }
  const std::int64_t pedestal = roundToInt64(std::fabs(static_cast<double>(plane->a)));
  removePlane(img, *plane, pedestal);
  levelRows(img, measureRowLevels(img, skyThreshold(plane->a, pedestal)));
  return true;
}

bool EliminateLinesClick(Series& series) {
  if (series.runActive) return false;
  if (!series.imageLoaded || !series.img || !series.img->hasImage()) {
    series.ui().showMessage("Kein Bild geladen");
    return false;
  }
  if (series.roiWindow().count() == 0) {
    series.ui().showMessage("Kein Background definiert.");
    return false;
  }
  if (!EliminateLines(*series.img, series.roiWindow().ROIlist, series.ui())) return false;
  showRelevelledImage(series);
  return true;
}

}  // namespace vargaze
