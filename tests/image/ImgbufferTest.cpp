// Timgbuffer: pixels, header, conversions, geometry, statistics, flat field; track star.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <tuple>
#include <vector>

#include "base/Errors.h"
#include "image/Imgbuffer.h"
#include "image/Trackstar.h"

namespace vargaze {
namespace {

// A one-line image holding `values` in its storage as they are.
template <typename T>
Timgbuffer line(std::int32_t code, const std::vector<T>& values, bool wordmode = true) {
  Timgbuffer img;
  EXPECT_EQ(img.init(static_cast<std::int32_t>(values.size()), 1, code), 0);
  std::memcpy(img.bufferpointer.get(), values.data(), values.size() * sizeof(T));
  img.Wordmode = wordmode;
  return img;
}

template <typename T>
std::vector<T> stored(const Timgbuffer& img) {
  std::vector<T> values(static_cast<std::size_t>(img.pixelCount()));
  std::memcpy(values.data(), img.bufferpointer.get(), values.size() * sizeof(T));
  return values;
}
using Words = std::vector<std::uint16_t>;
using Shorts = std::vector<std::int16_t>;
using Longs = std::vector<std::int32_t>;

// A w x h image whose pixel (x, y) holds step * y + x.
Timgbuffer numbered(std::int32_t w, std::int32_t h, std::int32_t code, std::int32_t step = 100) {
  Timgbuffer img;
  EXPECT_EQ(img.init(w, h, code), 0);
  for (std::int32_t y = 1; y <= h; ++y) {
    for (std::int32_t x = 1; x <= w; ++x) img.putpixel(x, y, step * y + x);
  }
  return img;
}

template <typename Want>
void expectPixels(const Timgbuffer& img, Want want) {
  for (int y = 1; y <= img.ysize; ++y) {
    for (int x = 1; x <= img.xsize; ++x) ASSERT_EQ(img.getpixel(x, y), want(x, y)) << x << "," << y;
  }
}

std::int32_t headerInt(const Timgbuffer& img, const char* key) {
  bool error = false;  // a missing card reads as a value no test expects
  return getFitskeyInteger(img.fitsheader, key, error);
}

TEST(ImgbufferStorage, PixelsLinesColumnsAndHeader) {
  // putpixel limits to the storage type whatever Wordmode says; floats cannot be written.
  const std::array<std::int32_t, 4> types[] = {
      {kPixel8, 8, 300, 255},   {kPixel8, 8, -1, 0},   {kPixel16, 16, 70000, 65535},
      {kPixelUnset, 16, -5, 0}, {kPixelFloat, -32, 7, 0}, {kPixel32, 32, -123456789, -123456789}};
  for (const auto& [code, bitpix, put, get] : types) {
    Timgbuffer img;
    ASSERT_EQ(img.init(4, 3, code), 0);
    EXPECT_EQ(std::tuple(img.xsize, img.ysize, img.bufferbyte, headerInt(img, "BITPIX")),
              std::tuple(4, 3, code, bitpix));
    expectPixels(img, [](int, int) { return 0; });
    img.Wordmode = false;
    img.putpixel(4, 3, put);
    EXPECT_EQ(img.getpixel(4, 3), get) << put;
  }
  EXPECT_EQ(Timgbuffer{}.init(0, 7, kPixel16), -1);
  EXPECT_EQ(line(kPixel16, Words{0xFFFF}, false).getpixel(1, 1), 65535);
  // Floats read rounded half to even, out of range and NaN as 0.
  Timgbuffer floats =
      line<float>(kPixelFloat, {2.5f, 3.5f, -2.5f, 3e9f, std::nanf(""), -2147483648.0f});
  expectPixels(floats, [](int x, int) { return std::array{2, 4, -2, 0, 0, 0}[x - 1]; });

  // Outside the image nothing is read or written; sizes beyond the limit throw first.
  Timgbuffer img = numbered(4, 3, kPixel16);
  EXPECT_THROW(img.init(10001, 10000, kPixel16), RangeError);
  EXPECT_THROW(img.init(-1, 10, kPixel16), RangeError);
  for (const auto& [x, y] : {std::pair{0, 1}, {5, 1}, {1, 0}, {1, 4}}) {
    EXPECT_EQ(img.getpixel(x, y), 0) << x << "," << y;
    img.putpixel(x, y, 5);
  }
  Words row(4), col(3);
  img.Getline(2, row.data());
  img.Getcolumn(3, col.data());
  EXPECT_EQ(std::tuple(row, col), std::tuple(Words{201, 202, 203, 204}, Words{103, 203, 303}));
  img.Putline(Words{40, 41, 42, 43}.data(), 3);
  img.Putcolumn(Words{90, 91, 92}.data(), 1);
  EXPECT_EQ(stored<std::uint16_t>(img),
            (Words{90, 102, 103, 104, 91, 202, 203, 204, 92, 41, 42, 43}));
  EXPECT_THROW(img.Getline(0, row.data()), RangeError);
  EXPECT_THROW(img.Putline(row.data(), 4), RangeError);
  Timgbuffer bytes = numbered(2, 3, kPixel8, 10);
  bytes.Putcolumn(std::vector<std::uint8_t>{7, 8, 9}.data(), 2);
  expectPixels(bytes, [](int x, int y) { return x == 2 ? 6 + y : 10 * y + 1; });

  // The header update: sizes, date and exposure (three decimals) after the seven cards of
  // a new image and GAIN; no ISOSPEED card for an empty ISO speed.
  img = numbered(3, 2, kPixel16);
  std::tie(img.Datetime, img.Exposure) = std::tuple("2023-10-05T21:13:45.250", 12.3456);
  ASSERT_TRUE(setFitskey(img.fitsheader, "GAIN", "2"));
  img.UpdateFitsHeader();
  const FitsHeader& h = img.fitsheader;
  EXPECT_EQ(std::tuple(headerInt(img, "NAXIS1"), headerInt(img, "NAXIS2"), h.endCard(),
                       getFitskeyString(h, "DATE-OBS"), h.card(10).substr(0, 30)),
            std::tuple(3, 2, 13, img.Datetime, "EXPTIME =               12.346"));
}

TEST(ImgbufferConvert, ScaleOffsetsFlipsTurnsAndBinning) {
  Timgbuffer words = line<std::uint16_t>(kPixelUnset, {0x0102, 0x00FF, 0x1080});
  words.swapbytes();
  EXPECT_EQ(std::tuple(words.bufferbyte, stored<std::uint16_t>(words)),
            std::tuple(kPixel16, Words{0x0201, 0xFF00, 0x8010}));

  // cmult rounds ties to even and keeps to the type: 0, 4.5, 7.5, 60000, 75000.
  words = line(kPixel16, Words{0, 3, 5, 40000, 50000});
  ASSERT_TRUE(words.cmult(1.5f));
  EXPECT_EQ(std::tuple(stored<std::uint16_t>(words), words.bufferMax),
            std::tuple(Words{0, 4, 8, 60000, 65535}, 65535));
  Timgbuffer shorts = line<std::int16_t>(kPixel16, {-16384, -100, 20000}, false);
  Timgbuffer longs = line<std::int32_t>(kPixel32, {-7, 1000});
  ASSERT_TRUE(shorts.cmult(2.0f) && longs.cmult(3.0f));
  EXPECT_EQ(std::tuple(stored<std::int16_t>(shorts), shorts.bufferMax, stored<std::int32_t>(longs)),
            std::tuple(Shorts{-32768, -200, 32767}, 32767, Longs{-21, 3000}));
  // Below the type, or beyond 32 bits, is an error; bytes and floats are refused.
  EXPECT_THROW(line<std::int16_t>(kPixel16, {-20000}, false).cmult(2.0f), RangeError);
  EXPECT_THROW(line<std::int32_t>(kPixel32, {2000000000}).cmult(2.0f), RangeError);
  EXPECT_FALSE(line<std::uint8_t>(kPixel8, {10}).cmult(2.0f) ||
               line<float>(kPixelFloat, {1.5f}).cmult(2.0f));

  // Offsets clip at the type limits.
  Timgbuffer img = line<std::int16_t>(kPixel16, {-32768, 0, 32767, -1, -32758}, false);
  img.IntToWord(32778);  // 32767 + 32778 is above the top
  EXPECT_EQ(stored<std::uint16_t>(img), (Words{10, 32778, 65535, 32777, 20}));
  img.WordtoInt(32778);  // and back
  EXPECT_EQ(stored<std::int16_t>(img), (Shorts{-32768, 0, 32757, -1, -32758}));
  Timgbuffer clipped = line<std::int16_t>(kPixel16, {-5, 100});
  clipped.IntToWord(-50);
  EXPECT_EQ(stored<std::uint16_t>(clipped), (Words{0, 50}));
  clipped.WordtoInt(std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(stored<std::int16_t>(clipped), (Shorts{32767, 32767}));

  longs = line<std::int32_t>(kPixel32, {-2147483647 - 1, -2147483647, -1});
  longs.FitsToLongint(2147483648.0);  // the unsigned convention wraps around
  longs.FitsToLongint(2147483649.0);  // beyond the convention: nothing happens
  EXPECT_EQ(stored<std::uint32_t>(longs), (std::vector<std::uint32_t>{0u, 1u, 0x7FFFFFFFu}));
  Timgbuffer floats = line<float>(kPixelFloat, {1.5f, 2.5f, -0.4f, std::nanf(""), HUGE_VALF});
  floats.FitsToLongint(10.0);
  EXPECT_EQ(stored<std::int32_t>(floats), (Longs{12, 12, 10, 0, 0}));
  EXPECT_THROW(line<float>(kPixelFloat, {2.0e9f}).FitsToLongint(2.0e9), RangeError);

  // Flips, turns and binning.
  img = numbered(4, 3, kPixelUnset);
  img.flipvertical();
  EXPECT_EQ(std::tuple(img.bufferbyte, img.Flipped), std::tuple(kPixel16, true));
  expectPixels(img, [](int x, int y) { return 100 * (4 - y) + x; });  // the odd middle stays
  Timgbuffer mirrored = numbered(5, 2, kPixel8, 10);
  mirrored.fliphorizontal();
  EXPECT_TRUE(mirrored.Mirrored);
  expectPixels(mirrored, [](int x, int y) { return 10 * y + 6 - x; });
  // A quarter turn takes old (x, y) to (h - y + 1, x); 1 + 2 + 1 quarters restore the image.
  Timgbuffer turned = numbered(3, 2, kPixel16);
  turned.Flipped = true;
  turned.rotate90(1);
  EXPECT_EQ(std::tuple(turned.xsize, turned.ysize, turned.rotated, turned.Flipped, turned.Mirrored),
            std::tuple(2, 3, 1, true, false));
  expectPixels(turned, [](int x, int y) { return 100 * (3 - x) + y; });
  EXPECT_EQ(std::tuple(headerInt(turned, "NAXIS1"), headerInt(turned, "NAXIS2")), std::tuple(2, 3));
  Timgbuffer four = numbered(5, 3, kPixel32);
  for (int n : {1, 2, 1}) four.rotate90(static_cast<std::uint8_t>(n));
  EXPECT_EQ(four.rotated, 0);
  expectPixels(four, [](int x, int y) { return 100 * y + x; });

  // Binning: block sums 2, 6, 10, 14: means 0.5 -> 0, 1.5 -> 2, 2.5 -> 2, 3.5 -> 4.
  // The fifth line and column are dropped.
  img = line<std::uint16_t>(
      kPixel16, {0, 1, 1, 2, 9, 0, 1, 1, 2, 9, 2, 3, 3, 4, 9, 2, 3, 3, 4, 9, 9, 9, 9, 9, 60000});
  std::tie(img.xsize, img.ysize, img.PixScale) = std::tuple(5, 5, 1.5);
  img.binning(2);
  EXPECT_EQ(std::tuple(img.xsize, img.ysize, img.bufferbyte, img.bufferMax, img.postbinned,
                       img.PixScale, stored<std::int32_t>(img)),
            std::tuple(2, 2, kPixel32, 4, 2, 3.0, Longs{0, 2, 2, 4}));
  EXPECT_EQ(std::tuple(headerInt(img, "BITPIX"), headerInt(img, "NAXIS1")), std::tuple(32, 2));
  Timgbuffer bytes = numbered(7, 6, kPixel8, 10);  // 3 x 3 means: the block centres
  bytes.binning(3);
  EXPECT_EQ(stored<std::int32_t>(bytes), (Longs{22, 25, 52, 55}));
}

Timgbuffer matrix(const std::vector<float>& factors) {
  Timgbuffer flat = line(kPixelFloat, factors);
  flat.flatmatrix = true;
  return flat;
}

TEST(ImgbufferStats, ExtremesHistogramAndFlatField) {
  struct {
    const char* why;
    Timgbuffer img;
    std::int32_t max, bufferMax, low, high;  // getmaxpixel, then getminmax
  } cases[] = {
      {"unsigned words", line<std::uint16_t>(kPixel16, {500, 65520, 7}), 65520, 65520, 7, 65520},
      {"signed words", line(kPixel16, Words{65520, 32768, 300}, false), 300, 300, -32768, 300},
      // The maximum starts from 0, the range from the first pixel: -16 -2 -8.
      {"negative words", line(kPixel16, Words{65520, 65534, 65528}, false), 0, 0, -16, -2},
      {"longs", line(kPixel32, Longs{-40, 100000, -70000}, false), 100000, 100000, -70000, 100000},
      {"bytes", line<std::uint8_t>(kPixel8, {30, 200, 12}, false), 200, 200, 12, 200},
  };
  for (auto& c : cases) {
    c.img.bufferMax = 42;
    EXPECT_EQ(c.img.getmaxpixel(), c.max) << c.why;
    EXPECT_EQ(c.img.bufferMax, c.bufferMax) << c.why;
    c.img.getminmax();
    EXPECT_EQ(std::tuple(c.img.bufferMin, c.img.bufferMax), std::tuple(c.low, c.high)) << c.why;
  }
  // The passes run in blocks: extremes at block edges and in the tail count too.
  for (std::size_t at : {0u, 63u, 64u, 127u, 128u, 140u}) {
    Words values(141, 1000);
    std::tie(values[at], values[140 - at]) = std::pair(50000, 3);
    Timgbuffer img = line(kPixel16, values);
    EXPECT_EQ(img.getmaxpixel(), 50000) << at;
    img.getminmax();
    EXPECT_EQ(std::tuple(img.bufferMin, img.bufferMax), std::tuple(3, 50000)) << at;
  }

  // Top 1000: bin trunc(v * 0.255) = 0 (0, 3), 1 (4), 127 (500), 254 (999), and
  // values above the top in 255. 35 pixels: not a multiple of four.
  Words values;
  for (int i = 0; i < 5; ++i) values.insert(values.end(), {0, 3, 4, 500, 999, 1001, 65535});
  Timghistogram hist;
  line(kPixel16, values).getHistogram(1000, hist);
  EXPECT_EQ(std::tuple(hist.Max, hist.Scale), std::tuple(1000, 0.255f));
  std::array<std::int32_t, 256> want{};
  std::tie(want[0], want[1], want[127], want[254], want[255]) = std::tuple(10, 5, 5, 5, 10);
  EXPECT_EQ(hist.data, want);
  // No top: the real maximum, not a stale bufferMax; 255 / 1200: 100 -> 21.25, 600 -> 127.5.
  Timgbuffer longs = line<std::int32_t>(kPixel32, {-20, 0, 100, 600, 1200});
  longs.bufferMax = 10;
  longs.getHistogram(0, hist);
  want.fill(0);
  std::tie(want[0], want[21], want[127], want[255]) = std::tuple(2, 1, 1, 1);
  EXPECT_EQ(std::tuple(hist.Max, hist.data), std::tuple(1200, want));
  // A top below 256 keeps values unscaled, 256 is scaled.
  line<std::uint16_t>(kPixel16, {3, 3, 250}).getHistogram(0, hist);
  EXPECT_EQ(std::tuple(hist.Max, hist.data[3], hist.data[250]), std::tuple(250, 2, 1));
  line<std::uint16_t>(kPixel16, {255, 256}).getHistogram(0, hist);
  EXPECT_EQ(std::tuple(hist.data[254], hist.data[255]), std::tuple(1, 1));

  // A flat is normalised to high = round(mean + 1.5 sdev); pixels at or below
  // low = round(0.2 bufferMax) are dark and get high / low.
  struct {
    const char* why;
    Timgbuffer flat;
    std::vector<float> factors;
    std::int32_t matrixMax;  // the largest factor, rounded
  } flats[] = {
      // mean 250, sdev 129.10: high round(443.65) = 444, low 80
      {"ramp", line(kPixel16, Words{100, 200, 300, 400}), {4.44f, 2.22f, 1.48f, 1.11f}, 4},
      // mean 312.5, sdev 175: high 575, low 80; the 50 is dark
      {"dark", line(kPixel16, Words{50, 400, 400, 400}), {7.1875f, 1.4375f, 1.4375f, 1.4375f}, 7},
      // mean 87.5, sdev 25: high 125, low 20; the largest 2.5 rounds to the even 2
      {"bytes", line<std::uint8_t>(kPixel8, {50, 100, 100, 100}), {2.5f, 1.25f, 1.25f, 1.25f}, 2},
      // bufferMax 5 gives low 1: mean 3.75, sdev 2.5, high 8
      {"darkest usable", line<std::uint16_t>(kPixel16, {5, 0, 5, 5}), {1.6f, 8, 1.6f, 1.6f}, 8},
  };
  for (auto& c : flats) {
    SCOPED_TRACE(c.why);
    c.flat.bufferMax = c.flat.getpixel(c.flat.xsize, 1);  // the largest, as read
    ASSERT_TRUE(c.flat.MakeFlatmatrix());
    EXPECT_EQ(std::tuple(c.flat.bufferbyte, c.flat.flatmatrix, c.flat.bufferMax),
              std::tuple(kPixelFloat, true, c.matrixMax));
    const std::vector<float> got = stored<float>(c.flat);
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_FLOAT_EQ(got[i], c.factors[i]) << i;
  }
  Timgbuffer dark = line<std::uint16_t>(kPixel16, {4, 0, 2, 4});
  dark.bufferMax = 4;  // low would be 1 or 0
  EXPECT_FALSE(dark.MakeFlatmatrix());
  EXPECT_EQ(stored<std::uint16_t>(dark), (Words{4, 0, 2, 4}));

  // Correction rounds ties to even and limits per type.
  struct {
    const char* why;
    Timgbuffer img;
    std::vector<float> factors;
    std::vector<std::int32_t> want;
    std::int32_t bufferMax;
  } corrections[] = {
      {"words top", line(kPixel16, Words{40000, 1000, 0}), {2, 2, 1}, {65535, 2000, 0}, 65535},
      {"bytes: 2.5 -> 2, 3.5 -> 4", line<std::uint8_t>(kPixel8, {5, 7, 200, 0}),
       {0.5f, 0.5f, 1.5f, 3}, {2, 4, 255, 0}, 255},
      {"longs keep their sign", line(kPixel32, Longs{-300, 1000}), {1.5f, 0.25f}, {-450, 250}, 250},
  };
  for (auto& c : corrections) {
    SCOPED_TRACE(c.why);
    c.img.bufferMax = 7;
    ASSERT_TRUE(c.img.Flatcorrection(matrix(c.factors)));
    expectPixels(c.img, [&](int x, int) { return c.want[std::size_t(x - 1)]; });
    EXPECT_EQ(std::tuple(c.img.bufferMax, c.img.flatcorrected), std::tuple(c.bufferMax, true));
  }
  EXPECT_THROW(line<std::int32_t>(kPixel32, {2000000000}).Flatcorrection(matrix({2})), RangeError);

  // Only a matrix of the same size corrects, and only once.
  Timgbuffer img = line<std::uint16_t>(kPixel16, {100, 200});
  EXPECT_FALSE(img.Flatcorrection(matrix({2, 2, 2})) ||
               img.Flatcorrection(line<std::uint16_t>(kPixel16, {1, 1})));
  EXPECT_EQ(std::tuple(stored<std::uint16_t>(img), img.flatcorrected),
            std::tuple(Words{100, 200}, false));
  ASSERT_TRUE(img.Flatcorrection(matrix({2, 3})));
  ASSERT_TRUE(img.Flatcorrection(matrix({2, 3})));
  EXPECT_EQ(stored<std::uint16_t>(img), (Words{200, 600}));
}

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
  for (int i = 0; i < 9; ++i) img.putpixel(x - 1 + i % 3, y - 1 + i / 3, i % 2 ? 1200 : 800);
  img.putpixel(x, y, 2000);
}

struct Search { bool found; std::int32_t xm, ym, vmin, vmax, vmean; double xt, yt; };

Search search(const Timgbuffer& img, std::int32_t x0, std::int32_t y0, std::int32_t d0) {
  Search s{};
  s.found = GetTrackstarcenter(x0, y0, d0, img, s.xm, s.ym, s.vmin, s.vmax, s.vmean, s.xt, s.yt);
  return s;
}

TEST(Trackstar, StarsOnAnEvenBackgroundAndTheContrastThreshold) {
  const struct {
    const char* why;
    std::int32_t size;
    std::vector<std::array<std::int32_t, 2>> stars;
    std::vector<std::array<std::int32_t, 3>> pixels;  // x, y, value
    std::int32_t x0, y0, d0, xm, ym, vmax;
    double xt, yt;
  } cases[] = {
      // A symmetric star is centred on its peak; a hot pixel is despiked away.
      {"hot pixel", 120, {{40, 40}}, {{80, 80, 60000}}, 0, 0, 10, 40, 40, 1111, 40, 40},
      // Centre over 9 x 9: 500 more at x = 34 counts, at 35 not: 4 * 500 / (40500 + 6000).
      {"centre window", 60, {{30, 30}}, {{34, 30, 1000}, {35, 30, 1000}}, 30, 30, 10, 30, 30,
       1111, 30 + 2000.0 / 46500, 30},
      // (50, 50) comes first but has a companion within d0 = 10, beyond 1.5 r = 4.5.
      {"isolated", 200, {{50, 50}, {56, 56}, {150, 150}}, {}, 0, 0, 10, 150, 150, 1111, 150, 150},
      // Tile rows run top to bottom: (150, 50) is scanned before (50, 150).
      {"first tile row", 200, {{50, 150}, {150, 50}}, {}, 0, 0, 10, 150, 50, 1111, 150, 50},
      // d0 = 2 on 60 pixels: the tenth tile 57..61 is cut to 57..59, the centre window to 54..60.
      {"last tile clipped", 60, {{58, 30}}, {}, 0, 0, 2, 58, 30, 1111, 2114500.0 / 37000, 30},
      // Column 1 is no search position; (2, 20) is: 8700 / 9 -> 967. Centre window from column 1.
      {"left edge", 40, {{1, 20}}, {}, 5, 20, 15, 2, 20, 967, 100000.0 / 31200, 20},
      // Window 15..45 cut at 39; centre window 34..42 holds columns 34..40 only.
      {"right edge", 40, {{38, 20}}, {}, 30, 20, 15, 38, 20, 1111, 1374500.0 / 37000, 20},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    Timgbuffer img = field(c.size, 500);
    for (const auto& [x, y] : c.stars) addStar(img, x, y);
    for (const auto& [x, y, value] : c.pixels) img.putpixel(x, y, value);
    const Search s = search(img, c.x0, c.y0, c.d0);
    EXPECT_EQ(std::tie(s.found, s.xm, s.ym, s.vmax), std::tuple(true, c.xm, c.ym, c.vmax));
    EXPECT_NEAR(std::hypot(s.xt - c.xt, s.yt - c.yt), 0.0, 1e-12) << s.xt << ", " << s.yt;
  }
  Timgbuffer one = field(100, 500);
  addStar(one, 50, 50);
  EXPECT_FALSE(search(one, 0, 0, 0).found);  // a whole-image search needs a tile size

  // A 3 x 3 plateau on 100 around (30, 30): (vmax - 100) / sqrt(vmax + 100) must reach 10.
  auto plateau = [](std::int32_t level) {
    Timgbuffer img = field(60, 100);
    for (int i = 0; i < 9; ++i) img.putpixel(29 + i % 3, 29 + i / 3, level);
    return search(img, 30, 30, 15);
  };
  const Search low = plateau(299);  // 199 / sqrt(399) = 9.96
  EXPECT_EQ(std::tie(low.found, low.vmin, low.vmax), std::make_tuple(false, 100, 299));
  const Search edge = plateau(300);  // 200 / sqrt(400) = 10 exactly
  EXPECT_EQ(std::tie(edge.found, edge.xm, edge.ym, edge.vmin, edge.vmax, edge.xt, edge.yt),
            std::make_tuple(true, 30, 30, 100, 300, 30.0, 30.0));
  // Smoothed: 100 each plus the plateau's 200 spread over its neighbours, rounded per value
  // (200 + 4 * 133 + 4 * 89 + 4 * 67 + 8 * 44 + 4 * 22 = 1796); over the image 97896 / 3600.
  EXPECT_EQ(edge.vmean, 27);
}

}  // namespace
}  // namespace vargaze
