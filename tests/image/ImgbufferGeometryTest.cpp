// Flips, quarter turns and binning, checked against plain index arithmetic.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>

#include "image/Imgbuffer.h"

namespace vargaze {
namespace {

// A w x h image whose pixel (x, y) holds 100 * y + x.
Timgbuffer numbered(std::int32_t w, std::int32_t h, std::int32_t code) {
  Timgbuffer img;
  EXPECT_EQ(img.init(w, h, code), 0);
  for (std::int32_t y = 1; y <= h; ++y) {
    for (std::int32_t x = 1; x <= w; ++x) img.putpixel(x, y, 100 * y + x);
  }
  return img;
}

std::int32_t headerInt(const Timgbuffer& img, const char* key) {
  bool error = true;
  const std::int32_t v = getFitskeyInteger(img.fitsheader, key, error);
  EXPECT_FALSE(error) << key;
  return v;
}

TEST(ImgbufferFlip, VerticalSwapsLinesAndKeepsAnOddMiddle) {
  Timgbuffer img = numbered(4, 3, kPixelUnset);
  img.flipvertical();
  EXPECT_EQ(img.bufferbyte, kPixel16);
  EXPECT_TRUE(img.Flipped);
  for (int y = 1; y <= 3; ++y) {
    for (int x = 1; x <= 4; ++x) EXPECT_EQ(img.getpixel(x, y), 100 * (4 - y) + x);
  }
  img.flipvertical();
  EXPECT_FALSE(img.Flipped);
  for (int y = 1; y <= 3; ++y) {
    for (int x = 1; x <= 4; ++x) EXPECT_EQ(img.getpixel(x, y), 100 * y + x);
  }
}

TEST(ImgbufferFlip, HorizontalSwapsColumnsForEveryType) {
  for (std::int32_t code : {kPixel8, kPixel16, kPixel32}) {
    Timgbuffer img = numbered(5, 2, code);
    img.fliphorizontal();
    EXPECT_TRUE(img.Mirrored);
    for (int y = 1; y <= 2; ++y) {
      for (int x = 1; x <= 5; ++x) {
        const int expected = 100 * y + (6 - x);
        EXPECT_EQ(img.getpixel(x, y), code == kPixel8 ? std::min(expected, 255) : expected);
      }
    }
  }
}

TEST(ImgbufferRotate, QuarterTurnOfThreeByTwo) {
  Timgbuffer img = numbered(3, 2, kPixel16);
  img.Flipped = true;
  img.rotate90(1);
  EXPECT_EQ(img.xsize, 2);
  EXPECT_EQ(img.ysize, 3);
  EXPECT_EQ(img.getpixel(2, 1), 101);  // old (1, 1)
  EXPECT_EQ(img.getpixel(1, 3), 203);  // old (3, 2)
  for (int y = 1; y <= 2; ++y) {
    for (int x = 1; x <= 3; ++x) EXPECT_EQ(img.getpixel(2 - y + 1, x), 100 * y + x);
  }
  EXPECT_EQ(headerInt(img, "NAXIS1"), 2);
  EXPECT_EQ(headerInt(img, "NAXIS2"), 3);
  EXPECT_EQ(img.rotated, 1);
  EXPECT_TRUE(img.Flipped);
  EXPECT_FALSE(img.Mirrored);
}

TEST(ImgbufferRotate, FourQuarterTurnsRestoreTheImage) {
  Timgbuffer img = numbered(5, 3, kPixel32);
  for (int i = 0; i < 4; ++i) img.rotate90(1);
  EXPECT_EQ(img.rotated, 0);
  EXPECT_EQ(img.xsize, 5);
  for (int y = 1; y <= 3; ++y) {
    for (int x = 1; x <= 5; ++x) EXPECT_EQ(img.getpixel(x, y), 100 * y + x);
  }
}

TEST(ImgbufferRotate, HalfTurnKeepsTheFlipFlags) {
  Timgbuffer img = numbered(4, 3, kPixel16);
  img.rotated = 3;
  img.rotate90(2);
  EXPECT_EQ(img.rotated, 1);
  EXPECT_FALSE(img.Flipped);
  EXPECT_FALSE(img.Mirrored);
  for (int y = 1; y <= 3; ++y) {
    for (int x = 1; x <= 4; ++x) EXPECT_EQ(img.getpixel(5 - x, 4 - y), 100 * y + x);
  }
}

TEST(ImgbufferRotate, FloatPixelsTurnToo) {
  Timgbuffer img;
  ASSERT_EQ(img.init(2, 1, kPixelFloat), 0);
  img.dataFloat()[0] = 1.25f;
  img.dataFloat()[1] = 7.5f;
  img.rotate90(1);  // a 1 x 2 column: old (x, 1) at (1, x)
  EXPECT_EQ(img.dataFloat()[0], 1.25f);
  EXPECT_EQ(img.dataFloat()[1], 7.5f);
  EXPECT_EQ(img.xsize, 1);
}

// Mean of the n x n block at output pixel (X, Y), rounded half to even.
std::int32_t blockMean(const Timgbuffer& img, int n, int X, int Y) {
  double sum = 0;
  for (int y = n * (Y - 1) + 1; y <= n * Y; ++y) {
    for (int x = n * (X - 1) + 1; x <= n * X; ++x) sum += img.getpixel(x, y);
  }
  return static_cast<std::int32_t>(std::nearbyint(sum / (n * n)));
}

TEST(ImgbufferBinning, TwoByTwoMeansDropTheLeftoverLineAndColumn) {
  Timgbuffer img;
  ASSERT_EQ(img.init(5, 5, kPixel16), 0);
  // Values chosen so that some block sums end in .5 after dividing by 4.
  for (int y = 1; y <= 5; ++y) {
    for (int x = 1; x <= 5; ++x) img.putpixel(x, y, (x * 7 + y * 13) % 10 + 60000 * (x == 5));
  }
  const auto original = img.duplicate();
  img.PixScale = 1.5;
  img.binning(2);

  EXPECT_EQ(img.xsize, 2);
  EXPECT_EQ(img.ysize, 2);
  EXPECT_EQ(img.bufferbyte, kPixel32);
  EXPECT_EQ(img.postbinned, 2);
  EXPECT_EQ(img.PixScale, 3.0);
  std::int32_t top = 0;
  for (int Y = 1; Y <= 2; ++Y) {
    for (int X = 1; X <= 2; ++X) {
      EXPECT_EQ(img.getpixel(X, Y), blockMean(*original, 2, X, Y)) << X << "," << Y;
      top = std::max(top, img.getpixel(X, Y));
    }
  }
  EXPECT_EQ(img.bufferMax, top);
  EXPECT_EQ(headerInt(img, "BITPIX"), 32);
  EXPECT_EQ(headerInt(img, "BZERO"), 0);
  EXPECT_EQ(headerInt(img, "NAXIS1"), 2);
  EXPECT_EQ(headerInt(img, "NAXIS2"), 2);
}

TEST(ImgbufferBinning, ThreeByThreeOfBytesAndNegativeLongs) {
  Timgbuffer bytes = numbered(7, 6, kPixel8);
  const auto bytesBefore = bytes.duplicate();
  bytes.binning(3);
  ASSERT_EQ(bytes.xsize, 2);
  ASSERT_EQ(bytes.ysize, 2);
  for (int Y = 1; Y <= 2; ++Y) {
    for (int X = 1; X <= 2; ++X) EXPECT_EQ(bytes.getpixel(X, Y), blockMean(*bytesBefore, 3, X, Y));
  }

  Timgbuffer longs = numbered(3, 3, kPixel32);
  for (int i = 0; i < 9; ++i) longs.data32()[i] = -2000000000 + i;
  longs.binning(3);
  EXPECT_EQ(longs.getpixel(1, 1), -1999999996);
}

TEST(ImgbufferBinning, OtherFactorsChangeNothing) {
  Timgbuffer img = numbered(4, 4, kPixel16);
  for (std::uint8_t n : std::initializer_list<std::uint8_t>{0, 1, 4}) {
    img.binning(n);
    EXPECT_EQ(img.xsize, 4);
    EXPECT_EQ(img.bufferbyte, kPixel16);
    EXPECT_EQ(img.postbinned, 1);
    EXPECT_EQ(img.getpixel(4, 4), 404);
  }
}

}  // namespace
}  // namespace vargaze
