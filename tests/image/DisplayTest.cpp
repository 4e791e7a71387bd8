// Display mapping (palette, levels, index images of 8-, 16-, 32-bit frames), automatic contrast.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <random>
#include <tuple>
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

TEST(DisplayMap, PaletteLevelsRowsAndRefusals) {
  TPalette256 grey, inverted;
  ASSERT_TRUE(GetGrayPalette(grey, false) && GetGrayPalette(inverted, true));
  for (std::size_t i = 0; i < 256; ++i) {
    const TPaletteEntry &e = grey.palPalEntry[i], &n = inverted.palPalEntry[i];
    ASSERT_TRUE(e.red == i && e.green == i && e.blue == i && n.red + i == 255 && n.flags == 4) << i;
  }
  grey.palPalEntry[10].flags = 0;  // set again in both hardware palettes
  const TPalette256 half = CreatePalette256(grey, 256), full = CreatePalette256(grey, 65536);
  const auto& h = half.palPalEntry;
  EXPECT_EQ(std::tuple(half.palNumEntries, h[5].red, h[5].flags, h[127].blue, BitmapMaxIndex(256),
                       full.palNumEntries, full.palPalEntry[10].flags, BitmapMaxIndex(65536)),
            std::tuple(128, 10, 4, 254, 127, 256, 4, 255));

  // Percentages of bufferMax only in word mode; upper at or below lower becomes lower + 1.
  Timgbuffer img = image<std::uint16_t>(kPixel16, 1, {0}, 4000);
  const std::tuple<bool, std::int32_t, std::int32_t, std::int64_t, std::int64_t> levels[] = {
      {true, -10, -90, 400, 3600}, {true, -15, 1000, 600, 1000}, {false, -10, -90, -10, -9},
      {true, 100, 100, 100, 101},  {true, 100, 50, 100, 101},
      {true, 2147483647, 0, 2147483647, 2147483648LL}};
  for (const auto& [wordmode, ilt, iut, lower, upper] : levels) {
    img.Wordmode = wordmode;
    const TDisplayLevels l = EffectiveDisplayLevels(img, ilt, iut);
    EXPECT_EQ(std::tuple(l.lower, l.upper), std::tuple(lower, upper)) << ilt << ".." << iut;
  }

  // Rows are padded to four bytes with zeros; row 1 comes first.
  std::vector<std::uint16_t> values(66, 1000);
  std::fill_n(values.begin(), 33, 0);
  const TIndexImage out = LoadfromBufferGamma(image(kPixel16, 33, values, 1000), 0, 255, 1.0, 255);
  ASSERT_EQ(std::tuple(out.rowBytes, out.indices.size()), std::tuple(36, 72u));
  for (std::size_t i = 0; i < 72; ++i) EXPECT_EQ(out.indices[i], i >= 36 && i < 69 ? 255 : 0) << i;
  EXPECT_EQ(out.at(1, 2), 255);
  EXPECT_THROW(LoadfromBufferGamma(img, 0, 1, 0.0, 255), RangeError);
  EXPECT_THROW(LoadfromBufferGamma(img, 0, 1, 1.0, 0), RangeError);
  EXPECT_THROW(LoadfromBufferGamma(img, 0, 1, 1.0, 256), RangeError);
}

// Maps the image and checks every pixel against the plain formula, up to the first mismatch.
template <typename T>
void expectPlainFormula(const Timgbuffer& img, const std::vector<T>& values, std::int32_t ilt,
                        std::int32_t iut, double gamma, int bmpmax) {
  const TIndexImage out = LoadfromBufferGamma(img, ilt, iut, gamma, bmpmax);
  const std::int64_t upper = iut <= ilt ? std::int64_t{ilt} + 1 : iut;
  for (std::size_t i = 0; i < values.size(); ++i) {
    ASSERT_EQ(int{out.indices[i]}, plainIndex(values[i], ilt, upper, gamma, bmpmax, img.bufferMax,
                                              img.bufferbyte == kPixel8))
        << "value " << values[i] << " levels " << ilt << ".." << iut << " gamma " << gamma;
  }
}

