// Flat-field matrix (normalised factors) and the flat correction of frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/Errors.h"
#include "image/Imgbuffer.h"

namespace vargaze {
namespace {

template <typename T>
Timgbuffer row(std::int32_t code, const std::vector<T>& values, std::int32_t bufferMax) {
  Timgbuffer img;
  EXPECT_EQ(img.init(static_cast<std::int32_t>(values.size()), 1, code), 0);
  auto* p = reinterpret_cast<T*>(img.bufferpointer.get());
  std::copy(values.begin(), values.end(), p);
  img.bufferMax = bufferMax;
  return img;
}

Timgbuffer words(const std::vector<std::uint16_t>& values, std::int32_t bufferMax) {
  return row(kPixel16, values, bufferMax);
}

// A flat matrix with the given factors, as MakeFlatmatrix leaves one.
Timgbuffer matrix(const std::vector<float>& factors) {
  Timgbuffer flat = row(kPixelFloat, factors, 0);
  flat.flatmatrix = true;
  return flat;
}

std::vector<float> factorsOf(const Timgbuffer& flat) {
  return {flat.dataFloat(), flat.dataFloat() + flat.pixelCount()};
}

TEST(FlatMatrix, EvenFlatGivesFactorOne) {
  Timgbuffer flat = words({100, 100, 100, 100}, 100);
  ASSERT_TRUE(flat.MakeFlatmatrix());
  EXPECT_EQ(factorsOf(flat), std::vector<float>(4, 1.0f));
  EXPECT_EQ(flat.bufferMax, 1);
  EXPECT_EQ(flat.bufferbyte, kPixelFloat);
  EXPECT_TRUE(flat.flatmatrix);

  Timgbuffer img = words({10, 2000, 65535, 0}, 65535);
  ASSERT_TRUE(img.Flatcorrection(flat));
  EXPECT_EQ(std::vector<std::uint16_t>(img.data16(), img.data16() + 4),
            (std::vector<std::uint16_t>{10, 2000, 65535, 0}));
  EXPECT_TRUE(img.flatcorrected);
}

TEST(FlatMatrix, RampNormalisesToMeanPlusOneAndAHalfSigma) {
  // mean 250, sdev 129.10, high = round(443.65) = 444, low 80.
  Timgbuffer flat = words({100, 200, 300, 400}, 400);
  ASSERT_TRUE(flat.MakeFlatmatrix());
  const std::vector<float> f = factorsOf(flat);
  EXPECT_FLOAT_EQ(f[0], 4.44f);
  EXPECT_FLOAT_EQ(f[1], 2.22f);
  EXPECT_FLOAT_EQ(f[2], 1.48f);
  EXPECT_FLOAT_EQ(f[3], 1.11f);
  EXPECT_EQ(flat.bufferMax, 4);

  // The flat itself, corrected by its matrix, is even at the level high.
  Timgbuffer same = words({100, 200, 300, 400}, 400);
  ASSERT_TRUE(same.Flatcorrection(flat));
  EXPECT_EQ(std::vector<std::uint16_t>(same.data16(), same.data16() + 4),
            std::vector<std::uint16_t>(4, 444));
  EXPECT_EQ(same.bufferMax, 444);
}

TEST(FlatMatrix, DarkPixelGetsHighOverLow) {
  // mean 312.5, sdev 175, high 575, low 80: the 50 is below low.
  Timgbuffer flat = words({50, 400, 400, 400}, 400);
  ASSERT_TRUE(flat.MakeFlatmatrix());
  const std::vector<float> f = factorsOf(flat);
  EXPECT_FLOAT_EQ(f[0], 575.0f / 80.0f);
  EXPECT_FLOAT_EQ(f[1], 575.0f / 400.0f);
  EXPECT_EQ(flat.bufferMax, 7);  // round(7.1875)
}

TEST(FlatMatrix, WordsAreReadUnsignedWhateverWordmode) {
  Timgbuffer flat = words({40000, 40000, 40000, 40000}, 40000);
  flat.Wordmode = false;
  ASSERT_TRUE(flat.MakeFlatmatrix());
  EXPECT_EQ(factorsOf(flat), std::vector<float>(4, 1.0f));
}

TEST(FlatMatrix, BytesAndLongs) {
  Timgbuffer bytes = row<std::uint8_t>(kPixel8, {50, 100, 100, 100}, 100);
  // mean 87.5, sdev 25, high 125, low 20.
  ASSERT_TRUE(bytes.MakeFlatmatrix());
  EXPECT_FLOAT_EQ(factorsOf(bytes)[0], 2.5f);
  EXPECT_FLOAT_EQ(factorsOf(bytes)[1], 1.25f);

  Timgbuffer longs = row<std::int32_t>(kPixel32, {-1000, 200000, 200000, 200000}, 200000);
  // mean 149750, sdev 100500, high 300500, low 40000: -1000 is dark.
  ASSERT_TRUE(longs.MakeFlatmatrix());
  EXPECT_FLOAT_EQ(factorsOf(longs)[0], 300500.0f / 40000.0f);
  EXPECT_FLOAT_EQ(factorsOf(longs)[1], 300500.0f / 200000.0f);
}

TEST(FlatMatrix, SinglePixelHasNoSpread) {
  Timgbuffer flat = words({300}, 300);
  ASSERT_TRUE(flat.MakeFlatmatrix());
  EXPECT_EQ(factorsOf(flat), std::vector<float>{1.0f});
}

TEST(FlatMatrix, TooDarkFlatIsRefusedAndKept) {
  Timgbuffer flat = words({4, 0, 2, 4}, 4);
  EXPECT_FALSE(flat.MakeFlatmatrix());
  EXPECT_EQ(flat.bufferbyte, kPixel16);
  EXPECT_FALSE(flat.flatmatrix);
  EXPECT_EQ(flat.bufferMax, 4);
  EXPECT_EQ(std::vector<std::uint16_t>(flat.data16(), flat.data16() + 4),
            (std::vector<std::uint16_t>{4, 0, 2, 4}));

  Timgbuffer darkest = words({5, 0, 5, 5}, 5);  // low = 1: still usable
  ASSERT_TRUE(darkest.MakeFlatmatrix());
  // mean 3.75, sdev 2.5, high 8: factors 8/5 and 8/1 for the dark pixel.
  EXPECT_FLOAT_EQ(factorsOf(darkest)[0], 1.6f);
  EXPECT_FLOAT_EQ(factorsOf(darkest)[1], 8.0f);
}

TEST(FlatMatrix, EmptyOrFloatImageIsRefused) {
  Timgbuffer empty;
  empty.bufferMax = 1000;
  EXPECT_FALSE(empty.MakeFlatmatrix());

  Timgbuffer already = matrix({1.0f, 2.0f});
  already.bufferMax = 100;
  EXPECT_FALSE(already.MakeFlatmatrix());
  EXPECT_EQ(factorsOf(already), (std::vector<float>{1.0f, 2.0f}));
}

TEST(FlatCorrection, WordsAreLimitedAtTheTop) {
  Timgbuffer img = words({40000, 1000}, 40000);
  ASSERT_TRUE(img.Flatcorrection(matrix({2.0f, 2.0f})));
  EXPECT_EQ(img.data16()[0], 65535);
  EXPECT_EQ(img.data16()[1], 2000);
  EXPECT_EQ(img.bufferMax, 65535);
}

TEST(FlatCorrection, BytesRoundTiesToEvenAndLimitAt255) {
  Timgbuffer img = row<std::uint8_t>(kPixel8, {5, 7, 200, 0}, 200);
  ASSERT_TRUE(img.Flatcorrection(matrix({0.5f, 0.5f, 1.5f, 3.0f})));
  EXPECT_EQ(std::vector<std::uint8_t>(img.data8(), img.data8() + 4),
            (std::vector<std::uint8_t>{2, 4, 255, 0}));  // 2.5 -> 2, 3.5 -> 4
  EXPECT_EQ(img.bufferMax, 255);
}

TEST(FlatCorrection, LongsKeepTheirSignAndOverflowIsAnError) {
  Timgbuffer img = row<std::int32_t>(kPixel32, {-300, 1000}, 1000);
  ASSERT_TRUE(img.Flatcorrection(matrix({1.5f, 0.25f})));
  EXPECT_EQ(img.data32()[0], -450);
  EXPECT_EQ(img.data32()[1], 250);
  EXPECT_EQ(img.bufferMax, 250);

  Timgbuffer big = row<std::int32_t>(kPixel32, {2000000000}, 2000000000);
  EXPECT_THROW(big.Flatcorrection(matrix({2.0f})), RangeError);
}

TEST(FlatCorrection, FloatImageIsLeftButMarked) {
  Timgbuffer img = row<float>(kPixelFloat, {12.5f}, 12);
  ASSERT_TRUE(img.Flatcorrection(matrix({2.0f})));
  EXPECT_EQ(img.dataFloat()[0], 12.5f);
  EXPECT_EQ(img.bufferMax, 0);
  EXPECT_TRUE(img.flatcorrected);
}

TEST(FlatCorrection, SecondCallChangesNothing) {
  Timgbuffer img = words({100, 200}, 200);
  const Timgbuffer flat = matrix({2.0f, 3.0f});
  ASSERT_TRUE(img.Flatcorrection(flat));
  ASSERT_TRUE(img.Flatcorrection(flat));
  EXPECT_EQ(img.data16()[0], 200);
  EXPECT_EQ(img.data16()[1], 600);

  // Even a flat that would be refused: the image is done.
  EXPECT_TRUE(img.Flatcorrection(Timgbuffer{}));
}

TEST(FlatCorrection, RefusesOtherSizesAndNonMatrices) {
  Timgbuffer img = words({100, 200}, 200);
  EXPECT_FALSE(img.Flatcorrection(matrix({2.0f, 2.0f, 2.0f})));

  Timgbuffer tall = matrix({2.0f, 2.0f});
  tall.xsize = 1;
  tall.ysize = 2;
  EXPECT_FALSE(img.Flatcorrection(tall));

  Timgbuffer plain = words({1, 1}, 1);  // a flat not yet made a matrix
  EXPECT_FALSE(img.Flatcorrection(plain));

  EXPECT_EQ(img.data16()[0], 100);
  EXPECT_EQ(img.data16()[1], 200);
  EXPECT_EQ(img.bufferMax, 200);
  EXPECT_FALSE(img.flatcorrected);
}

}  // namespace
}  // namespace vargaze
