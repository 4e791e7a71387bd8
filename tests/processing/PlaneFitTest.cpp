// The sky plane: samples from the ROIs, the least-squares fit checked against
// hand-solved planes, and its removal from images the tests build.
#include <gtest/gtest.h>

#include <vector>

#include "processing/PlaneFit.h"

namespace vargaze {
namespace {

TRoi1 skyRoi(std::int32_t xb, std::int32_t yb, std::int64_t bcounts, std::int32_t d = 5) {
  TRoi1 r;
  r.xb = xb;
  r.yb = yb;
  r.bcounts = bcounts;
  r.d = d;
  return r;
}

TEST(BackgroundSamples, OnlyPlacedAndMeasuredBackgroundsCount) {
  const std::vector<TRoi1> rois = {skyRoi(10, 20, 2500), skyRoi(-1, 20, 2500), skyRoi(10, 20, 0),
                                   skyRoi(10, -1, 2500)};
  const std::vector<PlaneSample> s = backgroundSamples(rois);
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0].x, 10.0);
  EXPECT_EQ(s[0].y, 20.0);
  EXPECT_EQ(s[0].m, 100.0);
}

TEST(BackgroundSamples, LevelPerPixelRoundsHalfToEven) {
  // 4 pixels: 62.5 -> 62, 63.5 -> 64, 62.75 -> 63.
  const std::vector<PlaneSample> s =
      backgroundSamples({skyRoi(1, 1, 250, 2), skyRoi(1, 1, 254, 2), skyRoi(1, 1, 251, 2)});
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[0].m, 62.0);
  EXPECT_EQ(s[1].m, 64.0);
  EXPECT_EQ(s[2].m, 63.0);
}

TEST(PlaneFit, FourCornersOfASquareGiveTheirPlane) {
  // m = 1000 + 2x - 3y at the corners of the square (10,10)-(50,50).
  const std::vector<PlaneSample> s = {{10, 10, 990}, {50, 10, 1070}, {10, 50, 870}, {50, 50, 950}};
  const auto p = fitPlane(s);
  ASSERT_TRUE(p.has_value());
  EXPECT_FLOAT_EQ(p->a, 1000.0f);
  EXPECT_FLOAT_EQ(p->bx, 2.0f);
  EXPECT_FLOAT_EQ(p->by, -3.0f);
}

TEST(PlaneFit, LeastSquaresThroughPointsOffThePlane) {
  // Corners of the unit square with m = 0, 0, 0, 4: by hand the normal
  // equations give a = -1, bx = 2, by = 2 (residuals +1, -1, -1, +1).
  const auto p = fitPlane({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 4}});
  ASSERT_TRUE(p.has_value());
  EXPECT_NEAR(p->a, -1.0f, 1e-6);
  EXPECT_NEAR(p->bx, 2.0f, 1e-6);
  EXPECT_NEAR(p->by, 2.0f, 1e-6);
}

TEST(PlaneFit, ThreeSamplesAreTooFew) {
  EXPECT_FALSE(fitPlane({{10, 10, 5}, {50, 10, 6}, {10, 50, 7}}).has_value());
  EXPECT_FALSE(fitPlane({}).has_value());
}

TEST(PlaneFit, CollinearSamplesGiveAFlatModel) {
  // On the line y = 2x + 1, with coordinates whose sums do not cancel exactly
  // in floating point.
  const auto p = fitPlane({{3, 7, 100}, {17, 35, 250}, {123, 247, 300}, {1001, 2003, 999}});
  ASSERT_TRUE(p.has_value());
  EXPECT_EQ(p->a, 0.0f);
  EXPECT_EQ(p->bx, 0.0f);
  EXPECT_EQ(p->by, 0.0f);
}

TEST(PlaneFit, ConstantSkyIsItsLevel) {
  const auto p = fitPlane({{5, 5, 733}, {90, 7, 733}, {40, 60, 733}, {88, 71, 733}, {3, 50, 733}});
  ASSERT_TRUE(p.has_value());
  EXPECT_FLOAT_EQ(p->a, 733.0f);
  EXPECT_NEAR(p->bx, 0.0f, 1e-5);
  EXPECT_NEAR(p->by, 0.0f, 1e-5);
}

Timgbuffer imageOf(std::int32_t bufferbyte, int w, int h, std::int32_t (*value)(int, int)) {
  Timgbuffer img;
  img.init(w, h, bufferbyte);
  for (int y = 1; y <= h; ++y) {
    for (int x = 1; x <= w; ++x) img.putpixel(x, y, value(x, y));
  }
  return img;
}

TEST(RemovePlane, AKnownPlaneLeavesThePedestal) {
  Timgbuffer img = imageOf(kPixel16, 12, 9, [](int x, int y) { return 2000 + 7 * x - 4 * y; });
  img.Offset1 = 32768.0;
  img.putpixel(6, 5, 2000 + 42 - 20 + 900);  // a star keeps its net counts
  removePlane(img, BackgroundPlane{2000.0f, 7.0f, -4.0f}, 100);
  for (int y = 1; y <= 9; ++y) {
    for (int x = 1; x <= 12; ++x) EXPECT_EQ(img.getpixel(x, y), x == 6 && y == 5 ? 1000 : 100);
  }
  EXPECT_EQ(img.Offset1, 0.0);
}

TEST(RemovePlane, ResultsAreClampedToThePixelType) {
  Timgbuffer words = imageOf(kPixel16, 3, 1, [](int x, int) { return x == 1 ? 50 : 65500; });
  removePlane(words, BackgroundPlane{-200.0f, 0.0f, 0.0f}, 0);  // +200
  EXPECT_EQ(words.getpixel(1, 1), 250);
  EXPECT_EQ(words.getpixel(2, 1), 65535);

  Timgbuffer bytes = imageOf(kPixel8, 3, 1, [](int x, int) { return x * 80; });
  removePlane(bytes, BackgroundPlane{150.0f, 0.0f, 0.0f}, 200);  // +50
  EXPECT_EQ(bytes.getpixel(1, 1), 130);
  EXPECT_EQ(bytes.getpixel(2, 1), 210);
  EXPECT_EQ(bytes.getpixel(3, 1), 255);  // 290
  removePlane(bytes, BackgroundPlane{200.0f, 0.0f, 0.0f}, 0);
  EXPECT_EQ(bytes.getpixel(1, 1), 0);  // -70

  Timgbuffer longs = imageOf(kPixel32, 2, 1, [](int x, int) { return x == 1 ? 2147483000 : 5; });
  removePlane(longs, BackgroundPlane{-1000.0f, 0.0f, 0.0f}, 0);
  EXPECT_EQ(longs.getpixel(1, 1), 2147483647);
  EXPECT_EQ(longs.getpixel(2, 1), 1005);
}

}  // namespace
}  // namespace vargaze
