// The star search: medians, the window grid and the ROIs it creates.
#include "photometry/StarFinder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <vector>

#include "base/Numbers.h"
#include "photometry/RoiWindow.h"

namespace vargaze {

std::int32_t getMedian(const Timgbuffer& img, std::int32_t x, std::int32_t y) {
  std::array<std::int32_t, 9> values{};
  std::size_t n = 0;
  for (std::int32_t i = x - 1; i <= x + 1; ++i) {
    for (std::int32_t j = y - 1; j <= y + 1; ++j) values[n++] = img.getpixel(i, j);
  }
  std::nth_element(values.begin(), values.begin() + 4, values.end());
  return values[4];
}

namespace {

// Medians of image rows over the scanned columns. Neighbouring windows
// overlap by half in both directions, so each median is computed once here
// instead of four times.
class MedianRows {
 public:
  MedianRows(const Timgbuffer& img, std::int32_t xFirst, std::int32_t xLast)
      : img_(img), xFirst_(xFirst), xLast_(xLast) {}

  std::int32_t at(std::int32_t x, std::int32_t y) {
    auto it = rows_.find(y);
    if (it == rows_.end()) {
      std::vector<std::int32_t> row;
      row.reserve(static_cast<std::size_t>(xLast_ - xFirst_ + 1));
      for (std::int32_t i = xFirst_; i <= xLast_; ++i) row.push_back(getMedian(img_, i, y));
      it = rows_.emplace(y, std::move(row)).first;
    }
    return it->second[static_cast<std::size_t>(x - xFirst_)];
  }

  // Rows above `y` are not needed again.
  void dropBefore(std::int32_t y) { rows_.erase(rows_.begin(), rows_.lower_bound(y)); }

 private:
  const Timgbuffer& img_;
  std::int32_t xFirst_;
  std::int32_t xLast_;
  std::map<std::int32_t, std::vector<std::int32_t>> rows_;
};

// Window corners and counts of the scan.
struct Grid {
  std::int32_t left = 0;  // left column of the first window
  std::int32_t top = 0;   // top row of the first window
  std::int32_t columns = 0;
  std::int32_t rows = 0;
};

Grid makeGrid(const Timgbuffer& img, std::int32_t s, const std::optional<ImageRect>& rect) {
  Grid g;
  if (!rect) {
    g.left = s;
    g.top = s;
    g.columns = img.xsize / s - 2;
    g.rows = img.ysize / s - 2;
    return g;
  }
  const std::int32_t left = std::clamp(std::min(rect->left, rect->right), 0, img.xsize);
  const std::int32_t right = std::clamp(std::max(rect->left, rect->right), 0, img.xsize);
  const std::int32_t top = std::clamp(std::min(rect->top, rect->bottom), 0, img.ysize);
  const std::int32_t bottom = std::clamp(std::max(rect->top, rect->bottom), 0, img.ysize);
  g.left = left + s;
  g.top = top + s;
  g.columns = (right - left) / s - 2;
  g.rows = (bottom - top) / s - 2;
  return g;
}

struct Peak {
  std::int32_t value = 0;
  std::int32_t x = 0;
  std::int32_t y = 0;
};

// The brightest median of the window at (x0, y0); the first in scanning
// order (column by column) wins.
Peak windowPeak(MedianRows& medians, std::int32_t x0, std::int32_t y0, std::int32_t w) {
  Peak p;
  for (std::int32_t x = x0; x < x0 + w; ++x) {
    for (std::int32_t y = y0; y < y0 + w; ++y) {
      const std::int32_t v = medians.at(x, y);
      if (v > p.value) p = Peak{v, x, y};
    }
  }
  return p;
}

// A box that counts nothing (or less) has no signal-to-noise ratio at all.
bool reachesMinimumSN(const TRoi1& r, double gain, std::int32_t minimumSN) {
  if (r.acounts <= 0) return false;
  const double sn = roundHalfEven(std::sqrt(gain) * static_cast<double>(r.net()) /
                                  std::sqrt(static_cast<double>(r.acounts)));
  return sn >= minimumSN;
}

class ProgressGuard {
 public:
  // The search is stopped from its own dialog, so the bar has no cancel button.
  ProgressGuard(UiPort& ui, int steps) : ui_(ui) { ui_.progressStart(steps, "Sternsuche..", ""); }
  ~ProgressGuard() { ui_.progressStop(); }
  ProgressGuard(const ProgressGuard&) = delete;
  ProgressGuard& operator=(const ProgressGuard&) = delete;

 private:
  UiPort& ui_;
};

}  // namespace

std::int32_t FindStars(RoiWindow& win, const Timgbuffer& img, std::int32_t minintensity,
                       std::int32_t minimumSN, std::int32_t maxintensity,
                       const std::optional<ImageRect>& rect) {
  const std::int32_t s = win.ROIsizeEdit.value;
  if (s < 1) return 0;
  const std::int32_t w = 2 * s;
  const std::int32_t hs = s / 2;
  const double gain =
      win.settings().ElectronsPerCount > 0 ? win.settings().ElectronsPerCount : 2.0;
  const Grid grid = makeGrid(img, s, rect);
  if (grid.rows < 1 || grid.columns < 1) return 0;

  UiPort& ui = win.ui();
  ProgressGuard progress(ui, grid.rows);
  MedianRows medians(img, grid.left, grid.left + (grid.columns + 1) * s - 1);
  std::int32_t count = 0;
  for (std::int32_t row = 0; row < grid.rows; ++row) {
    const std::int32_t y0 = grid.top + row * s;
    medians.dropBefore(y0);
    for (std::int32_t column = 0; column < grid.columns; ++column) {
      const std::int32_t x0 = grid.left + column * s;
      const Peak p = windowPeak(medians, x0, y0, w);
      if (p.value <= minintensity || p.value > maxintensity) continue;
      // A peak near the window's border belongs to the neighbouring window.
      if (p.x < x0 + hs || p.x >= x0 + w - hs || p.y < y0 + hs || p.y >= y0 + w - hs) continue;
      // The image window's positions are 0-based. Overlapping windows see the
      // same star, so a star already marked, also by this search, is skipped,
      // and so is a new ROI that centring moved onto a marked star.
      if (win.ROIfound(p.x - 1, p.y - 1, win.count()) != -1) continue;
      const std::int32_t index = win.Newroi(p.x - 1, p.y - 1);
      win.BGROI1(index, p.x - 1, p.y - 1);
      TRoi1& added = win.roi(index);
      win.GetROICounts(added);
      const bool duplicate = win.ROIfound(added.xa - 1, added.ya - 1, index - 1) != -1;
      if (!duplicate && reachesMinimumSN(added, gain, minimumSN)) {
        ++count;
      } else {
        win.DeleteROI(index);
      }
    }
    ui.progressStep();
    ui.processEvents();
    if (ui.cancelRequested()) break;
  }
  return count;
}

}  // namespace vargaze
