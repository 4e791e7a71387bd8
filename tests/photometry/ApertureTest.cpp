// Counting of star boxes, rings and sky boxes against plain pixel sums made
// here; the two centring methods; the drift from the track star.
#include <gtest/gtest.h>

#include "PhotometryRig.h"
#include "photometry/Aperture.h"
#include "photometry/Tracking.h"

namespace vargaze {
namespace {

using test::fillImage;
using test::plainSum;
using test::ringRoi;

// A sloped sky with three stars: every pixel differs.
Timgbuffer starField() {
  Timgbuffer img;
  fillImage(img, 120, 90, [](int x, int y) {
    return static_cast<int>(std::lround(500 + 3 * x + 2 * y +
                                        test::gaussianStar(40.3, 30.7, 80000, 1.7, x, y) +
                                        test::gaussianStar(90.6, 60.2, 30000, 2.1, x, y) +
                                        test::gaussianStar(20.0, 75.0, 50000, 1.5, x, y)));
  });
  return img;
}

TEST(ApertureTest, RingCountsEqualPlainSums) {
  // Sides of the squares counted: an even size counts the next smaller odd
  // square, the inner ring size d_in leaves out a (2 * (d_in / 2) - 1) square.
  struct Case { int d, dIn, dOut, star, inner, outer; };
  const Case cases[] = {{5, 7, 9, 5, 5, 9},    {6, 8, 9, 5, 7, 9},     {9, 11, 13, 9, 9, 13},
                        {11, 8, 15, 11, 7, 15}, {6, 11, 13, 5, 9, 13}, {9, 7, 9, 9, 5, 9}};
  const Timgbuffer img = starField();
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.d << " " << c.dIn << " " << c.dOut);
    TRoi1 r = ringRoi(40, 31, c.d);
    bool empty = false;
    countAperture(img, r, c.dIn, c.dOut, empty);
    const auto square = [&](int side) {
      const int h = side / 2;
      return plainSum(img, 40 - h, 31 - h, 40 + h, 31 + h);
    };
    const int ringPixels = c.outer * c.outer - c.inner * c.inner;
    EXPECT_EQ(r.acounts, square(c.star));
    EXPECT_EQ(r.npixa, c.star * c.star);
    EXPECT_EQ(r.npixb, ringPixels);
    EXPECT_EQ(r.bcounts,
              std::llround(double(r.npixa) / ringPixels * double(square(c.outer) - square(c.inner))));
    EXPECT_FALSE(empty);
  }
}

TEST(ApertureTest, SeparateSkyBoxUnplacedSkyBoxAndEmptyRing) {
  const Timgbuffer img = starField();
  bool empty = false;
  TRoi1 r = ringRoi(40, 31, 7);
  r.xb = r.x0b = 70;
  r.yb = r.y0b = 20;
  countAperture(img, r, 0, 9, empty);
  EXPECT_EQ(r.npixb, 49);
  EXPECT_EQ(r.bcounts, plainSum(img, 67, 17, 73, 23));  // same size as the star box: scale 1
  EXPECT_EQ(r.acounts, plainSum(img, 37, 28, 43, 34));

  r.x0b = r.y0b = 0;
  r.xb = -1;
  countAperture(img, r, 9, 13, empty);
  EXPECT_GT(r.acounts, 0);
  EXPECT_EQ(r.bcounts, 0);
  EXPECT_EQ(r.npixb, 0);
  EXPECT_FALSE(empty);

  TRoi1 ring = ringRoi(40, 31, 5);
  countAperture(img, ring, 11, 9, empty);  // outer square smaller than the inner one
  EXPECT_TRUE(empty);
  EXPECT_EQ(ring.npixb, 0);
  EXPECT_EQ(ring.bcounts, 0);
}

TEST(ApertureTest, BoxesReachingOutsideTheImageCountNothing) {
  const Timgbuffer img = starField();
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
  // Touching the last column and row, or starting at column 2, is still inside.
  TRoi1 corner = ringRoi(118, 88, 5);
  countAperture(img, corner, 0, 0, empty);
  EXPECT_EQ(corner.acounts, plainSum(img, 116, 86, 120, 90));
  TRoi1 left = ringRoi(4, 1 + 2, 5);
  countAperture(img, left, 0, 0, empty);
  EXPECT_EQ(left.acounts, plainSum(img, 2, 1, 6, 5));
}

TEST(CenteringTest, CentroidFindsAStarAndTheRingFollows) {
  Timgbuffer img;
  fillImage(img, 80, 80, [](int x, int y) {
    return static_cast<int>(std::lround(200 + test::gaussianStar(43.0, 37.0, 50000, 1.6, x, y)));
  });
  TRoi1 r = ringRoi(40, 35, 9);  // placed a few pixels off
  centerROI_s(img, r, 0.0, 0.0);
  centerROI_s(img, r, 0.0, 0.0);
  EXPECT_EQ(std::pair(r.xa, r.ya), std::pair(43, 37));
  EXPECT_EQ(std::pair(r.xb, r.yb), std::pair(43, 37));  // ring mode: the background follows
  EXPECT_EQ(r.amaxcounts, img.getpixel(43, 37));
}

