// The two centring methods and their search box.
#include <gtest/gtest.h>

#include <cmath>

#include "photometry/Aperture.h"
#include "SyntheticField.h"

namespace vargaze {
namespace {

using test::fillImage;

TRoi1 ringRoiAt(int x, int y, int d) {
  TRoi1 r;
  r.xa = r.x0a = r.xb = r.x0b = x;
  r.ya = r.y0a = r.yb = r.y0b = y;
  r.d = d;
  return r;
}

TEST(CenteringTest, CentroidFindsAStarAndTheRingFollows) {
  Timgbuffer img;
  fillImage(img, 80, 80, [](int x, int y) {
    return static_cast<int>(std::lround(200 + test::gaussianStar(43.0, 37.0, 50000, 1.6, x, y)));
  });
  TRoi1 r = ringRoiAt(40, 35, 9);  // placed a few pixels off
  r.x0b = r.x0a;
  centerROI_s(img, r, 0.0, 0.0);
  centerROI_s(img, r, 0.0, 0.0);
  EXPECT_EQ(r.xa, 43);
  EXPECT_EQ(r.ya, 37);
  EXPECT_EQ(r.xb, 43);  // ring mode: the background follows
  EXPECT_EQ(r.amaxcounts, img.getpixel(43, 37));
}

TEST(CenteringTest, MaximumPixelMethodMovesToTheBrightestPixelOrPlateauMiddle) {
  Timgbuffer img;
  fillImage(img, 60, 60, [](int x, int y) { return x == 33 && y == 28 ? 900 : 100; });
  TRoi1 r = ringRoiAt(30, 30, 7);
  centerROI_m(img, r, 0.0, 0.0);
  EXPECT_EQ(r.xa, 33);
  EXPECT_EQ(r.ya, 28);
  EXPECT_EQ(r.amaxcounts, 900);

  // A saturated plateau of 3 x 2 pixels: the rounded mean of their positions.
  Timgbuffer saturated;
  fillImage(saturated, 60, 60, [](int x, int y) {
    return x >= 30 && x <= 32 && y >= 26 && y <= 27 ? 65535 : 100;
  });
  TRoi1 s = ringRoiAt(28, 28, 7);
  centerROI_m(saturated, s, 0.0, 0.0);
  EXPECT_EQ(s.xa, 31);
  EXPECT_EQ(s.ya, 26);  // mean 26.5 rounds to even
}

TEST(CenteringTest, CentroidOfTwoEqualMaximaStartsAtTheFirstInScanOrder) {
  Timgbuffer img;
  // Two equal peaks; the one in the smaller column is found first.
  fillImage(img, 60, 60, [](int x, int y) {
    if ((x == 27 && y == 33) || (x == 33 && y == 27)) return 1000;
    return 100;
  });
  TRoi1 r = ringRoiAt(30, 30, 5);  // search half-size 3: both peaks inside
  centerROI_s(img, r, 0.0, 0.0);
  // The second square (half-size 3) around (27, 33) holds only that peak.
  EXPECT_EQ(r.xa, 27);
  EXPECT_EQ(r.ya, 33);
}

TEST(CenteringTest, ShiftAnchorsTheSearchAtTheMovedStartPosition) {
  Timgbuffer img;
  fillImage(img, 60, 60, [](int x, int y) {
    // A star at (30, 29); a brighter one near the current centre (36, 36).
    if (x == 30 && y == 29) return 5000;
    if (x == 36 && y == 36) return 9000;
    return 100;
  });
  TRoi1 r = ringRoiAt(30, 30, 3);  // search half-size round(1.5) = 2
  r.xa = 36;
  r.ya = 36;
  centerROI_m(img, r, 0.4, -0.6);  // round(0.4) = 0, round(-0.6) = -1: box around (30, 29)
  EXPECT_EQ(r.xa, 30);
  EXPECT_EQ(r.ya, 29);
}

TEST(CenteringTest, FlatOrDarkBoxesAndTheLeftEdgeLeaveTheCentre) {
  Timgbuffer flat;
  fillImage(flat, 40, 40, [](int, int) { return 700; });
  TRoi1 r = ringRoiAt(20, 20, 7);
  centerROI_s(flat, r, 0.0, 0.0);  // all weights 0: no centre, no division by zero
  EXPECT_EQ(r.xa, 20);
  Timgbuffer dark;
  fillImage(dark, 40, 40, [](int, int) { return 0; });
  centerROI_m(dark, r, 0.0, 0.0);
  EXPECT_EQ(r.xa, 20);
  TRoi1 edge = ringRoiAt(3, 20, 7);  // search box starts left of column 2
  fillImage(flat, 40, 40, [](int x, int) { return x == 4 ? 900 : 100; });
  centerROI_s(flat, edge, 0.0, 0.0);
  EXPECT_EQ(edge.xa, 3);
}

}  // namespace
}  // namespace vargaze
