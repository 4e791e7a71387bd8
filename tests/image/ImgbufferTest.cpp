// Timgbuffer: storage and pixel access, copies and the header, conversions
// between pixel types, flips, turns and binning, extremes, the histogram and
// the flat field.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

#include "base/Errors.h"
#include "image/Imgbuffer.h"

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

void expectPixels(const Timgbuffer& img, const std::function<int(int, int)>& want) {
  for (int y = 1; y <= img.ysize; ++y) {
    for (int x = 1; x <= img.xsize; ++x) ASSERT_EQ(img.getpixel(x, y), want(x, y)) << x << "," << y;
  }
}

std::int32_t headerInt(const Timgbuffer& img, const char* key) {
  bool error = true;
  const std::int32_t v = getFitskeyInteger(img.fitsheader, key, error);
  EXPECT_FALSE(error) << key;
  return v;
}

TEST(ImgbufferStorage, SizesTypesAndPixelAccess) {
  const std::pair<std::int32_t, int> types[] = {
      {kPixel8, 8}, {kPixel16, 16}, {kPixelUnset, 16}, {kPixel32, 32}, {kPixelFloat, -32}};
  for (const auto& [code, bitpix] : types) {
    Timgbuffer img;
    ASSERT_EQ(img.init(4, 3, code), 0);
    EXPECT_EQ(std::tie(img.xsize, img.ysize, img.bufferbyte), std::make_tuple(4, 3, code));
    EXPECT_EQ(headerInt(img, "BITPIX"), bitpix);
    expectPixels(img, [](int, int) { return 0; });
  }
  Timgbuffer img = numbered(2, 2, kPixel16);  // sizes beyond the limit throw before any change
  EXPECT_THROW(img.init(10001, 10000, kPixel16), RangeError);
  EXPECT_THROW(img.init(-1, 10, kPixel16), RangeError);
  for (const auto& [x, y] : {std::pair{0, 1}, {3, 1}, {1, 0}, {1, 3}}) {
    EXPECT_EQ(img.getpixel(x, y), 0) << x << "," << y;
    img.putpixel(x, y, 5);  // no effect, no fault
  }
  EXPECT_EQ(stored<std::uint16_t>(img), (Words{101, 102, 201, 202}));
  EXPECT_EQ(Timgbuffer{}.init(0, 7, kPixel16), -1);

  // putpixel limits to the storage type whatever Wordmode says.
  const std::array<std::int32_t, 3> cases[] = {{kPixel16, 70000, 65535}, {kPixel16, -5, 0},
                                               {kPixel8, 300, 255},      {kPixel8, -1, 0},
                                               {kPixel32, -123456789, -123456789}};
  for (const auto& [code, put, get] : cases) {
    Timgbuffer one = numbered(1, 1, code);
    one.Wordmode = false;
    one.putpixel(1, 1, put);
    EXPECT_EQ(one.getpixel(1, 1), get) << put;
  }
  EXPECT_EQ(line<std::uint16_t>(kPixel16, {0xFFFF}, false).getpixel(1, 1), 65535);
  // Floats read rounded half to even, out of range and NaN as 0.
  Timgbuffer floats =
      line<float>(kPixelFloat, {2.5f, 3.5f, -2.5f, 3e9f, std::nanf(""), -2147483648.0f});
  expectPixels(floats, [](int x, int) { return std::array{2, 4, -2, 0, 0, 0}[x - 1]; });
}

TEST(ImgbufferStorage, LinesAndColumns) {
  Timgbuffer img = numbered(4, 3, kPixel16);
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
  EXPECT_THROW(img.Getcolumn(5, row.data()), RangeError);
  Timgbuffer bytes = numbered(2, 3, kPixel8, 10);
  bytes.Putcolumn(std::vector<std::uint8_t>{7, 8, 9}.data(), 2);
  expectPixels(bytes, [](int x, int y) { return x == 2 ? 6 + y : 10 * y + 1; });
  Timgbuffer longs = numbered(3, 2, kPixel32);
  longs.Putcolumn(Longs{-1, 2000000000}.data(), 3);
  expectPixels(longs, [](int x, int y) { return x < 3 ? 100 * y + x : y == 1 ? -1 : 2000000000; });
}

