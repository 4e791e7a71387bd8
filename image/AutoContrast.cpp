// Automatic contrast levels from the 256-bin histogram.
#include "image/AutoContrast.h"

#include <array>
#include <cstddef>

#include "base/Numbers.h"

namespace vargaze {

TImgLevels SetimgLevels(const Timghistogram& hist, std::int32_t max, bool planet) {
  const auto& count = hist.data;
  const double s = hist.Scale;

  std::size_t peak = 0;
  for (std::size_t b = 1; b < count.size(); ++b) {
    if (count[b] > count[peak]) peak = b;
  }
  std::array<std::int64_t, 256> cumulative{};
  std::int64_t total = 0;
  for (std::size_t b = 0; b < count.size(); ++b) {
    total += count[b];
    cumulative[b] = total;
  }

  const double halfPeak = 0.5 * count[peak];
  std::size_t h = 0;
  while (h < count.size() && count[h] < halfPeak) ++h;  // the peak bin always qualifies
  if (h == 0) h = 1;

  TImgLevels levels;
  const double rise = static_cast<double>(count[h]) - count[h - 1];
  if (rise != 0.0) {
    const double crossing = (halfPeak - count[h - 1]) / rise + static_cast<double>(h - 1);
    levels.lower = roundToInt32(crossing / s);
    if (levels.lower < 0) levels.lower = 0;
  }

  std::size_t u = 0;
  for (std::size_t b = 1; b < count.size(); ++b) {
    if (static_cast<double>(cumulative[b]) > 0.9995 * static_cast<double>(total)) {
      u = b;
      break;
    }
  }
  levels.upper = roundToInt32(static_cast<double>(u) / s);

  // At least 2 % of the range above the black level, so the display never
  // collapses to a step.
  const std::int32_t span = roundToInt32((static_cast<double>(max) - levels.lower) * 0.02);
  if (std::int64_t{levels.upper} - levels.lower < span) levels.upper = levels.lower + span;
  if (planet) levels.upper = max;
  return levels;
}

TImgLevels SetimgLevels(Timgbuffer& img, bool planet) {
  Timghistogram hist;
  const std::int32_t max = img.getmaxpixelAndHistogram(hist);
  return SetimgLevels(hist, max, planet);
}

}  // namespace vargaze
