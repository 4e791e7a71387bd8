// The star marker command: background and thresholds from the histogram,
// then the search with the dialog's values.
#include <algorithm>
#include <cmath>
#include <string>

#include "base/Errors.h"
#include "base/Numbers.h"
#include "photometry/RoiWindow.h"
#include "photometry/StarFinder.h"

namespace vargaze {

namespace {

const Timgbuffer* loadedImage(RoiWindow& win) {
  const Timgbuffer* img = win.image();
  if (img == nullptr || !img->hasImage()) {
    win.ui().showMessage("Kein Bild geladen");
    return nullptr;
  }
  return img;
}

}  // namespace

Timghistogram starfindHistogram(const Timgbuffer& img) {
  Timghistogram hist;
  // An unset bufferMax (0 or below) makes the histogram find the maximum itself.
  img.getHistogram(img.bufferMax > 0 ? img.bufferMax : 0, hist);
  return hist;
}

std::int32_t histogramBackground(const Timghistogram& hist) {
  const auto fullest = std::max_element(hist.data.begin(), hist.data.end());
  const auto bin = static_cast<double>(fullest - hist.data.begin());
  return roundToInt32(bin / static_cast<double>(hist.Scale));
}

StarThresholds starThresholds(std::int32_t bg, double gain, std::int32_t maxcounts) {
  const double g = gain > 0 ? gain : 2.0;
  const double background = bg;
  const double range = static_cast<double>(maxcounts) - background;
  StarThresholds t;
  t.t1 = roundToInt32(background + 10.0 * std::sqrt(std::max(background, 0.0) / g));
  t.t2 = std::max(t.t1, roundToInt32(background + 0.03 * range));
  t.t3 = std::max(t.t2, roundToInt32(background + 0.1 * range));
  if (t.t1 >= maxcounts) t.t2 = t.t3 = t.t1;
  return t;
}

std::int32_t thresholdFor(const StarThresholds& thresholds, std::int32_t sensitivity) {
  switch (sensitivity) {
    case 0: return thresholds.t3;
    case 1: return thresholds.t2;
    case 2: return thresholds.t1;
    default: throw RangeError("star finder sensitivity " + std::to_string(sensitivity));
  }
}

bool prepareFindstars(RoiWindow& win, StarfindDialog& dialog) {
  const Timgbuffer* img = loadedImage(win);
  if (img == nullptr) return false;
  dialog.MaxcountEdit.set(starfindHistogram(*img).Max);
  return true;
}

std::optional<std::int32_t> searchStars(RoiWindow& win, const StarfindDialog& dialog,
                                        const std::optional<ImageRect>& rect) {
  const Timgbuffer* img = loadedImage(win);
  if (img == nullptr) return std::nullopt;
  const std::int32_t maxcounts = dialog.MaxcountEdit.value;
  const std::int32_t bg = histogramBackground(starfindHistogram(*img));
  const StarThresholds thresholds =
      starThresholds(bg, win.settings().ElectronsPerCount, maxcounts);
  return FindStars(win, *img, thresholdFor(thresholds, dialog.sensitivity),
                   dialog.MinSNEdit.value, maxcounts, rect);
}

void reportStarsFound(UiPort& ui, std::int32_t count) {
  ui.showMessage(std::to_string(count) + " Sterne gefunden");
}

std::int32_t findstars(RoiWindow& win, const StarfindDialog& dialog,
                       const std::optional<ImageRect>& rect) {
  const std::optional<std::int32_t> count = searchStars(win, dialog, rect);
  if (!count) return 0;
  reportStarsFound(win.ui(), *count);
  return *count;
}

}  // namespace vargaze