TEST(ImgbufferCopies, DuplicateAndHeaderUpdate) {
  Timgbuffer img = numbered(3, 2, kPixel16);
  std::tie(img.bufferMax, img.Offset1, img.JDstart, img.Datetime, img.Exposure, img.FilterName) =
      std::tuple(1005, 12.0, 2460000.5, "2023-10-05T21:13:45.250", 12.3456, "V");
  ASSERT_TRUE(setFitskey(img.fitsheader, "GAIN", "2"));
  const auto kept = [](const Timgbuffer& i) {
    return std::tuple(i.xsize, i.ysize, i.bufferbyte, i.bufferMax, i.Offset1, i.JDstart,
                      i.Datetime, i.Exposure, i.FilterName, i.fitsheader, stored<std::uint16_t>(i));
  };
  const auto copy = img.duplicate();
  EXPECT_EQ(kept(*copy), kept(img));
  copy->putpixel(1, 1, 1);  // the copy owns its own pixels
  EXPECT_EQ(img.getpixel(1, 1), 101);

  // Sizes, date and exposure (three decimals) after the seven cards of a new image
  // and GAIN; no ISOSPEED card for an empty ISO speed. An unknown date writes no
  // date card; one already there stays.
  img.UpdateFitsHeader();
  const FitsHeader& h = img.fitsheader;
  EXPECT_EQ(std::tuple(headerInt(img, "NAXIS1"), headerInt(img, "NAXIS2"), h.endCard(),
                       getFitskeyString(h, "DATE-OBS"), h.card(10).substr(0, 30)),
            std::tuple(3, 2, 13, img.Datetime, "EXPTIME =               12.346"));
  Timgbuffer undated;
  undated.Datetime = "date?";
  undated.ISOspeed = "1600";
  undated.UpdateFitsHeader();
  EXPECT_EQ(getFitskeyString(undated.fitsheader, "DATE-OBS"), "");
  EXPECT_EQ(undated.fitsheader.card(11).substr(0, 30), "ISOSPEED=                 1600");
}

TEST(ImgbufferConvert, SwapBytesAndScale) {
  Timgbuffer words = line<std::uint16_t>(kPixelUnset, {0x0102, 0x00FF, 0x1080});
  words.swapbytes();
  EXPECT_EQ(std::tuple(words.bufferbyte, stored<std::uint16_t>(words), words.bufferMax),
            std::tuple(kPixel16, Words{0x0201, 0xFF00, 0x8010}, 0xFF00));
  words.swapbytes();
  words.Wordmode = false;
  words.swapbytes();  // 0x0201, -256, -32752 read signed
  EXPECT_EQ(words.bufferMax, 0x0201);
  Timgbuffer longs = line<std::uint32_t>(kPixel32, {0x01020304u, 0x000000F0u});
  longs.swapbytes();  // 0xF0000000 is negative
  EXPECT_EQ(std::tuple(stored<std::uint32_t>(longs), longs.bufferMax),
            std::tuple(std::vector<std::uint32_t>{0x04030201u, 0xF0000000u}, 0x04030201));
  Timgbuffer floats = line<std::uint32_t>(kPixelFloat, {0x0000803Fu});
  floats.swapbytes();
  EXPECT_EQ(floats.dataFloat()[0], 1.0f);

  // cmult rounds ties to even and stops at the top of the type.
  words = line<std::uint16_t>(kPixel16, {3, 5, 40000, 7});
  ASSERT_TRUE(words.cmult(0.5f));  // 1.5, 2.5, 20000, 3.5
  EXPECT_EQ(std::tuple(stored<std::uint16_t>(words), words.bufferMax),
            std::tuple(Words{2, 2, 20000, 4}, 20000));
  ASSERT_TRUE(words.cmult(4.0f));
  EXPECT_EQ(std::tuple(stored<std::uint16_t>(words), words.bufferMax),
            std::tuple(Words{8, 8, 65535, 16}, 65535));
  Timgbuffer shorts = line<std::int16_t>(kPixel16, {-100, 20000}, false);
  longs = line<std::int32_t>(kPixel32, {-7, 1000});
  ASSERT_TRUE(shorts.cmult(2.0f) && longs.cmult(3.0f));
  EXPECT_EQ(std::tuple(stored<std::int16_t>(shorts), shorts.bufferMax, stored<std::int32_t>(longs)),
            std::tuple(Shorts{-200, 32767}, 32767, Longs{-21, 3000}));
  // Below the type, or beyond 32 bits, is an error; bytes and floats are refused.
  EXPECT_THROW(line<std::int16_t>(kPixel16, {-20000}, false).cmult(2.0f), RangeError);
  EXPECT_THROW(line<std::int32_t>(kPixel32, {2000000000}).cmult(2.0f), RangeError);
  EXPECT_FALSE(line<std::uint8_t>(kPixel8, {10}).cmult(2.0f) ||
               line<float>(kPixelFloat, {1.5f}).cmult(2.0f));
}