// Every 16-bit value, for random levels and gammas.
TEST(DisplayMapSweep, WordsBytesAndLongsMatchThePlainFormula) {
  std::vector<std::uint16_t> all(65536);
  std::iota(all.begin(), all.end(), std::uint16_t{0});
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
    img.bufferMax = trial == 5 ? ilt + 1 : trial == 7 ? ilt + 2 : 65535;  // black, not black
    expectPlainFormula(img, all, ilt, iut, gamma, trial % 2 == 0 ? 255 : 127);
  }

  // Every byte; 32-bit values, where a narrow range goes through a table and a
  // wide one is computed per pixel, negative values included.
  std::vector<std::uint8_t> bytes(256);
  std::iota(bytes.begin(), bytes.end(), std::uint8_t{0});
  img = image(kPixel8, 256, bytes, 255);
  img.Wordmode = false;  // negative levels stay levels, not percentages
  // 255 / 6 = 42.5 for 1: a tie that rounds to the even 42.
  const std::int32_t byteLevels[][2] = {{0, 255}, {10, 17}, {40, 200}, {-30, 90}, {254, 255},
                                        {3, 3},   {0, 6}};
  for (const auto& l : byteLevels) expectPlainFormula(img, bytes, l[0], l[1], 0.7, 255);

  std::vector<std::int32_t> longs;
  rng.seed(77);
  std::uniform_int_distribution<std::int32_t> any(-2147483647 - 1, 2147483647);
  for (int i = 0; i < 2000; ++i) longs.push_back(any(rng));
  for (std::int32_t v = -50; v < 1500; ++v) longs.push_back(v);
  longs.push_back(2147483647);
  img = image(kPixel32, static_cast<std::int32_t>(longs.size()), longs, 2147483647);
  img.Wordmode = false;
  const std::int32_t longLevels[][2] = {{0, 1000}, {-20, 30}, {-2000000000, 2000000000}, {5, 5}};
  for (const auto& l : longLevels) expectPlainFormula(img, longs, l[0], l[1], 0.6, 255);
}

// A one-line frame of `count` pixels of each value, with a stale bufferMax:
// the automatic contrast must take the real maximum.
template <typename T>
Timgbuffer frame(std::int32_t code, const std::vector<std::pair<int, int>>& counts) {
  std::vector<T> values;
  for (const auto& [value, count] : counts) values.insert(values.end(), count, T(value));
  return image(code, static_cast<std::int32_t>(values.size()), values, 7);
}

TEST(AutoContrast, FrameLevelsAndHistogramEdgeCases) {
  // Peak 100 in bin 12; half 50 crossed between 11 (40) and 12 (100):
  // 11 + 10/60 = 11.17 -> 11. 99.95 % of 200 = 199.9: only bin 250 holds 200.
  Timgbuffer bytes =
      frame<std::uint8_t>(kPixel8, {{10, 10}, {11, 40}, {12, 100}, {13, 49}, {250, 1}});
  TImgLevels l = SetimgLevels(bytes, false);
  EXPECT_EQ(std::tuple(l.lower, l.upper, bytes.bufferMax), std::tuple(11, 250, 250));
  // Bin scale 1/257: 300 -> bin 1, 700 -> 2, 1000 -> 3, 30000 -> 116. Half peak 1500 between
  // bins 2 (700) and 3 (3000): (2 + 800/2300) * 257 = 603.4 -> 603. 99.95 % of 4000 = 3998:
  // bin 3 holds exactly 3998, bin 116 the first above -> 116 * 257 = 29812.
  Timgbuffer words = frame<std::uint16_t>(
      kPixel16, {{300, 298}, {700, 700}, {1000, 3000}, {30000, 1}, {65535, 1}});
  l = SetimgLevels(words, false);
  EXPECT_EQ(std::tuple(l.lower, l.upper, words.bufferMax), std::tuple(603, 29812, 65535));
  l = SetimgLevels(words, true);  // planet mode: white at the maximum
  EXPECT_EQ(std::tuple(l.lower, l.upper), std::tuple(603, 65535));
  // Signed words: -5 never raises the maximum 300 but lands in the top bin with it (scale
  // 0.85): half peak 10 crossed at 84.5 -> 99.4 -> 99; bin 255 holds the last 11 -> 300.
  Timgbuffer signedWords = frame<std::int16_t>(kPixel16, {{-5, 10}, {100, 20}, {300, 1}});
  signedWords.Wordmode = false;
  l = SetimgLevels(signedWords, false);
  EXPECT_EQ(std::tuple(l.lower, l.upper, signedWords.bufferMax), std::tuple(99, 300, 300));

  const struct {
    const char* why;
    std::vector<std::pair<int, int>> bins;
    std::int32_t max, lower, upper;
  } cases[] = {
      // 100 + 5000/10000 = 100.5 -> 100 (ties to even); white 1000 * 0.02 = 20 above.
      {"two percent span", {{101, 10000}, {250, 1}}, 1100, 100, 120},
      // half-peak bin 0 becomes 1: (500 - 1000) / (200 - 1000) = 0.625 -> 1
      {"peak in bin 0", {{0, 1000}, {1, 200}, {40, 1}}, 40, 1, 40},
      {"negative crossing", {{0, 900}, {1, 1000}, {2, 5}}, 2, 0, 2},  // -4 -> 0
      {"flat start: no crossing", {{0, 500}, {1, 500}, {2, 10}}, 2, 0, 2},
  };
  for (const auto& c : cases) {
    Timghistogram hist;
    hist.Max = 255;
    for (const auto& [bin, count] : c.bins) hist.data[static_cast<std::size_t>(bin)] = count;
    l = SetimgLevels(hist, c.max, false);
    EXPECT_EQ(std::tuple(l.lower, l.upper), std::tuple(c.lower, c.upper)) << c.why;
  }
}

}  // namespace
}  // namespace vargaze
