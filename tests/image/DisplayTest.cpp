// Display mapping (grey palette, levels, the index image of 8-, 16- and
// 32-bit frames) and the automatic contrast levels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "base/Errors.h"
#include "image/AutoContrast.h"
#include "image/DisplayMap.h"

namespace vargaze {
namespace {

template <typename T>
Timgbuffer image(std::int32_t code, std::int32_t width, const std::vector<T>& values,
                 std::int32_t bufferMax) {
  Timgbuffer img;
  EXPECT_EQ(img.init(width, static_cast<std::int32_t>(values.size()) / width, code), 0);
  std::copy(values.begin(), values.end(), reinterpret_cast<T*>(img.bufferpointer.get()));
  img.bufferMax = bufferMax;
  return img;
}

// The index formula written out plainly, per value.
int plainIndex(std::int64_t v, std::int64_t lower, std::int64_t upper, double gamma, int bmpmax,
               std::int64_t bufferMax, bool linear) {
  float c = 0.0f;
  const double span = static_cast<double>(upper - lower);
  if (linear && bufferMax - lower > 1) c = static_cast<float>(bmpmax / span);
  if (!linear && bufferMax - lower >= 2) c = static_cast<float>(bmpmax / std::pow(span, gamma));
  const std::int64_t d = v - lower;
  if (d <= 0) return 0;
  const double x =
      linear ? static_cast<double>(d) * c : std::pow(static_cast<double>(d), gamma) * c;
  return static_cast<int>(std::min<double>(bmpmax, std::nearbyint(x)));
}

TEST(DisplayPalette, GreyRampAndHardwarePalette) {
  TPalette256 grey, inverted;
  ASSERT_TRUE(GetGrayPalette(grey, false));
  ASSERT_TRUE(GetGrayPalette(inverted, true));
  for (int i = 0; i < 256; ++i) {
    const TPaletteEntry& e = grey.palPalEntry[static_cast<std::size_t>(i)];
    const TPaletteEntry& n = inverted.palPalEntry[static_cast<std::size_t>(i)];
    ASSERT_TRUE(e.red == i && e.green == i && e.blue == i && e.flags == 4) << i;
    ASSERT_TRUE(n.red == 255 - i && n.green == 255 - i && n.blue == 255 - i && n.flags == 4) << i;
  }

  // A 256-colour screen gets every other entry; the flags are set again.
  grey.palPalEntry[10].flags = 0;
  const TPalette256 half = CreatePalette256(grey, 256);
  EXPECT_EQ(half.palNumEntries, 128);
  EXPECT_EQ(half.palPalEntry[5].red, 10);
  EXPECT_EQ(half.palPalEntry[5].flags, 4);
  EXPECT_EQ(half.palPalEntry[127].blue, 254);
  const TPalette256 full = CreatePalette256(grey, 65536);
  EXPECT_EQ(full.palNumEntries, 256);
  EXPECT_EQ(full.palPalEntry[255].red, 255);
  EXPECT_EQ(full.palPalEntry[10].flags, 4);
  EXPECT_EQ(BitmapMaxIndex(256), 127);
  EXPECT_EQ(BitmapMaxIndex(65536), 255);
}

TEST(DisplayLevels, PercentagesOnlyInWordmodeAndUpperAboveLower) {
  Timgbuffer img = image<std::uint16_t>(kPixel16, 1, {0}, 4000);
  const struct {
    bool wordmode;
    std::int32_t ilt, iut;
    std::int64_t lower, upper;
  } cases[] = {
      {true, -10, -90, 400, 3600},   {true, -15, 1000, 600, 1000},  // 15 % of 4000
      {false, -10, -90, -10, -9},    {true, 100, 100, 100, 101},
      {true, 100, 50, 100, 101},     {true, 2147483647, 0, 2147483647, 2147483648LL},
  };
  for (const auto& c : cases) {
    img.Wordmode = c.wordmode;
    const TDisplayLevels levels = EffectiveDisplayLevels(img, c.ilt, c.iut);
    EXPECT_EQ(std::make_pair(levels.lower, levels.upper), std::make_pair(c.lower, c.upper))
        << c.ilt << ".." << c.iut;
  }
}

TEST(DisplayMap, HandComputedIndices) {
  const struct {
    std::int32_t code;
    std::vector<std::int32_t> values;
    std::int32_t bufferMax, ilt, iut;
    double gamma;
    int bmpmax;
    std::vector<int> want;
  } cases[] = {
      {kPixel16, {0, 100, 255, 5000}, 1000, 0, 255, 1.0, 255, {0, 100, 255, 255}},
      // c = 255 / 16: round(4 c) = 64, 8 c = 127.5 -> 128
      {kPixel16, {16, 0, 64, 256}, 1000, 0, 256, 0.5, 255, {64, 0, 128, 255}},
      // levels 400 and 3600: (1040 - 400) * 255 / 3200 = 51
      {kPixel16, {400, 1040, 3600, 100}, 4000, -10, -90, 1.0, 255, {0, 51, 255, 0}},
      // A maximum 1 above the lower level shows black, 2 above does not: round(2.55)
      {kPixel16, {101, 100, 5000}, 101, 100, 200, 1.0, 255, {0, 0, 0}},
      {kPixel16, {101, 100, 5000}, 102, 100, 200, 1.0, 255, {3, 0, 255}},
      // Bytes are linear: c = 2.5, and 2.5 rounds to the even 2.
      {kPixel8, {1, 2, 3}, 255, 0, 2, 0.7, 5, {2, 5, 5}},
      {kPixelFloat, {}, 900, 0, 100, 1.0, 255, {0, 0}},  // float images stay black
  };
  for (const auto& c : cases) {
    Timgbuffer img;
    ASSERT_EQ(img.init(static_cast<std::int32_t>(c.want.size()), 1, c.code), 0);
    for (std::size_t i = 0; i < c.values.size(); ++i) {
      img.putpixel(static_cast<std::int32_t>(i + 1), 1, c.values[i]);
    }
    if (c.code == kPixelFloat) std::fill_n(img.dataFloat(), c.want.size(), 500.0f);
    img.bufferMax = c.bufferMax;
    const TIndexImage out = LoadfromBufferGamma(img, c.ilt, c.iut, c.gamma, c.bmpmax);
    EXPECT_EQ(std::vector<int>(out.indices.begin(), out.indices.begin() + c.want.size()), c.want)
        << "levels " << c.ilt << ".." << c.iut << " gamma " << c.gamma;
  }
}

TEST(DisplayMap, RowsArePaddedToFourBytesRowOneFirst) {
  std::vector<std::uint16_t> values(66, 1000);
  std::fill_n(values.begin(), 33, 0);
  const TIndexImage out = LoadfromBufferGamma(image(kPixel16, 33, values, 1000), 0, 255, 1.0, 255);
  EXPECT_EQ(out.rowBytes, 36);
  ASSERT_EQ(out.indices.size(), 72u);
  for (std::size_t i = 0; i < 72; ++i) {
    EXPECT_EQ(out.indices[i], i >= 36 && i < 36 + 33 ? 255 : 0) << i;
  }
  EXPECT_EQ(out.at(1, 2), 255);

  const TIndexImage empty = LoadfromBufferGamma(Timgbuffer{}, 0, 100, 1.0, 255);
  EXPECT_EQ(empty.width, 0);
  EXPECT_TRUE(empty.indices.empty());
}

TEST(DisplayMap, RefusesUnusableGammaAndIndexLimit) {
  const Timgbuffer img = image<std::uint16_t>(kPixel16, 1, {1}, 1);
  EXPECT_THROW(LoadfromBufferGamma(img, 0, 1, 0.0, 255), RangeError);
  EXPECT_THROW(LoadfromBufferGamma(img, 0, 1, std::nan(""), 255), RangeError);
  EXPECT_THROW(LoadfromBufferGamma(img, 0, 1, 1.0, 0), RangeError);
  EXPECT_THROW(LoadfromBufferGamma(img, 0, 1, 1.0, 256), RangeError);
}

// Every 16-bit value, for random levels and gammas, against the plain formula.
TEST(DisplayMapSweep, EveryWordMatchesThePlainFormula) {
  std::vector<std::uint16_t> all(65536);
  for (std::size_t v = 0; v < all.size(); ++v) all[v] = static_cast<std::uint16_t>(v);
  Timgbuffer img = image(kPixel16, 256, all, 65535);

  std::mt19937 rng(20240611);
  std::uniform_int_distribution<std::int32_t> level(0, 65535);
  std::uniform_real_distribution<double> gammaPick(0.2, 1.2);
  for (int trial = 0; trial < 24; ++trial) {
    std::int32_t ilt = level(rng);
    std::int32_t iut = level(rng);
    if (ilt > iut) std::swap(ilt, iut);
    if (trial % 6 == 0) iut = ilt + static_cast<std::int32_t>(rng() % 40);  // narrow ranges too
    const double gamma = trial == 1 ? 1.0 : gammaPick(rng);
    const int bmpmax = trial % 2 == 0 ? 255 : 127;
    img.bufferMax = trial == 5 ? ilt + 1 : 65535;

    const TIndexImage out = LoadfromBufferGamma(img, ilt, iut, gamma, bmpmax);
    const std::int64_t upper = iut <= ilt ? ilt + 1 : iut;
    int mismatches = 0;
    for (std::int32_t v = 0; v < 65536; ++v) {
      const int want = plainIndex(v, ilt, upper, gamma, bmpmax, img.bufferMax, false);
      if (out.indices[static_cast<std::size_t>(v)] != want && ++mismatches <= 3) {
        ADD_FAILURE() << "value " << v << " levels " << ilt << ".." << iut << " gamma " << gamma
                      << ": " << int{out.indices[static_cast<std::size_t>(v)]} << " != " << want;
      }
    }
    EXPECT_EQ(mismatches, 0);
  }
}

TEST(DisplayMapSweep, EveryByteMatchesThePlainFormula) {
  std::vector<std::uint8_t> all(256);
  for (std::size_t v = 0; v < all.size(); ++v) all[v] = static_cast<std::uint8_t>(v);
  Timgbuffer img = image(kPixel8, 256, all, 255);
  img.Wordmode = false;  // negative levels stay levels, not percentages
  const std::int32_t levels[][2] = {{0, 255}, {10, 17}, {40, 200}, {-30, 90}, {254, 255}, {3, 3}};
  for (const auto& l : levels) {
    const TIndexImage out = LoadfromBufferGamma(img, l[0], l[1], 0.7, 255);
    const std::int64_t upper = l[1] <= l[0] ? l[0] + 1 : l[1];
    for (std::int32_t v = 0; v < 256; ++v) {
      EXPECT_EQ(out.indices[static_cast<std::size_t>(v)],
                plainIndex(v, l[0], upper, 0.7, 255, 255, true))
          << v << " levels " << l[0] << ".." << l[1];
    }
  }
}

// 32-bit values: a narrow range goes through a table, a wide one is computed
// per pixel; both must agree with the formula, negative values included.
TEST(DisplayMapSweep, LongsMatchThePlainFormula) {
  std::vector<std::int32_t> values;
  std::mt19937 rng(77);
  std::uniform_int_distribution<std::int32_t> any(-2147483647 - 1, 2147483647);
  for (int i = 0; i < 2000; ++i) values.push_back(any(rng));
  for (std::int32_t v = -50; v < 1500; ++v) values.push_back(v);
  values.push_back(2147483647);
  Timgbuffer img = image(kPixel32, static_cast<std::int32_t>(values.size()), values, 2147483647);
  img.Wordmode = false;
  const std::int32_t levels[][2] = {{0, 1000}, {-20, 30}, {-2000000000, 2000000000}, {5, 5}};
  for (const auto& l : levels) {
    const TIndexImage out = LoadfromBufferGamma(img, l[0], l[1], 0.6, 255);
    const std::int64_t upper = l[1] <= l[0] ? std::int64_t{l[0]} + 1 : l[1];
    for (std::size_t i = 0; i < values.size(); ++i) {
      EXPECT_EQ(out.indices[i], plainIndex(values[i], l[0], upper, 0.6, 255, 2147483647, false))
          << values[i] << " levels " << l[0] << ".." << l[1];
    }
  }
}

// An image holding `count` pixels of each value, in one row.
template <typename T>
Timgbuffer imageOf(std::int32_t code, const std::vector<std::pair<T, int>>& counts) {
  std::vector<T> values;
  for (const auto& [value, count] : counts) values.insert(values.end(), count, value);
  return image(code, static_cast<std::int32_t>(values.size()), values, -1);
}

TEST(AutoContrast, FrameLevels) {
  Timgbuffer bytes =
      imageOf<std::uint8_t>(kPixel8, {{10, 10}, {11, 40}, {12, 100}, {13, 49}, {250, 1}});
  // peak 100 in bin 12; half 50 crossed between 11 (40) and 12 (100):
  // 11 + 10/60 = 11.17 -> 11. 99.95 % of 200 = 199.9: only bin 250 holds 200.
  TImgLevels levels = SetimgLevels(bytes, false);
  EXPECT_EQ(std::make_pair(levels.lower, levels.upper), std::make_pair(11, 250));
  EXPECT_EQ(bytes.bufferMax, 250);

  Timgbuffer words = imageOf<std::uint16_t>(
      kPixel16, {{300, 298}, {700, 700}, {1000, 3000}, {30000, 1}, {65535, 1}});
  words.bufferMax = 7;  // stale: the automatic contrast takes the real maximum
  // Bin scale 255/65535 = 1/257: 300 -> bin 1, 700 -> 2, 1000 -> 3, 30000 -> 116.
  // Half peak 1500 between bins 2 (700) and 3 (3000): 2 + 800/2300 = 2.3478,
  // times 257 = 603.4 -> 603. 99.95 % of 4000 = 3998: bin 3 holds exactly
  // 3998, bin 116 the first above -> 116 * 257 = 29812.
  levels = SetimgLevels(words, false);
  EXPECT_EQ(std::make_pair(levels.lower, levels.upper), std::make_pair(603, 29812));
  EXPECT_EQ(words.bufferMax, 65535);
  levels = SetimgLevels(words, true);  // planet mode: white at the maximum
  EXPECT_EQ(std::make_pair(levels.lower, levels.upper), std::make_pair(603, 65535));
}

TEST(AutoContrast, HistogramEdgeCases) {
  const struct {
    const char* why;
    std::vector<std::pair<int, int>> bins;
    std::int32_t max, lower, upper;
  } cases[] = {
      // 100 + 5000/10000 = 100.5 -> 100 (ties to even); white at least round(150 * 0.02) = 3 above.
      {"two percent span", {{101, 10000}, {250, 1}}, 250, 100, 103},
      // Half-peak bin 0 becomes 1: (500 - 1000) / (200 - 1000) = 0.625 -> 1.
      {"peak in bin 0", {{0, 1000}, {1, 200}, {40, 1}}, 40, 1, 40},
      // (500 - 900) / (1000 - 900) = -4 -> 0
      {"negative crossing", {{0, 900}, {1, 1000}, {2, 5}}, 2, 0, 2},
      {"flat start: no crossing", {{0, 500}, {1, 500}, {2, 10}}, 2, 0, 2},
      {"empty", {}, 0, 0, 0},
  };
  for (const auto& c : cases) {
    Timghistogram hist;
    hist.Max = 255;
    for (const auto& [bin, count] : c.bins) hist.data[static_cast<std::size_t>(bin)] = count;
    const TImgLevels levels = SetimgLevels(hist, c.max, false);
    EXPECT_EQ(std::make_pair(levels.lower, levels.upper), std::make_pair(c.lower, c.upper))
        << c.why;
  }
}

}  // namespace
}  // namespace vargaze