TEST(ImgbufferConvert, OffsetsClipAtTheTypeLimits) {
  Timgbuffer img = line<std::int16_t>(kPixel16, {-32768, 0, 32767, -1, -32758}, false);
  img.IntToWord(32768);
  EXPECT_EQ(stored<std::uint16_t>(img), (Words{0, 32768, 65535, 32767, 10}));
  img.WordtoInt(32768);  // and back
  EXPECT_EQ(stored<std::int16_t>(img), (Shorts{-32768, 0, 32767, -1, -32758}));
  Timgbuffer clipped = line<std::int16_t>(kPixel16, {-5, 100});
  clipped.IntToWord(-50);
  EXPECT_EQ(stored<std::uint16_t>(clipped), (Words{0, 50}));
  clipped.WordtoInt(std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(stored<std::int16_t>(clipped), (Shorts{32767, 32767}));

  const std::int32_t lo = std::numeric_limits<std::int32_t>::min();
  Timgbuffer longs = line<std::int32_t>(kPixel32, {lo, lo + 1, -1});
  longs.FitsToLongint(2147483648.0);  // the unsigned convention wraps around
  EXPECT_EQ(stored<std::uint32_t>(longs), (std::vector<std::uint32_t>{0u, 1u, 0x7FFFFFFFu}));
  Timgbuffer small = line<std::int32_t>(kPixel32, {10, -10});
  small.FitsToLongint(100.0);
  small.FitsToLongint(2147483649.0);  // beyond the convention: nothing happens
  EXPECT_EQ(stored<std::int32_t>(small), (Longs{110, 90}));
  const float inf = std::numeric_limits<float>::infinity();
  Timgbuffer floats = line<float>(kPixelFloat, {1.5f, 2.5f, -0.4f, std::nanf(""), inf});
  floats.FitsToLongint(10.0);
  EXPECT_EQ(stored<std::int32_t>(floats), (Longs{12, 12, 10, 0, 0}));
  EXPECT_THROW(line<float>(kPixelFloat, {2.0e9f}).FitsToLongint(2.0e9), RangeError);
}

TEST(ImgbufferGeometry, FlipsAndTurns) {
  Timgbuffer img = numbered(4, 3, kPixelUnset);
  img.flipvertical();
  EXPECT_EQ(std::tuple(img.bufferbyte, img.Flipped), std::tuple(kPixel16, true));
  expectPixels(img, [](int x, int y) { return 100 * (4 - y) + x; });  // the odd middle stays
  for (std::int32_t code : {kPixel8, kPixel16, kPixel32}) {
    Timgbuffer mirrored = numbered(5, 2, code);
    mirrored.fliphorizontal();
    EXPECT_TRUE(mirrored.Mirrored);
    expectPixels(mirrored, [](int x, int y) { return 100 * y + 6 - x; });
  }
  // A quarter turn takes old (x, y) to (h - y + 1, x); four restore the image.
  Timgbuffer turned = numbered(3, 2, kPixel16);
  turned.Flipped = true;
  turned.rotate90(1);
  EXPECT_EQ(std::tuple(turned.xsize, turned.ysize, turned.rotated, turned.Flipped, turned.Mirrored),
            std::tuple(2, 3, 1, true, false));
  expectPixels(turned, [](int x, int y) { return 100 * (3 - x) + y; });
  EXPECT_EQ(std::tuple(headerInt(turned, "NAXIS1"), headerInt(turned, "NAXIS2")), std::tuple(2, 3));
  Timgbuffer four = numbered(5, 3, kPixel32);
  for (int i = 0; i < 4; ++i) four.rotate90(1);
  EXPECT_EQ(four.rotated, 0);
  expectPixels(four, [](int x, int y) { return 100 * y + x; });
  Timgbuffer half = numbered(4, 3, kPixel16);
  half.rotate90(2);
  expectPixels(half, [](int x, int y) { return 100 * (4 - y) + 5 - x; });
}

TEST(ImgbufferGeometry, BinningMeansRoundHalfToEven) {
  // Block sums 2, 6, 10, 14: means 0.5 -> 0, 1.5 -> 2, 2.5 -> 2, 3.5 -> 4.
  // The fifth line and column are dropped.
  Timgbuffer img = line<std::uint16_t>(
      kPixel16, {0, 1, 1, 2, 9, 0, 1, 1, 2, 9, 2, 3, 3, 4, 9, 2, 3, 3, 4, 9, 9, 9, 9, 9, 60000});
  std::tie(img.xsize, img.ysize, img.PixScale) = std::tuple(5, 5, 1.5);
  img.binning(2);
  EXPECT_EQ(std::tie(img.xsize, img.ysize, img.bufferbyte), std::make_tuple(2, 2, kPixel32));
  EXPECT_EQ(stored<std::int32_t>(img), (Longs{0, 2, 2, 4}));
  EXPECT_EQ(std::tuple(img.bufferMax, img.postbinned, img.PixScale), std::tuple(4, 2, 3.0));
  EXPECT_EQ(std::tuple(headerInt(img, "BITPIX"), headerInt(img, "NAXIS1")), std::tuple(32, 2));
  Timgbuffer bytes = numbered(7, 6, kPixel8, 10);  // 3 x 3 means: the block centres
  bytes.binning(3);
  EXPECT_EQ(stored<std::int32_t>(bytes), (Longs{22, 25, 52, 55}));
  Timgbuffer same = numbered(4, 4, kPixel16);
  for (std::uint8_t n : std::initializer_list<std::uint8_t>{1, 4}) {
    same.binning(n);
    EXPECT_EQ(std::tuple(same.xsize, same.bufferbyte, same.postbinned), std::tuple(4, kPixel16, 1));
  }
}

TEST(ImgbufferStats, ExtremesAndHistogram) {
  struct {
    const char* why;
    Timgbuffer img;
    std::int32_t max, bufferMax, low, high;  // getmaxpixel, then getminmax
  } cases[] = {
      {"unsigned words", line<std::uint16_t>(kPixel16, {500, 65520, 7}), 65520, 65520, 7, 65520},
      {"signed words -16 -32768 300", line<std::uint16_t>(kPixel16, {65520, 32768, 300}, false),
       300, 300, -32768, 300},
      // The maximum starts from 0, the range from the first pixel.
      {"signed words -16 -2 -8", line<std::uint16_t>(kPixel16, {65520, 65534, 65528}, false), 0,
       0, -16, -2},
      {"longs", line<std::int32_t>(kPixel32, {-40, 100000, -70000}, false), 100000, 100000,
       -70000, 100000},
      {"longs in word mode", line<std::int32_t>(kPixel32, {-5, -7}), 0, 0, 65535, 0},
      {"bytes", line<std::uint8_t>(kPixel8, {30, 200, 12}, false), 200, 200, 12, 200},
      {"floats", line<float>(kPixelFloat, {500.0f}), -1, 0, 65535, 0},
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
    values[at] = 50000;
    values[140 - at] = 3;
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
  // No top given: the real maximum, not a stale bufferMax. 255 / 1200 takes
  // 100 to 21.25 and 600 to 127.5; below 0 counts in bin 0.
  Timgbuffer longs = line<std::int32_t>(kPixel32, {-20, 0, 100, 600, 1200});
  longs.bufferMax = 10;
  longs.getHistogram(0, hist);
  want.fill(0);
  std::tie(want[0], want[21], want[127], want[255]) = std::tuple(2, 1, 1, 1);
  EXPECT_EQ(std::tuple(hist.Max, hist.data), std::tuple(1200, want));
  // A top below 256 keeps values unscaled, 256 is scaled; bytes are their own bin.
  line<std::uint16_t>(kPixel16, {3, 3, 250}).getHistogram(0, hist);
  EXPECT_EQ(std::tuple(hist.Max, hist.data[3], hist.data[250]), std::tuple(250, 2, 1));
  line<std::uint16_t>(kPixel16, {255, 256}).getHistogram(0, hist);
  EXPECT_EQ(std::tuple(hist.data[254], hist.data[255]), std::tuple(1, 1));
  line<std::uint8_t>(kPixel8, {255, 17, 17}).getHistogram(0, hist);
  EXPECT_EQ(std::tuple(hist.data[255], hist.data[17]), std::tuple(1, 2));
}

Timgbuffer matrix(const std::vector<float>& factors) {
  Timgbuffer flat = line(kPixelFloat, factors);
  flat.flatmatrix = true;
  return flat;
}

// A flat is normalised to high = round(mean + 1.5 sdev); pixels at or below
// low = round(0.2 bufferMax) are dark and get high / low.
TEST(ImgbufferFlat, MatrixFactorsFromHandComputedLevels) {
  struct {
    const char* why;
    Timgbuffer flat;
    std::vector<float> factors;
    std::int32_t matrixMax;  // the largest factor, rounded
  } cases[] = {
      {"even", line<std::uint16_t>(kPixel16, {100, 100, 100, 100}), {1, 1, 1, 1}, 1},
      // mean 250, sdev 129.10: high round(443.65) = 444, low 80
      {"ramp", line<std::uint16_t>(kPixel16, {100, 200, 300, 400}), {4.44f, 2.22f, 1.48f, 1.11f},
       4},
      // mean 312.5, sdev 175: high 575, low 80; the 50 is dark
      {"dark pixel", line<std::uint16_t>(kPixel16, {50, 400, 400, 400}),
       {575 / 80.0f, 1.4375f, 1.4375f, 1.4375f}, 7},
      // mean 87.5, sdev 25: high 125, low 20; the largest 2.5 rounds to the even 2
      {"bytes", line<std::uint8_t>(kPixel8, {50, 100, 100, 100}), {2.5f, 1.25f, 1.25f, 1.25f}, 2},
      // mean 149750, sdev 100500: high 300500, low 40000; -1000 is dark
      {"longs", line<std::int32_t>(kPixel32, {-1000, 200000, 200000, 200000}),
       {7.5125f, 1.5025f, 1.5025f, 1.5025f}, 8},
      {"one pixel has no spread", line<std::uint16_t>(kPixel16, {300}), {1}, 1},
      // bufferMax 5 gives low 1: mean 3.75, sdev 2.5, high 8
      {"darkest usable", line<std::uint16_t>(kPixel16, {5, 0, 5, 5}), {1.6f, 8, 1.6f, 1.6f}, 8},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.why);
    c.flat.bufferMax = c.flat.getpixel(c.flat.xsize, 1);  // the largest, as read
    ASSERT_TRUE(c.flat.MakeFlatmatrix());
    EXPECT_EQ(std::tuple(c.flat.bufferbyte, c.flat.flatmatrix, c.flat.bufferMax),
              std::tuple(kPixelFloat, true, c.matrixMax));
    const std::vector<float> got = stored<float>(c.flat);
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_FLOAT_EQ(got[i], c.factors[i]) << i;
  }
  Timgbuffer dark = line<std::uint16_t>(kPixel16, {4, 0, 2, 4});  // low would be 1 or 0
  dark.bufferMax = 4;
  Timgbuffer already = matrix({1, 2});
  already.bufferMax = 100;
  EXPECT_FALSE(dark.MakeFlatmatrix() || already.MakeFlatmatrix());
  EXPECT_EQ(std::tuple(dark.bufferbyte, dark.flatmatrix, stored<std::uint16_t>(dark)),
            std::tuple(kPixel16, false, Words{4, 0, 2, 4}));
}

TEST(ImgbufferFlat, CorrectionRoundsTiesToEvenAndLimitsPerType) {
  struct {
    const char* why;
    Timgbuffer img;
    std::vector<float> factors;
    std::vector<std::int32_t> want;
    std::int32_t bufferMax;
  } cases[] = {
      {"words stop at the top", line<std::uint16_t>(kPixel16, {40000, 1000, 0}), {2, 2, 1},
       {65535, 2000, 0}, 65535},
      {"bytes: 2.5 -> 2, 3.5 -> 4", line<std::uint8_t>(kPixel8, {5, 7, 200, 0}),
       {0.5f, 0.5f, 1.5f, 3}, {2, 4, 255, 0}, 255},
      {"longs keep their sign", line<std::int32_t>(kPixel32, {-300, 1000}), {1.5f, 0.25f},
       {-450, 250}, 250},
      {"floats are left", line<float>(kPixelFloat, {12.5f}), {2}, {12}, 0},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.why);
    c.img.bufferMax = 7;
    ASSERT_TRUE(c.img.Flatcorrection(matrix(c.factors)));
    expectPixels(c.img, [&](int x, int) { return c.want[std::size_t(x - 1)]; });
    EXPECT_EQ(std::tuple(c.img.bufferMax, c.img.flatcorrected), std::tuple(c.bufferMax, true));
  }
  EXPECT_THROW(line<std::int32_t>(kPixel32, {2000000000}).Flatcorrection(matrix({2})), RangeError);

  // Only a matrix of the same size corrects, and only once.
  Timgbuffer img = line<std::uint16_t>(kPixel16, {100, 200});
  Timgbuffer tall = matrix({2, 2});
  std::tie(tall.xsize, tall.ysize) = std::pair(1, 2);
  EXPECT_FALSE(img.Flatcorrection(matrix({2, 2, 2})) || img.Flatcorrection(tall) ||
               img.Flatcorrection(line<std::uint16_t>(kPixel16, {1, 1})));
  EXPECT_EQ(std::tuple(stored<std::uint16_t>(img), img.flatcorrected),
            std::tuple(Words{100, 200}, false));
  ASSERT_TRUE(img.Flatcorrection(matrix({2, 3})));
  ASSERT_TRUE(img.Flatcorrection(matrix({2, 3})));
  EXPECT_EQ(stored<std::uint16_t>(img), (Words{200, 600}));
}

}  // namespace
}  // namespace vargaze
