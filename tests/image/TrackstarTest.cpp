// Track-star search: finding a star and its centre, hot pixels, the contrast
// threshold, the isolation choice, whole-image tiling and the image edges.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "image/Trackstar.h"

namespace vargaze {
namespace {

Timgbuffer field(std::int32_t width, std::int32_t height, std::int32_t background) {
  Timgbuffer img;
  EXPECT_EQ(img.init(width, height, kPixel32), 0);
  for (std::int32_t y = 1; y <= height; ++y) {
    for (std::int32_t x = 1; x <= width; ++x) img.putpixel(x, y, background);
  }
  return img;
}

// A compact star: 2000 at the peak, 1200 beside it, 800 on the diagonals.
// On a background of 500 none of its pixels counts as a hot pixel.
void addStar(Timgbuffer& img, std::int32_t x, std::int32_t y) {
  const std::int32_t profile[3][3] = {{800, 1200, 800}, {1200, 2000, 1200}, {800, 1200, 800}};
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) img.putpixel(x + dx, y + dy, profile[dy + 1][dx + 1]);
  }
}
constexpr std::int32_t kStarSmoothedPeak = 1111;  // round(10000 / 9)

// The smoothed value written out from its definition, pixel by pixel.
std::int32_t plainSmoothed(const Timgbuffer& img, std::int32_t x, std::int32_t y) {
  std::int64_t sum = 0;
  for (std::int32_t j = y - 1; j <= y + 1; ++j) {
    for (std::int32_t i = x - 1; i <= x + 1; ++i) {
      const std::int32_t p = img.getpixel(i, j);
      std::int32_t v = p;
      if (0.2 * p > img.getpixel(i + 1, j)) {
        v = img.getpixel(i + 1, j);
      } else if (0.2 * p > img.getpixel(i, j + 1)) {
        v = img.getpixel(i, j + 1);
      }
      sum += v;
    }
  }
  return static_cast<std::int32_t>(std::nearbyint(static_cast<double>(sum) / 9.0));
}

struct Search {
  bool found = false;
  std::int32_t xm = -1, ym = -1, vmin = -1, vmax = -1, vmean = -1;
  double xt = -7.0, yt = -7.0;
};

Search search(const Timgbuffer& img, std::int32_t x0, std::int32_t y0, std::int32_t d0) {
  Search s;
  s.found = GetTrackstarcenter(x0, y0, d0, img, s.xm, s.ym, s.vmin, s.vmax, s.vmean, s.xt, s.yt);
  return s;
}

TEST(Trackstar, FindsStarPeakAndCentre) {
  // A round star centred at (50.3, 40.0) on a background of 100.
  Timgbuffer img = field(100, 80, 100);
  for (std::int32_t y = 30; y <= 50; ++y) {
    for (std::int32_t x = 40; x <= 60; ++x) {
      const double r2 = (x - 50.3) * (x - 50.3) + (y - 40.0) * (y - 40.0);
      img.putpixel(x, y,
                   100 + static_cast<std::int32_t>(std::nearbyint(900 * std::exp(-r2 / 4.5))));
    }
  }
  const Search s = search(img, 45, 45, 15);
  ASSERT_TRUE(s.found);
  EXPECT_EQ(s.xm, 50);
  EXPECT_EQ(s.ym, 40);
  EXPECT_EQ(s.vmax, plainSmoothed(img, 50, 40));
  EXPECT_EQ(s.vmin, 100);
  EXPECT_NEAR(s.xt, 50.3, 1.0);
  EXPECT_NEAR(s.yt, 40.0, 1.0);

  // The centre: raw-value weights over the 9 x 9 pixels around the peak.
  double sum = 0, sumX = 0, sumY = 0;
  for (std::int32_t y = 36; y <= 44; ++y) {
    for (std::int32_t x = 46; x <= 54; ++x) {
      sum += img.getpixel(x, y);
      sumX += x * img.getpixel(x, y);
      sumY += y * img.getpixel(x, y);
    }
  }
  EXPECT_DOUBLE_EQ(s.xt, sumX / sum);
  EXPECT_DOUBLE_EQ(s.yt, sumY / sum);

  // vmean: every smoothed value of the searched square over the whole image.
  std::int64_t total = 0;
  for (std::int32_t x = 30; x <= 60; ++x) {
    for (std::int32_t y = 30; y <= 60; ++y) total += plainSmoothed(img, x, y);
  }
  EXPECT_EQ(s.vmean, std::nearbyint(static_cast<double>(total) / 8000.0));
}

TEST(Trackstar, HotPixelIsNoStar) {
  Timgbuffer img = field(60, 60, 100);
  img.putpixel(30, 30, 5000);
  const Search s = search(img, 30, 30, 15);
  EXPECT_FALSE(s.found);
  EXPECT_EQ(s.vmax, 100);  // replaced by its neighbour before smoothing
  EXPECT_EQ(s.vmin, 100);
  EXPECT_EQ(s.xt, -7.0);  // not set on failure
  EXPECT_EQ(s.vmean, -1);
}

