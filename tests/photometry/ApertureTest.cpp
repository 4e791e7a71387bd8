// Counting of star boxes, rings and sky boxes, checked against plain pixel
// sums of the same squares computed here without the engine.
#include <gtest/gtest.h>

#include <cmath>

#include "photometry/Aperture.h"
#include "SyntheticField.h"

namespace vargaze {
namespace {

using test::fillImage;
using test::plainSum;

class ApertureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A sloped sky with three stars, different values everywhere.
    fillImage(img, 120, 90, [](int x, int y) {
      double v = 500 + 3 * x + 2 * y;
      v += test::gaussianStar(40.3, 30.7, 80000, 1.7, x, y);
      v += test::gaussianStar(90.6, 60.2, 30000, 2.1, x, y);
      v += test::gaussianStar(20.0, 75.0, 50000, 1.5, x, y);
      return static_cast<int>(std::lround(v));
    });
  }

  TRoi1 ringRoi(int x, int y, int d) {
    TRoi1 r;
    r.xa = r.x0a = r.xb = r.x0b = x;
    r.ya = r.y0a = r.yb = r.y0b = y;
    r.d = d;
    return r;
  }

  Timgbuffer img;
};

TEST_F(ApertureTest, RingCountsEqualPlainSums) {
  for (int d : {5, 6, 9, 11}) {
    for (auto [dIn, dOut] : {std::pair{7, 9}, std::pair{11, 13}, std::pair{8, 15}}) {
      TRoi1 r = ringRoi(40, 31, d);
      bool empty = false;
      countAperture(img, r, dIn, dOut, empty);
      const int h = (d - 1) / 2;
      const int hi = dIn / 2 - 1;
      const int ho = (dOut - 1) / 2;
      const std::int64_t star = plainSum(img, 40 - h, 31 - h, 40 + h, 31 + h);
      const std::int64_t ring = plainSum(img, 40 - ho, 31 - ho, 40 + ho, 31 + ho) -
                                plainSum(img, 40 - hi, 31 - hi, 40 + hi, 31 + hi);
      const int ringPixels = (2 * ho + 1) * (2 * ho + 1) - (2 * hi + 1) * (2 * hi + 1);
      EXPECT_EQ(r.acounts, star) << d << " " << dIn << " " << dOut;
      EXPECT_EQ(r.npixa, (2 * h + 1) * (2 * h + 1));
      EXPECT_EQ(r.npixb, ringPixels);
      EXPECT_EQ(r.bcounts, std::llround(double(r.npixa) / ringPixels * double(ring)));
      EXPECT_FALSE(empty);
    }
  }
}

TEST_F(ApertureTest, WorkedRingSizes) {
  TRoi1 r = ringRoi(90, 60, 5);
  bool empty = false;
  countAperture(img, r, 7, 9, empty);
  EXPECT_EQ(r.npixa, 25);  // 5 x 5
  EXPECT_EQ(r.npixb, 56);  // 9 x 9 minus the inner 5 x 5
  TRoi1 even = ringRoi(90, 60, 6);
  countAperture(img, even, 8, 9, empty);
  EXPECT_EQ(even.npixa, 25);        // d = 6 counts a 5 x 5 box
  EXPECT_EQ(even.npixb, 81 - 49);   // d_in = 8 leaves out a 7 x 7 square
}

TEST_F(ApertureTest, SeparateSkyBoxIsScaledToTheStarBox) {
  TRoi1 r = ringRoi(40, 31, 7);
  r.xb = r.x0b = 70;
  r.yb = r.y0b = 20;
  bool empty = false;
  countAperture(img, r, 0, 9, empty);
  const std::int64_t sky = plainSum(img, 67, 17, 73, 23);
  EXPECT_EQ(r.npixb, 49);
  EXPECT_EQ(r.bcounts, sky);  // same size as the star box: the scale is 1
  EXPECT_EQ(r.acounts, plainSum(img, 37, 28, 43, 34));
}

TEST_F(ApertureTest, SkyBoxNotPlacedCountsNoBackground) {
  TRoi1 r = ringRoi(40, 31, 7);
  r.x0b = r.y0b = 0;
  r.xb = -1;
  bool empty = false;
  countAperture(img, r, 9, 13, empty);
  EXPECT_GT(r.acounts, 0);
  EXPECT_EQ(r.bcounts, 0);
  EXPECT_EQ(r.npixb, 0);
}

TEST_F(ApertureTest, BoxesReachingOutsideTheImageCountNothing) {
  bool empty = false;
  // Star box at the left edge (left column 1), beyond the right, top and bottom edges.
  for (auto [x, y] : {std::pair{3, 40}, std::pair{119, 40}, std::pair{60, 2}, std::pair{60, 89}}) {
    TRoi1 r = ringRoi(x, y, 5);
    countAperture(img, r, 7, 9, empty);
    EXPECT_EQ(r.acounts, 0) << x << "," << y;
    EXPECT_EQ(r.npixa, 0);
    EXPECT_EQ(r.amaxcounts, 0);
    EXPECT_EQ(r.npixb, 0);
  }
  // Star box inside, ring reaching outside: no background, never a partial one.
  TRoi1 r = ringRoi(6, 40, 5);
  countAperture(img, r, 7, 13, empty);
  EXPECT_EQ(r.acounts, plainSum(img, 4, 38, 8, 42));
  EXPECT_EQ(r.npixb, 0);
  EXPECT_EQ(r.bcounts, 0);
  // Touching the last column and row is still inside.
  TRoi1 corner = ringRoi(118, 88, 5);
  countAperture(img, corner, 0, 0, empty);
  EXPECT_EQ(corner.acounts, plainSum(img, 116, 86, 120, 90));
}

TEST_F(ApertureTest, EmptyRingIsReported) {
  TRoi1 r = ringRoi(40, 31, 5);
  bool empty = false;
  countAperture(img, r, 11, 9, empty);  // outer square smaller than the inner one
  EXPECT_TRUE(empty);
  EXPECT_EQ(r.npixb, 0);
  EXPECT_EQ(r.bcounts, 0);
}

TEST_F(ApertureTest, ImageOfOnesGivesTheApertureArea) {
  Timgbuffer ones;
  fillImage(ones, 50, 50, [](int, int) { return 1; });
  TRoi1 r = ringRoi(25, 25, 9);
  bool empty = false;
  countAperture(ones, r, 11, 15, empty);
  EXPECT_EQ(r.acounts, 81);
  EXPECT_EQ(r.bcounts, 81);  // the ring's mean of 1 scaled to 81 pixels
  EXPECT_EQ(r.net(), 0);
}

}  // namespace
}  // namespace vargaze
