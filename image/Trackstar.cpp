// Track-star search: tiles of smoothed, de-spiked values, candidates with
// enough contrast, the brightest isolated one, its weighted centre.
#include "image/Trackstar.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/Numbers.h"

namespace vargaze {

namespace {

// Tile contrast (vmax - vmin) / sqrt(vmax + vmin) that makes a candidate.
constexpr double kMinContrast = 10.0;
// Longest run read outward from the peak when measuring the star size.
constexpr int kMaxSizeRun = 20;
// Half-width of the square over which the weighted centre is taken.
constexpr int kCentreHalfWidth = 4;

struct Span {
  std::int32_t first = 0;
  std::int32_t last = -1;
};

struct Tile {
  Span x;
  Span y;
};

struct Candidate {  // a local peak: position and smoothed value
  std::int32_t xm = 0;
  std::int32_t ym = 0;
  std::int32_t vm = 0;
};

// A pixel more than five times brighter than its right (else lower)
// neighbour is a hot pixel and takes that neighbour's value.
std::int32_t despiked(const Timgbuffer& img, std::int32_t i, std::int32_t j) {
  const std::int32_t p = img.getpixel(i, j);
  const double limit = 0.2 * p;
  const std::int32_t right = img.getpixel(i + 1, j);
  if (limit > right) return right;
  const std::int32_t below = img.getpixel(i, j + 1);
  if (limit > below) return below;
  return p;
}

// De-spiked values of a tile widened by one pixel on every side, computed
// once so that each smoothed value is a mean of nine stored values.
class DespikedGrid {
 public:
  DespikedGrid(const Timgbuffer& img, const Tile& tile)
      : left_(tile.x.first - 1),
        top_(tile.y.first - 1),
        width_(static_cast<std::size_t>(tile.x.last - tile.x.first + 3)) {
    const auto height = static_cast<std::size_t>(tile.y.last - tile.y.first + 3);
    values_.resize(width_ * height);
    for (std::size_t r = 0; r < height; ++r) {
      for (std::size_t c = 0; c < width_; ++c) {
        values_[r * width_ + c] = despiked(img, left_ + static_cast<std::int32_t>(c),
                                           top_ + static_cast<std::int32_t>(r));
      }
    }
  }

  // Mean of the 3 x 3 de-spiked values around (x, y), rounded.
  std::int32_t smoothed(std::int32_t x, std::int32_t y) const {
    std::int64_t sum = 0;
    for (std::int32_t dy = -1; dy <= 1; ++dy) {
      for (std::int32_t dx = -1; dx <= 1; ++dx) sum += at(x + dx, y + dy);
    }
    return static_cast<std::int32_t>(roundHalfEven(static_cast<double>(sum) / 9.0));
  }

 private:
  std::int32_t at(std::int32_t x, std::int32_t y) const {
    return values_[static_cast<std::size_t>(y - top_) * width_ +
                   static_cast<std::size_t>(x - left_)];
  }

