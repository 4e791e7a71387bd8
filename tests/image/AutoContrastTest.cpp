// Automatic contrast: black level at the half-peak crossing, white level at
// the 99.95 % point, minimum span, planet mode, and degenerate histograms.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "image/AutoContrast.h"

namespace vargaze {
namespace {

// An image holding `count` pixels of each value, in one row.
template <typename T>
Timgbuffer imageOf(std::int32_t code, const std::vector<std::pair<T, int>>& counts) {
  std::vector<T> values;
  for (const auto& [value, count] : counts) values.insert(values.end(), count, value);
  Timgbuffer img;
  EXPECT_EQ(img.init(static_cast<std::int32_t>(values.size()), 1, code), 0);
  std::copy(values.begin(), values.end(), reinterpret_cast<T*>(img.bufferpointer.get()));
  return img;
}

Timghistogram histogram(const std::vector<std::pair<int, int>>& binCounts) {
  Timghistogram hist;
  hist.Max = 255;
  hist.Scale = 1.0f;
  for (const auto& [bin, count] : binCounts) hist.data[static_cast<std::size_t>(bin)] = count;
  return hist;
}

TEST(AutoContrast, ByteFrameLevelsAreBinNumbers) {
  Timgbuffer img =
      imageOf<std::uint8_t>(kPixel8, {{10, 10}, {11, 40}, {12, 100}, {13, 49}, {250, 1}});
  // peak 100 in bin 12; half 50 crossed between 11 (40) and 12 (100):
  // 11 + 10/60 = 11.17 -> 11. 99.95 % of 200 = 199.9: only bin 250 holds 200.
  const TImgLevels levels = SetimgLevels(img, false);
  EXPECT_EQ(levels.lower, 11);
  EXPECT_EQ(levels.upper, 250);
  EXPECT_EQ(img.bufferMax, 250);
}

TEST(AutoContrast, WordFrameWithSkyNearThousand) {
  Timgbuffer img = imageOf<std::uint16_t>(
      kPixel16, {{300, 298}, {700, 700}, {1000, 3000}, {30000, 1}, {65535, 1}});
  img.bufferMax = 7;  // stale: the automatic contrast takes the real maximum
  // Bin scale 255/65535 = 1/257: 300 -> bin 1, 700 -> 2, 1000 -> 3, 30000 -> 116.
  // Half peak 1500 between bins 2 (700) and 3 (3000): 2 + 800/2300 = 2.3478,
  // times 257 = 603.4 -> 603. 99.95 % of 4000 = 3998: bin 3 holds exactly
  // 3998, bin 116 the first above -> 116 * 257 = 29812.
  TImgLevels levels = SetimgLevels(img, false);
  EXPECT_EQ(levels.lower, 603);
  EXPECT_EQ(levels.upper, 29812);
  EXPECT_EQ(img.bufferMax, 65535);

  levels = SetimgLevels(img, true);
  EXPECT_EQ(levels.lower, 603);
  EXPECT_EQ(levels.upper, 65535);
}

TEST(AutoContrast, WhiteLevelKeepsTwoPercentSpan) {
  // Peak of 10000 in bin 101 alone: crossing 100 + 5000/10000 = 100.5 -> 100
  // (ties to even); the 99.95 % point is bin 101; span round(150 * 0.02) = 3.
  const TImgLevels levels = SetimgLevels(histogram({{101, 10000}, {250, 1}}), 250, false);
  EXPECT_EQ(levels.lower, 100);
  EXPECT_EQ(levels.upper, 103);
}

TEST(AutoContrast, PeakInBinZeroInterpolatesFromBinOne) {
  // Half-peak bin 0 becomes 1: (500 - 1000) / (200 - 1000) = 0.625 -> 1.
  // 99.95 % of 1201 = 1200.4: bins 0 and 1 hold 1200, bin 40 the rest.
  const TImgLevels levels = SetimgLevels(histogram({{0, 1000}, {1, 200}, {40, 1}}), 40, false);
  EXPECT_EQ(levels.lower, 1);
  EXPECT_EQ(levels.upper, 40);
}

TEST(AutoContrast, NegativeCrossingIsClampedToZero) {
  // h forced to 1: (500 - 900) / (1000 - 900) = -4 -> 0.
  const TImgLevels levels = SetimgLevels(histogram({{0, 900}, {1, 1000}, {2, 5}}), 2, false);
  EXPECT_EQ(levels.lower, 0);
  EXPECT_EQ(levels.upper, 2);
}

TEST(AutoContrast, FlatStartGivesBlackLevelZero) {
  // count[1] equals count[0]: no crossing to interpolate.
  const TImgLevels levels = SetimgLevels(histogram({{0, 500}, {1, 500}, {2, 10}}), 2, false);
  EXPECT_EQ(levels.lower, 0);
  EXPECT_EQ(levels.upper, 2);
}

TEST(AutoContrast, EmptyHistogram) {
  const TImgLevels levels = SetimgLevels(histogram({}), 0, false);
  EXPECT_EQ(levels.lower, 0);
  EXPECT_EQ(levels.upper, 0);
}

}  // namespace
}  // namespace vargaze
