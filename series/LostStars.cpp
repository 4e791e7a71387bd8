#include "series/LostStars.h"

#include <algorithm>
#include <cmath>

#include "base/Numbers.h"

namespace vargaze {

namespace {

bool isSteadyStar(const TRoi1& roi) {
  return !roi.isFixed() && roi.starType() != kStarVar;
}

double median(std::vector<float> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (static_cast<double>(values[n / 2 - 1]) + values[n / 2]) / 2;
}

// "2, 5-8, 11": runs of consecutive frames joined.
std::string frameList(const std::vector<std::int32_t>& frames) {
  std::string text;
  for (std::size_t i = 0; i < frames.size();) {
    std::size_t end = i;
    while (end + 1 < frames.size() && frames[end + 1] == frames[end] + 1) ++end;
    if (!text.empty()) text += ", ";
    text += std::to_string(frames[i]);
    if (end > i) text += "-" + std::to_string(frames[end]);
    i = end + 1;
  }
  return text;
}

}  // namespace

std::vector<LostStar> findLostStars(const std::vector<TRoi1>& rois, const CurveArrays& curve) {
  const auto frames = static_cast<std::size_t>(std::max(curve.NumCurvePoints, 0));
  std::vector<LostStar> lost;
  for (std::size_t r = 0; r < rois.size(); ++r) {
    if (!isSteadyStar(rois[r])) continue;
    std::vector<float> measured;
    for (std::size_t f = 0; f < frames; ++f) {
      if (curve.mag(f, r) < kNoMagnitude) measured.push_back(curve.mag(f, r));
    }
    const double centre = measured.empty() ? 0.0 : median(measured);
    LostStar star{static_cast<std::int32_t>(r + 1), rois[r].Name, {}};
    for (std::size_t f = 0; f < frames; ++f) {
      const float m = curve.mag(f, r);
      if (m >= kNoMagnitude || std::fabs(m - centre) > kLostStarDeviation) {
        star.frames.push_back(static_cast<std::int32_t>(f + 1));
      }
    }
    if (!star.frames.empty()) lost.push_back(std::move(star));
  }
  return lost;
}

std::string lostStarsMessage(const std::vector<LostStar>& lost) {
  if (lost.empty()) return {};
  std::string text =
      "Sterne außerhalb ihrer ROI? Vergleichs- oder Kontrollsterne ohne Helligkeit oder mehr als " +
      formatFixed(kLostStarDeviation, 1) + " mag von ihrem Median entfernt:\n";
  for (const LostStar& star : lost) {
    text += "ROI " + std::to_string(star.roi);
    if (!star.name.empty()) text += " (" + star.name + ")";
    text += star.frames.size() == 1 ? ": Bild " : ": Bilder ";
    text += frameList(star.frames) + "\n";
  }
  return text + "Ein Track-Stern oder ein größerer Tracking range kann helfen.";
}

}  // namespace vargaze
