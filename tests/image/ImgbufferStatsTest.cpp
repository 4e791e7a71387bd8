// Largest and smallest pixel values per storage type and Wordmode, and the
// 256-bin histogram.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "image/Imgbuffer.h"

namespace vargaze {
namespace {

Timgbuffer words(const std::vector<std::uint16_t>& stored, bool wordmode) {
  Timgbuffer img;
  EXPECT_EQ(img.init(static_cast<std::int32_t>(stored.size()), 1, kPixel16), 0);
  std::copy(stored.begin(), stored.end(), img.data16());
  img.Wordmode = wordmode;
  return img;
}

Timgbuffer longs(const std::vector<std::int32_t>& stored) {
  Timgbuffer img;
  EXPECT_EQ(img.init(static_cast<std::int32_t>(stored.size()), 1, kPixel32), 0);
  std::copy(stored.begin(), stored.end(), img.data32());
  return img;
}

TEST(ImgbufferStats, MaxPixelPerType) {
  Timgbuffer empty;
  EXPECT_EQ(empty.getmaxpixel(), 0);

  Timgbuffer unsignedWords = words({10, 0xFFF0, 300}, true);
  EXPECT_EQ(unsignedWords.getmaxpixel(), 0xFFF0);
  EXPECT_EQ(unsignedWords.bufferMax, 0xFFF0);

  Timgbuffer signedWords = words({0xFFF0, 0x8000, 300}, false);  // -16, -32768, 300
  EXPECT_EQ(signedWords.getmaxpixel(), 300);
  Timgbuffer negativeWords = words({0xFFF0, 0x8000}, false);
  EXPECT_EQ(negativeWords.getmaxpixel(), 0);

  Timgbuffer negativeLongs = longs({-5, -7});
  EXPECT_EQ(negativeLongs.getmaxpixel(), 0);  // the maximum starts from 0
}

TEST(ImgbufferStats, FloatMaxIsMinusOneWithBufferMaxZero) {
  Timgbuffer img;
  ASSERT_EQ(img.init(2, 1, kPixelFloat), 0);
  img.dataFloat()[0] = 500.0f;
  img.bufferMax = 42;
  EXPECT_EQ(img.getmaxpixel(), -1);
  EXPECT_EQ(img.bufferMax, 0);
}

TEST(ImgbufferStats, MinMaxOfWords) {
  Timgbuffer unsignedWords = words({500, 40000, 7}, true);
  unsignedWords.getminmax();
  EXPECT_EQ(unsignedWords.bufferMin, 7);
  EXPECT_EQ(unsignedWords.bufferMax, 40000);

  Timgbuffer signedWords = words({0xFFF0, 0xFFFE, 0xFFF8}, false);  // -16, -2, -8
  signedWords.getminmax();
  EXPECT_EQ(signedWords.bufferMin, -16);
  EXPECT_EQ(signedWords.bufferMax, -2);  // from the first pixel, not from 0
}

TEST(ImgbufferStats, MinMaxOfLongs) {
  Timgbuffer img = longs({-40, 100000, -70000});
  img.Wordmode = false;
  img.getminmax();
  EXPECT_EQ(img.bufferMin, -70000);
  EXPECT_EQ(img.bufferMax, 100000);

  img.Wordmode = true;  // the word range's empty result
  img.getminmax();
  EXPECT_EQ(img.bufferMax, 0);
  EXPECT_EQ(img.bufferMin, 65535);
}

TEST(ImgbufferStats, BytesGetTheirRealRangeInEitherMode) {
  for (bool wordmode : {true, false}) {
    Timgbuffer img;
    ASSERT_EQ(img.init(3, 1, kPixel8), 0);
    img.data8()[0] = 30;
    img.data8()[1] = 200;
    img.data8()[2] = 12;
    img.Wordmode = wordmode;
    img.getminmax();
    EXPECT_EQ(img.bufferMin, 12) << wordmode;
    EXPECT_EQ(img.bufferMax, 200) << wordmode;
  }
}

// The whole-image passes run in blocks; extremes at block edges and in the
// tail must count as much as any other pixel.
TEST(ImgbufferStats, ExtremesAnywhereInALongImageAreFound) {
  for (std::size_t at : {0u, 63u, 64u, 127u, 128u, 140u}) {
    std::vector<std::uint16_t> stored(141, 1000);
    stored[at] = 50000;
    stored[140 - at] = 3;
    Timgbuffer img = words(stored, true);
    EXPECT_EQ(img.getmaxpixel(), 50000) << at;
    img.getminmax();
    EXPECT_EQ(img.bufferMax, 50000) << at;
    EXPECT_EQ(img.bufferMin, 3) << at;
  }
}

TEST(ImgbufferStats, MinMaxWithoutAnImageChangesNothing) {
  Timgbuffer img;
  img.getminmax();
  EXPECT_EQ(img.bufferMax, -1);
  EXPECT_EQ(img.bufferMin, -1);
}

// Bin of a value the way the histogram defines it, clamped to the table.
int expectedBin(double value, float scale) {
  const double scaled = scale < 1.0f ? std::trunc(value * static_cast<double>(scale)) : value;
  return static_cast<int>(std::clamp(scaled, 0.0, 255.0));
}

TEST(ImgbufferHistogram, ScaledWordsAndValuesAboveTheTop) {
  std::vector<std::uint16_t> stored;
  for (int v = 0; v < 3000; v += 7) stored.push_back(static_cast<std::uint16_t>(v));
  stored.push_back(65535);  // far above the given top
  Timgbuffer img = words(stored, true);

  Timghistogram hist;
  img.getHistogram(1000, hist);
  EXPECT_EQ(hist.Max, 1000);
  EXPECT_FLOAT_EQ(hist.Scale, 0.255f);

  std::array<std::int32_t, 256> expected{};
  for (std::uint16_t v : stored) ++expected[static_cast<std::size_t>(expectedBin(v, hist.Scale))];
  EXPECT_EQ(hist.data, expected);
  EXPECT_GT(hist.data[255], 1);  // everything above the top lands in the last bin
}

TEST(ImgbufferHistogram, TopComesFromTheImageNotAStaleBufferMax) {
  Timgbuffer img = longs({-20, 0, 100, 600, 1200});
  img.bufferMax = 10;  // left over from an earlier image
  Timghistogram hist;
  img.getHistogram(0, hist);
  EXPECT_EQ(hist.Max, 1200);
  EXPECT_FLOAT_EQ(hist.Scale, static_cast<float>(255.0 / 1200));
  EXPECT_EQ(hist.data[0], 2);  // -20 and 0
  EXPECT_EQ(hist.data[static_cast<std::size_t>(expectedBin(100, hist.Scale))], 1);
  EXPECT_EQ(hist.data[static_cast<std::size_t>(expectedBin(600, hist.Scale))], 1);
  EXPECT_EQ(hist.data[static_cast<std::size_t>(expectedBin(1200, hist.Scale))], 1);
}

TEST(ImgbufferHistogram, SmallTopKeepsValuesUnscaled) {
  Timgbuffer img = words({3, 3, 200, 250}, true);
  Timghistogram hist;
  img.getHistogram(0, hist);
  EXPECT_EQ(hist.Max, 250);
  EXPECT_EQ(hist.Scale, 1.0f);
  EXPECT_EQ(hist.data[3], 2);
  EXPECT_EQ(hist.data[200], 1);
  EXPECT_EQ(hist.data[250], 1);

  Timgbuffer zeros = words({0, 0}, true);
  zeros.getHistogram(0, hist);
  EXPECT_EQ(hist.Max, 255);
  EXPECT_EQ(hist.data[0], 2);
}

TEST(ImgbufferHistogram, BytesUseTheByteAsBinAndFloatsCountNothing) {
  Timgbuffer bytes;
  ASSERT_EQ(bytes.init(3, 1, kPixel8), 0);
  bytes.data8()[0] = 255;
  bytes.data8()[1] = 17;
  bytes.data8()[2] = 17;
  Timghistogram hist;
  bytes.getHistogram(0, hist);
  EXPECT_EQ(hist.data[255], 1);
  EXPECT_EQ(hist.data[17], 2);

  Timgbuffer floats;
  ASSERT_EQ(floats.init(3, 1, kPixelFloat), 0);
  floats.getHistogram(0, hist);
  EXPECT_EQ(hist.Max, 255);
  for (std::int32_t count : hist.data) EXPECT_EQ(count, 0);
}

}  // namespace
}  // namespace vargaze