TEST(CenteringTest, SearchBoxAndTies) {
  // Bright pixels on a sky of 100; the ROI starts at (x0, y0), its current
  // centre is (xa, ya).
  struct Case {
    const char* what;
    bool maximumMethod;
    std::vector<std::pair<std::pair<int, int>, int>> pixels;
    int d, x0, y0, xa, ya;
    double vx, vy;
    std::pair<int, int> centre;
  };
  const Case cases[] = {
      {"brightest pixel", true, {{{33, 28}, 900}}, 7, 30, 30, 30, 30, 0, 0, {33, 28}},
      // Equal peaks: the one in the smaller column comes first in the scan,
      // and the second square around it holds only that peak.
      {"first of equal maxima", false, {{{27, 33}, 1000}, {{33, 27}, 1000}}, 5, 30, 30, 30, 30, 0, 0, {27, 33}},
      // round(0.4) = 0, round(-0.6) = -1: the box is around (30, 29), not
      // around the current centre with its brighter star.
      {"shift anchors at the start", true, {{{30, 29}, 5000}, {{36, 36}, 9000}}, 3, 30, 30, 36, 36, 0.4, -0.6, {30, 29}},
      {"search box left of column 2", false, {{{4, 20}, 900}}, 7, 3, 20, 3, 20, 0, 0, {3, 20}},
      {"flat box: no weight", false, {}, 7, 20, 20, 20, 20, 0, 0, {20, 20}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Timgbuffer img;
    fillImage(img, 60, 60, [&](int x, int y) {
      for (const auto& [at, v] : c.pixels)
        if (at == std::pair(x, y)) return v;
      return 100;
    });
    TRoi1 r = ringRoi(c.x0, c.y0, c.d);
    r.xa = c.xa;
    r.ya = c.ya;
    (c.maximumMethod ? centerROI_m : centerROI_s)(img, r, c.vx, c.vy);
    EXPECT_EQ(std::pair(r.xa, r.ya), c.centre);
  }
  // A saturated plateau of 3 x 2 pixels: the rounded mean of their
  // positions, 26.5 rounding to even. A dark box leaves the centre.
  Timgbuffer img;
  fillImage(img, 60, 60, [](int x, int y) { return x >= 30 && x <= 32 && y >= 26 && y <= 27 ? 65535 : 0; });
  TRoi1 s = ringRoi(28, 28, 7);
  centerROI_m(img, s, 0.0, 0.0);
  EXPECT_EQ(std::pair(s.xa, s.ya), std::pair(31, 26));
  EXPECT_EQ(s.amaxcounts, 65535);
  TRoi1 dark = ringRoi(10, 40, 7);
  centerROI_m(img, dark, 0.0, 0.0);
  EXPECT_EQ(std::pair(dark.xa, dark.ya), std::pair(10, 40));
}

TEST(TrackingTest, ShiftIsTheStarCentreMinusItsStoredPosition) {
  Timgbuffer img;
  // A symmetric star on a black sky: its weighted centre is its position.
  fillImage(img, 100, 80, [](int x, int y) {
    return static_cast<int>(std::lround(test::gaussianStar(52.0, 41.0, 200000, 1.5, x, y)));
  });
  ImageWindowState imgwin;
  imgwin.TrackstarX = 50.0;
  imgwin.TrackstarY = 40.0;
  double sx = 0.0;
  double sy = 0.0;
  ASSERT_TRUE(GetTrackstarShift(img, imgwin, 10, sx, sy));
  EXPECT_NEAR(sx, 2.0, 1e-9);
  EXPECT_NEAR(sy, 1.0, 1e-9);
  EXPECT_EQ(std::pair(imgwin.Vx, imgwin.Vy), std::pair(sx, sy));

  // No track star set, or nothing to find on a flat frame: the shift stays.
  fillImage(img, 60, 60, [](int, int) { return 300; });
  imgwin = ImageWindowState{};
  imgwin.Vx = 1.5;
  sx = sy = 7.0;
  EXPECT_FALSE(GetTrackstarShift(img, imgwin, 10, sx, sy));
  imgwin.TrackstarX = imgwin.TrackstarY = 30.0;
  EXPECT_FALSE(GetTrackstarShift(img, imgwin, 10, sx, sy));
  EXPECT_EQ(imgwin.Vx, 1.5);
  EXPECT_EQ(sx, 7.0);
}

}  // namespace
}  // namespace vargaze