  std::int32_t left_;
  std::int32_t top_;
  std::size_t width_;
  std::vector<std::int32_t> values_;
};

// Cuts first..last to 2..size - 1, so the 3 x 3 neighbourhood stays inside.
Span clipped(std::int64_t first, std::int64_t last, std::int32_t size) {
  const std::int64_t a = std::max<std::int64_t>(2, first);
  const std::int64_t b = std::min<std::int64_t>(std::int64_t{size} - 1, last);
  if (a > b) return {};
  return {static_cast<std::int32_t>(a), static_cast<std::int32_t>(b)};
}

// The tile spans along one axis of the whole-image search.
std::vector<Span> wholeImageSpans(std::int32_t size, std::int32_t d0) {
  const std::int64_t width = 2 * std::int64_t{d0} + 1;
  const std::int64_t count =
      std::max<std::int64_t>(1, (std::int64_t{size} - 10 - (width - 1)) / (width - 1));
  std::vector<Span> spans;
  if (count == 1) {
    const Span only = clipped(10, std::int64_t{size} - 10, size);
    if (only.first <= only.last) spans.push_back(only);
    return spans;
  }
  for (std::int64_t k = 0; k < count; ++k) {
    const std::int64_t first = std::int64_t{d0} + 10 + k * width;
    const Span s = clipped(first, first + width - 1, size);
    if (s.first > s.last) break;  // this and every later tile lie beyond the image
    spans.push_back(s);
  }
  return spans;
}

std::vector<Tile> searchTiles(std::int32_t x0, std::int32_t y0, std::int32_t d0,
                              const Timgbuffer& img) {
  std::vector<Tile> tiles;
  if (x0 != 0 && y0 != 0 && d0 != 0) {
    const Tile t{clipped(std::int64_t{x0} - d0, std::int64_t{x0} + d0, img.xsize),
                 clipped(std::int64_t{y0} - d0, std::int64_t{y0} + d0, img.ysize)};
    if (t.x.first <= t.x.last && t.y.first <= t.y.last) tiles.push_back(t);
    return tiles;
  }
  if (d0 <= 0) return tiles;  // a whole-image search has no tiling without a size
  for (const Span& rows : wholeImageSpans(img.ysize, d0)) {
    for (const Span& columns : wholeImageSpans(img.xsize, d0)) tiles.push_back({columns, rows});
  }
  return tiles;
}

// Pixels read from the peak along one direction until one is at most half
// the peak value, the stopping pixel included.
int runLength(const Timgbuffer& img, const Candidate& star, int stepX, int stepY) {
  const double half = star.vm / 2.0;
  int read = 0;
  while (read < kMaxSizeRun) {
    const std::int32_t p = img.getpixel(star.xm + read * stepX, star.ym + read * stepY);
    ++read;
    if (p <= half) break;
  }
  return read;
}

// Largest raw value in the square of half-width d0 around the candidate,
// looking only at pixels farther than `radius` from it in both x and y; 0
// when there are none. Outside the image every pixel reads 0.
std::int32_t brightestNeighbour(const Timgbuffer& img, const Candidate& c, std::int32_t d0,
                                double radius) {
  std::int32_t q = 0;
  const std::int64_t x1 = std::max<std::int64_t>(1, std::int64_t{c.xm} - d0);
  const std::int64_t x2 = std::min<std::int64_t>(img.xsize, std::int64_t{c.xm} + d0);
  const std::int64_t y1 = std::max<std::int64_t>(1, std::int64_t{c.ym} - d0);
  const std::int64_t y2 = std::min<std::int64_t>(img.ysize, std::int64_t{c.ym} + d0);
  for (std::int64_t y = y1; y <= y2; ++y) {
    if (std::abs(static_cast<double>(y - c.ym)) <= radius) continue;
    for (std::int64_t x = x1; x <= x2; ++x) {
      if (std::abs(static_cast<double>(x - c.xm)) <= radius) continue;
      q = std::max(q, img.getpixel(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)));
    }
  }
  return q;
}

// Intensity-weighted centre of the 9 x 9 raw pixels around the peak; the
// peak itself when they sum to 0.
void weightedCentre(const Timgbuffer& img, std::int32_t xm, std::int32_t ym, double& xt,
                    double& yt) {
  std::int64_t sum = 0, sumX = 0, sumY = 0;
  for (std::int32_t y = std::max(1, ym - kCentreHalfWidth);
       y <= std::min(img.ysize, ym + kCentreHalfWidth); ++y) {
    for (std::int32_t x = std::max(1, xm - kCentreHalfWidth);
         x <= std::min(img.xsize, xm + kCentreHalfWidth); ++x) {
      const std::int64_t p = img.getpixel(x, y);
      sum += p;
      sumX += x * p;
      sumY += y * p;
    }
  }
  if (sum == 0) {
    xt = xm;
    yt = ym;
    return;
  }
  xt = static_cast<double>(sumX) / static_cast<double>(sum);
  yt = static_cast<double>(sumY) / static_cast<double>(sum);
}

}  // namespace

bool GetTrackstarcenter(std::int32_t x0, std::int32_t y0, std::int32_t d0, const Timgbuffer& imgccd,
                        std::int32_t& xm, std::int32_t& ym, std::int32_t& vmin, std::int32_t& vmax,
                        std::int32_t& vmean, double& xt, double& yt) {
  std::vector<Candidate> candidates;
  std::int64_t total = 0;
  for (const Tile& tile : searchTiles(x0, y0, d0, imgccd)) {
    const DespikedGrid grid(imgccd, tile);
    vmin = 65535;
    vmax = 0;
    for (std::int32_t x = tile.x.first; x <= tile.x.last; ++x) {
      for (std::int32_t y = tile.y.first; y <= tile.y.last; ++y) {
        const std::int32_t s = grid.smoothed(x, y);
        total += s;
        if (s > vmax) {
          xm = x;
          ym = y;
          vmax = s;
        }
        if (s < vmin) vmin = s;
      }
    }
    const double level = static_cast<double>(vmax) + vmin;
    if (level > 0 && (static_cast<double>(vmax) - vmin) / std::sqrt(level) >= kMinContrast) {
      candidates.push_back({xm, ym, vmax});
    }
  }
  if (candidates.empty()) return false;

  Candidate chosen = candidates.front();
  for (const Candidate& c : candidates) {
    if (c.vm > chosen.vm) chosen = c;
  }
  const int dx = runLength(imgccd, chosen, 1, 0);
  const int dy = runLength(imgccd, chosen, 0, 1);
  const double radius = 1.5 * std::max(2, std::min(dx, dy));
  const std::int32_t brightLimit = chosen.vm / 2;
  for (const Candidate& c : candidates) {
    if (c.vm > brightLimit && 0.5 * c.vm > brightestNeighbour(imgccd, c, d0, radius)) {
      chosen = c;
      break;
    }
  }
  xm = chosen.xm;
  ym = chosen.ym;
  vmax = chosen.vm;
  vmean = roundToInt32(static_cast<double>(total) / static_cast<double>(imgccd.pixelCount()));
  weightedCentre(imgccd, xm, ym, xt, yt);
  return true;
}

}  // namespace vargaze