TEST(Trackstar, HotPixelDoesNotOutshineARealStar) {
  Timgbuffer img = field(120, 120, 500);
  addStar(img, 40, 40);
  img.putpixel(80, 80, 60000);
  const Search s = search(img, 0, 0, 10);
  ASSERT_TRUE(s.found);
  EXPECT_EQ(s.xm, 40);
  EXPECT_EQ(s.ym, 40);
  EXPECT_EQ(s.vmax, kStarSmoothedPeak);
  EXPECT_DOUBLE_EQ(s.xt, 40.0);  // symmetric star on an even background
  EXPECT_DOUBLE_EQ(s.yt, 40.0);
}

TEST(Trackstar, ContrastThresholdOfTen) {
  // A 3 x 3 plateau on 100: (vmax - 100) / sqrt(vmax + 100) must reach 10.
  auto plateau = [](std::int32_t level) {
    Timgbuffer img = field(60, 60, 100);
    for (std::int32_t y = 29; y <= 31; ++y) {
      for (std::int32_t x = 29; x <= 31; ++x) img.putpixel(x, y, level);
    }
    return search(img, 30, 30, 15);
  };
  const Search low = plateau(150);  // 50 / sqrt(250) = 3.2
  EXPECT_FALSE(low.found);
  EXPECT_EQ(low.vmax, 150);
  EXPECT_EQ(low.vmin, 100);
  EXPECT_FALSE(plateau(299).found);  // 199 / sqrt(399) = 9.96

  const Search edge = plateau(300);  // 200 / sqrt(400) = 10 exactly
  ASSERT_TRUE(edge.found);
  EXPECT_EQ(edge.xm, 30);
  EXPECT_EQ(edge.ym, 30);
}

TEST(Trackstar, IsolatedStarWinsOverBrighterNeighbourhood) {
  // A and B are equally bright; A has a companion 6 pixels off diagonally,
  // beyond 1.5 r = 4.5 in x and y but within d0 = 10. A comes first in scan
  // order, yet B is chosen.
  Timgbuffer img = field(200, 200, 500);
  addStar(img, 50, 50);
  addStar(img, 56, 56);
  addStar(img, 150, 150);
  const Search s = search(img, 0, 0, 10);
  ASSERT_TRUE(s.found);
  EXPECT_EQ(s.xm, 150);
  EXPECT_EQ(s.ym, 150);
  EXPECT_EQ(s.vmax, kStarSmoothedPeak);
}

TEST(Trackstar, EqualIsolatedStarsFirstTileRowWins) {
  // Tile rows run top to bottom: (150, 50) is scanned before (50, 150).
  Timgbuffer img = field(200, 200, 500);
  addStar(img, 50, 150);
  addStar(img, 150, 50);
  const Search s = search(img, 0, 0, 10);
  ASSERT_TRUE(s.found);
  EXPECT_EQ(s.xm, 150);
  EXPECT_EQ(s.ym, 50);
}

TEST(Trackstar, SearchWindowIsCutAtTheEdges) {
  Timgbuffer img = field(40, 40, 500);
  addStar(img, 1, 20);  // its peak column is no search position
  const Search left = search(img, 5, 20, 15);
  ASSERT_TRUE(left.found);
  EXPECT_EQ(left.xm, 2);
  EXPECT_EQ(left.ym, 20);
  EXPECT_EQ(left.vmax, plainSmoothed(img, 2, 20));

  Timgbuffer right = field(40, 40, 500);
  addStar(right, 38, 20);
  const Search s = search(right, 30, 20, 15);  // window 15..45 cut at 39
  ASSERT_TRUE(s.found);
  EXPECT_EQ(s.xm, 38);
  EXPECT_EQ(s.ym, 20);
  // Centre window 34..42 holds columns 34..40 only.
  EXPECT_NEAR(s.xt, 1374500.0 / 37000.0, 1e-9);
  EXPECT_DOUBLE_EQ(s.yt, 20.0);
}

TEST(Trackstar, SingleTileCoversTenToSizeMinusTen) {
  // 40 pixels and d0 = 15 leave room for one tile: columns and lines 10..30.
  Timgbuffer inside = field(40, 40, 500);
  addStar(inside, 25, 20);
  const Search s = search(inside, 0, 0, 15);
  ASSERT_TRUE(s.found);
  EXPECT_EQ(s.xm, 25);

  Timgbuffer outside = field(40, 40, 500);
  addStar(outside, 35, 20);
  EXPECT_FALSE(search(outside, 0, 0, 15).found);
}

TEST(Trackstar, LastTileIsClippedAtTheImage) {
  // d0 = 2 on 60 pixels: eleven tiles from column 12, the tenth 57..61 cut
  // to 57..59 and the eleventh beyond the image.
  Timgbuffer img = field(60, 60, 500);
  addStar(img, 58, 30);
  const Search s = search(img, 0, 0, 2);
  ASSERT_TRUE(s.found);
  EXPECT_EQ(s.xm, 58);
  EXPECT_EQ(s.ym, 30);
}

TEST(Trackstar, WholeImageSearchNeedsATileSize) {
  Timgbuffer img = field(100, 100, 500);
  addStar(img, 50, 50);
  EXPECT_FALSE(search(img, 0, 0, 0).found);
  EXPECT_FALSE(search(img, 0, 0, -5).found);
  EXPECT_FALSE(search(Timgbuffer{}, 0, 0, 10).found);
}

}  // namespace
}  // namespace vargaze
