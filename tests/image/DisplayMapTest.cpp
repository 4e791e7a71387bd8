// Display mapping: grey palette, palette reduction, levels, and the index
// image of 8-, 16- and 32-bit frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "base/Errors.h"
#include "image/DisplayMap.h"

namespace vargaze {
namespace {

template <typename T>
Timgbuffer image(std::int32_t code, std::int32_t width, const std::vector<T>& values,
                 std::int32_t bufferMax) {
  Timgbuffer img;
  const auto height = static_cast<std::int32_t>(values.size()) / width;
  EXPECT_EQ(img.init(width, height, code), 0);
  std::copy(values.begin(), values.end(), reinterpret_cast<T*>(img.bufferpointer.get()));
  img.bufferMax = bufferMax;
  return img;
}

Timgbuffer words(const std::vector<std::uint16_t>& values, std::int32_t bufferMax) {
  return image(kPixel16, static_cast<std::int32_t>(values.size()), values, bufferMax);
}

std::vector<int> firstRow(const TIndexImage& out) {
  std::vector<int> v;
  for (std::int32_t x = 1; x <= out.width; ++x) v.push_back(out.at(x, 1));
  return v;
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

TEST(DisplayPalette, GreyRampAndInverted) {
  TPalette256 pal;
  ASSERT_TRUE(GetGrayPalette(pal, false));
  EXPECT_EQ(pal.palVersion, 768);
  EXPECT_EQ(pal.palNumEntries, 256);
  for (int i = 0; i < 256; ++i) {
    const TPaletteEntry& e = pal.palPalEntry[static_cast<std::size_t>(i)];
    EXPECT_EQ(e.red, i);
    EXPECT_EQ(e.green, i);
    EXPECT_EQ(e.blue, i);
    EXPECT_EQ(e.flags, 4);
  }
  ASSERT_TRUE(GetGrayPalette(pal, true));
  EXPECT_EQ(pal.palPalEntry[0].red, 255);
  EXPECT_EQ(pal.palPalEntry[200].green, 55);
  EXPECT_EQ(pal.palPalEntry[255].blue, 0);
}

TEST(DisplayPalette, HardwarePaletteTakesEveryOtherEntry) {
  TPalette256 grey;
  GetGrayPalette(grey, false);
  grey.palPalEntry[10].flags = 0;

  const TPalette256 half = CreatePalette256(grey, 256);
  EXPECT_EQ(half.palNumEntries, 128);
  EXPECT_EQ(half.palPalEntry[0].red, 0);
  EXPECT_EQ(half.palPalEntry[5].red, 10);
  EXPECT_EQ(half.palPalEntry[5].flags, 4);
  EXPECT_EQ(half.palPalEntry[127].blue, 254);

  const TPalette256 full = CreatePalette256(grey, 65536);
  EXPECT_EQ(full.palNumEntries, 256);
  EXPECT_EQ(full.palPalEntry[255].red, 255);
  EXPECT_EQ(full.palPalEntry[10].flags, 4);

  EXPECT_EQ(BitmapMaxIndex(256), 127);
  EXPECT_EQ(BitmapMaxIndex(65536), 255);
  EXPECT_EQ(BitmapMaxIndex(-1), 255);
}

TEST(DisplayLevels, PercentagesOnlyInWordmode) {
  Timgbuffer img = words({0}, 4000);
  TDisplayLevels levels = EffectiveDisplayLevels(img, -10, -90);
  EXPECT_EQ(levels.lower, 400);
  EXPECT_EQ(levels.upper, 3600);

  img.Wordmode = false;
  levels = EffectiveDisplayLevels(img, -10, -90);
  EXPECT_EQ(levels.lower, -10);
  EXPECT_EQ(levels.upper, -9);  // at or below the lower level: lower + 1
}

TEST(DisplayLevels, UpperNotAboveLowerBecomesLowerPlusOne) {
  const Timgbuffer img = words({0}, 1000);
  EXPECT_EQ(EffectiveDisplayLevels(img, 100, 100).upper, 101);
  EXPECT_EQ(EffectiveDisplayLevels(img, 100, 50).upper, 101);
  EXPECT_EQ(EffectiveDisplayLevels(img, 2147483647, 0).upper, 2147483648LL);
}

TEST(DisplayMap, LinearWordsAtGammaOne) {
  const Timgbuffer img = words({0, 100, 255, 5000}, 1000);
  const TIndexImage out = LoadfromBufferGamma(img, 0, 255, 1.0, 255);
  EXPECT_EQ(firstRow(out), (std::vector<int>{0, 100, 255, 255}));
}

TEST(DisplayMap, GammaHalf) {
  const Timgbuffer img = words({16, 0, 64, 256}, 1000);
  // c = 255 / 16 = 15.9375 exactly: round(4 * c) = 64, 8 * c = 127.5 ties to 128
  const TIndexImage out = LoadfromBufferGamma(img, 0, 256, 0.5, 255);
  EXPECT_EQ(firstRow(out), (std::vector<int>{64, 0, 128, 255}));
}

TEST(DisplayMap, PercentageLevelsMapAcrossTheirRange) {
  const Timgbuffer img = words({400, 1040, 3600, 100}, 4000);
  // levels 400 and 3600: (1040 - 400) * 255 / 3200 = 51
  const TIndexImage out = LoadfromBufferGamma(img, -10, -90, 1.0, 255);
  EXPECT_EQ(firstRow(out), (std::vector<int>{0, 51, 255, 0}));
}

TEST(DisplayMap, BytesIgnoreGamma) {
  const Timgbuffer img = image<std::uint8_t>(kPixel8, 3, {100, 1, 2}, 255);
  EXPECT_EQ(LoadfromBufferGamma(img, 0, 255, 0.5, 255).at(1, 1), 100);
  const TIndexImage steep = LoadfromBufferGamma(img, 0, 3, 0.25, 255);  // c = 85
  EXPECT_EQ(firstRow(steep), (std::vector<int>{255, 85, 170}));
}

TEST(DisplayMap, EqualLevelsActAsOneApart) {
  const Timgbuffer img = words({100, 101, 102}, 1000);
  const TIndexImage out = LoadfromBufferGamma(img, 100, 100, 1.0, 255);
  EXPECT_EQ(firstRow(out), (std::vector<int>{0, 255, 255}));
}

TEST(DisplayMap, RowsArePaddedToFourBytesWithZeros) {
  const Timgbuffer img = image(kPixel16, 33, std::vector<std::uint16_t>(66, 1000), 1000);
  const TIndexImage out = LoadfromBufferGamma(img, 0, 255, 1.0, 255);
  EXPECT_EQ(out.rowBytes, 36);
  ASSERT_EQ(out.indices.size(), 72u);
  for (std::size_t row = 0; row < 2; ++row) {
    for (std::size_t col = 0; col < 36; ++col) {
      EXPECT_EQ(out.indices[row * 36 + col], col < 33 ? 255 : 0) << row << "," << col;
    }
  }
}

TEST(DisplayMap, RowOneComesFirst) {
  const Timgbuffer img = image<std::uint16_t>(kPixel16, 2, {0, 0, 500, 500}, 500);
  const TIndexImage out = LoadfromBufferGamma(img, 0, 500, 1.0, 255);
  EXPECT_EQ(out.indices[0], 0);
  EXPECT_EQ(out.indices[4], 255);  // row 2 starts after the padded row 1
}

TEST(DisplayMap, MaximumJustAboveLowerShowsBlack) {
  const Timgbuffer flatWords = words({101, 100, 5000}, 101);
  EXPECT_EQ(firstRow(LoadfromBufferGamma(flatWords, 100, 200, 1.0, 255)),
            (std::vector<int>{0, 0, 0}));
  const Timgbuffer twoAbove = words({101, 100, 5000}, 102);
  EXPECT_EQ(firstRow(LoadfromBufferGamma(twoAbove, 100, 200, 1.0, 255)),
            (std::vector<int>{3, 0, 255}));  // round(2.55)

  const Timgbuffer bytes = image<std::uint8_t>(kPixel8, 1, {101}, 101);
  EXPECT_EQ(LoadfromBufferGamma(bytes, 100, 200, 1.0, 255).at(1, 1), 0);
}

TEST(DisplayMap, HardwarePaletteLimitsIndices) {
  const Timgbuffer img = words({0, 128, 255, 60000}, 60000);
  const TIndexImage out = LoadfromBufferGamma(img, 0, 255, 1.0, 127);
  EXPECT_EQ(firstRow(out), (std::vector<int>{0, 64, 127, 127}));  // 128 * 127/255 = 63.75
}

TEST(DisplayMap, FloatAndEmptyImages) {
  const Timgbuffer floats = image<float>(kPixelFloat, 2, {500.0f, 900.0f}, 900);
  EXPECT_EQ(firstRow(LoadfromBufferGamma(floats, 0, 100, 1.0, 255)), (std::vector<int>{0, 0}));

  const Timgbuffer empty;
  const TIndexImage out = LoadfromBufferGamma(empty, 0, 100, 1.0, 255);
  EXPECT_EQ(out.width, 0);
  EXPECT_TRUE(out.indices.empty());
}

TEST(DisplayMap, RefusesUnusableGammaAndIndexLimit) {
  const Timgbuffer img = words({1}, 1);
  EXPECT_THROW(LoadfromBufferGamma(img, 0, 1, 0.0, 255), RangeError);
  EXPECT_THROW(LoadfromBufferGamma(img, 0, 1, std::nan(""), 255), RangeError);
  EXPECT_THROW(LoadfromBufferGamma(img, 0, 1, 1.0, 0), RangeError);
  EXPECT_THROW(LoadfromBufferGamma(img, 0, 1, 1.0, 256), RangeError);
}

// Every 16-bit value, for random levels and gammas, against the plain formula.
TEST(DisplayMapTable, EveryWordMatchesThePlainFormula) {
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

TEST(DisplayMapTable, EveryByteMatchesThePlainFormula) {
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
TEST(DisplayMapTable, LongsMatchThePlainFormula) {
  std::vector<std::int32_t> values;
  std::mt19937 rng(77);
  std::uniform_int_distribution<std::int32_t> any(-2147483647 - 1, 2147483647);
  for (int i = 0; i < 2000; ++i) values.push_back(any(rng));
  for (std::int32_t v = -50; v < 1500; ++v) values.push_back(v);
  values.push_back(2147483647);
  Timgbuffer img = image(kPixel32, static_cast<std::int32_t>(values.size()), values, 2147483647);
  img.Wordmode = false;  // negative levels stay levels, not percentages
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

}  // namespace
}  // namespace vargaze
