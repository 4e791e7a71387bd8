#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <tuple>
#include <vector>

#include "image/Trackstar.h"

namespace vargaze {
namespace {

Timgbuffer field(std::int32_t size, std::int32_t background) {
  Timgbuffer img;
  EXPECT_EQ(img.init(size, size, kPixel32), 0);
  std::fill_n(img.data32(), img.pixelCount(), background);
  return img;
}

// A compact star: 2000 at the peak, 1200 beside it, 800 on the diagonals,
// 10000 in all. On a background of 500 none of its pixels counts as a hot
// pixel, and its smoothed peak is round(10000 / 9) = 1111.
void addStar(Timgbuffer& img, std::int32_t x, std::int32_t y) {
  const std::int32_t profile[3][3] = {{800, 1200, 800}, {1200, 2000, 1200}, {800, 1200, 800}};
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) img.putpixel(x + dx, y + dy, profile[dy + 1][dx + 1]);
  }
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

TEST(Trackstar, StarsOnAnEvenBackground) {
  const struct {
    const char* why;
    std::int32_t size;
    std::vector<std::array<std::int32_t, 2>> stars;
    std::vector<std::array<std::int32_t, 3>> pixels;  // x, y, value
    std::int32_t x0, y0, d0;
    bool found;
    std::int32_t xm, ym, vmax;
    double xt, yt;
  } cases[] = {
      // A symmetric star: the centre is its peak. A hot pixel is despiked away.
      {"hot pixel", 120, {{40, 40}}, {{80, 80, 60000}}, 0, 0, 10, true, 40, 40, 1111, 40, 40},
      // Centre over 9 x 9 pixels: 500 more at (34, 30) counts, at (35, 30) not:
      // 30 + 4 * 500 / (81 * 500 + 10000 - 9 * 500 + 500).
      {"centre window", 60, {{30, 30}}, {{34, 30, 1000}, {35, 30, 1000}}, 30, 30, 10, true, 30, 30,
       1111, 30 + 2000.0 / 46500, 30},
      // (50, 50) comes first but has a companion 6 pixels off diagonally,
      // beyond 1.5 r = 4.5 in x and y yet within d0 = 10.
      {"isolated", 200, {{50, 50}, {56, 56}, {150, 150}}, {}, 0, 0, 10, true, 150, 150, 1111, 150,
       150},
      // Tile rows run top to bottom: (150, 50) is scanned before (50, 150).
      {"first tile row", 200, {{50, 150}, {150, 50}}, {}, 0, 0, 10, true, 150, 50, 1111, 150, 50},
      // 40 pixels and d0 = 15 leave one tile, columns and lines 10..30.
      {"single tile", 40, {{25, 20}}, {}, 0, 0, 15, true, 25, 20, 1111, 25, 20},
      // d0 = 2 on 60 pixels: the tenth tile 57..61 is cut to 57..59; the
      // centre window to columns 54..60.
      {"last tile clipped", 60, {{58, 30}}, {}, 0, 0, 2, true, 58, 30, 1111, 2114500.0 / 37000, 30},
      {"no tile size", 100, {{50, 50}}, {}, 0, 0, 0, false, -1, -1, -1, -7, -7},
      // The star's peak column 1 is no search position: (2, 20) is, with the
      // nine values 1200 2000 1200 800 1200 800 500 500 500 -> 967. The
      // centre window starts at column 1: 100000 / 31200.
      {"left edge", 40, {{1, 20}}, {}, 5, 20, 15, true, 2, 20, 967, 100000.0 / 31200, 20},
      // Window 15..45 cut at 39; centre window 34..42 holds columns 34..40 only.
      {"right edge", 40, {{38, 20}}, {}, 30, 20, 15, true, 38, 20, 1111, 1374500.0 / 37000, 20},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    Timgbuffer img = field(c.size, 500);
    for (const auto& [x, y] : c.stars) addStar(img, x, y);
    for (const auto& [x, y, value] : c.pixels) img.putpixel(x, y, value);
    const Search s = search(img, c.x0, c.y0, c.d0);
    EXPECT_EQ(s.found, c.found);
    if (!c.found) continue;
    EXPECT_EQ(std::tie(s.xm, s.ym, s.vmax), std::tie(c.xm, c.ym, c.vmax));
    EXPECT_DOUBLE_EQ(s.xt, c.xt);
    EXPECT_DOUBLE_EQ(s.yt, c.yt);
  }
}

TEST(Trackstar, ContrastThresholdOfTenAndTheMean) {
  // A 3 x 3 plateau on 100 around (30, 30): (vmax - 100) / sqrt(vmax + 100) must reach 10.
  auto plateau = [](std::int32_t level) {
    Timgbuffer img = field(60, 100);
    for (std::int32_t y = 29; y <= 31; ++y) {
      for (std::int32_t x = 29; x <= 31; ++x) img.putpixel(x, y, level);
    }
    return search(img, 30, 30, 15);
  };
  const Search low = plateau(299);  // 199 / sqrt(399) = 9.96
  EXPECT_EQ(std::tie(low.found, low.vmin, low.vmax), std::make_tuple(false, 100, 299));
  const Search edge = plateau(300);  // 200 / sqrt(400) = 10 exactly
  EXPECT_EQ(std::tie(edge.found, edge.xm, edge.ym, edge.vmin, edge.vmax, edge.xt, edge.yt),
            std::make_tuple(true, 30, 30, 100, 300, 30.0, 30.0));
  // The 31 x 31 smoothed values of the window: 100 each plus the plateau's
  // 200 spread over its neighbours, rounded per value: 200 + 4 * 133 + 4 * 89
  // + 4 * 67 + 8 * 44 + 4 * 22 = 1796. Over the whole image: 97896 / 3600.
  EXPECT_EQ(edge.vmean, 27);
}

}  // namespace
}  // namespace vargaze
