// The sky plane and the line removal built on it: samples from the ROIs,
// the least-squares fit against hand-solved planes, its removal and the row
// levelling on images the tests build.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

#include "processing/LineRemoval.h"
#include "processing/PlaneFit.h"
#include "support/SeriesRig.h"

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

// Four sky samples of `level` counts per pixel near the corners of the image.
std::vector<TRoi1> cornerSamples(int w, int h, std::int64_t level) {
  return {skyRoi(3, 3, 25 * level), skyRoi(w - 2, 3, 25 * level), skyRoi(3, h - 2, 25 * level),
          skyRoi(w - 2, h - 2, 25 * level)};
}

Timgbuffer imageOf(std::int32_t bufferbyte, int w, int h, const std::function<int(int, int)>& v) {
  Timgbuffer img;
  img.init(w, h, bufferbyte);
  for (int y = 1; y <= h; ++y) {
    for (int x = 1; x <= w; ++x) img.putpixel(x, y, v(x, y));
  }
  return img;
}

TEST(BackgroundSamples, PlacedAndMeasuredOnesAtTheirLevelPerPixel) {
  // Left out: no background placed (x or y below 1), nothing measured. On 4
  // pixels 250, 254, 251 counts are 62.5 -> 62, 63.5 -> 64 (half to even), 62.75 -> 63.
  const std::vector<PlaneSample> s =
      backgroundSamples({skyRoi(10, 20, 2500), skyRoi(0, 20, 2500), skyRoi(10, 20, 0),
                         skyRoi(10, 0, 2500), skyRoi(1, 1, 250, 2), skyRoi(1, 1, 254, 2),
                         skyRoi(1, 1, 251, 2)});
  ASSERT_EQ(s.size(), 4u);
  EXPECT_EQ(std::vector({s[0].x, s[0].y, s[0].m}), std::vector({10.0, 20.0, 100.0}));
  EXPECT_EQ(std::vector({s[1].m, s[2].m, s[3].m}), std::vector({62.0, 64.0, 63.0}));
}

TEST(PlaneFit, HandSolvedPlanes) {
  const struct {
    const char* what;
    std::vector<PlaneSample> samples;
    std::optional<BackgroundPlane> plane;
  } rows[] = {
      {"corners of a square on m = 1000 + 2x - 3y",
       {{10, 10, 990}, {50, 10, 1070}, {10, 50, 870}, {50, 50, 950}}, BackgroundPlane{1000, 2, -3}},
      // Normal equations by hand: a = -1, bx = by = 2, residuals +1, -1, -1, +1.
      {"off the plane", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 4}}, BackgroundPlane{-1, 2, 2}},
      {"constant sky", {{5, 5, 733}, {90, 7, 733}, {40, 60, 733}, {88, 71, 733}, {3, 50, 733}},
       BackgroundPlane{733, 0, 0}},
      // On y = 2x + 1, with sums that do not cancel exactly in floating point.
      {"collinear: flat", {{3, 7, 100}, {17, 35, 250}, {123, 247, 300}, {1001, 2003, 999}},
       BackgroundPlane{0, 0, 0}},
      {"three are too few", {{10, 10, 5}, {50, 10, 6}, {10, 50, 7}}, std::nullopt},
      {"none", {}, std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const auto p = fitPlane(row.samples);
    ASSERT_EQ(p.has_value(), row.plane.has_value());
    if (!p) continue;
    EXPECT_NEAR(p->a, row.plane->a, 1e-4);
    EXPECT_NEAR(p->bx, row.plane->bx, 1e-5);
    EXPECT_NEAR(p->by, row.plane->by, 1e-5);
  }
}

TEST(RemovePlane, AKnownPlaneLeavesThePedestalAndStarsTheirNetCounts) {
  Timgbuffer img = imageOf(kPixel16, 12, 9, [](int x, int y) { return 2000 + 7 * x - 4 * y; });
  img.Offset1 = 32768.0;
  img.putpixel(6, 5, 2000 + 42 - 20 + 900);
  removePlane(img, BackgroundPlane{2000.0f, 7.0f, -4.0f}, 100);
  for (int y = 1; y <= 9; ++y) {
    for (int x = 1; x <= 12; ++x) EXPECT_EQ(img.getpixel(x, y), x == 6 && y == 5 ? 1000 : 100);
  }
  EXPECT_EQ(img.Offset1, 0.0);
}

TEST(RemovePlane, ResultsAreClampedToThePixelType) {
  Timgbuffer words = imageOf(kPixel16, 3, 1, [](int x, int) { return x == 1 ? 50 : 65500; });
  removePlane(words, BackgroundPlane{-200.0f, 0.0f, 0.0f}, 0);  // +200
  EXPECT_EQ(std::vector({words.getpixel(1, 1), words.getpixel(2, 1)}), std::vector({250, 65535}));

  Timgbuffer bytes = imageOf(kPixel8, 3, 1, [](int x, int) { return x * 80; });
  removePlane(bytes, BackgroundPlane{150.0f, 0.0f, 0.0f}, 200);  // +50
  EXPECT_EQ(std::vector({bytes.getpixel(1, 1), bytes.getpixel(2, 1), bytes.getpixel(3, 1)}),
            std::vector({130, 210, 255}));
  removePlane(bytes, BackgroundPlane{200.0f, 0.0f, 0.0f}, 0);
  EXPECT_EQ(bytes.getpixel(1, 1), 0);  // -70

  Timgbuffer longs = imageOf(kPixel32, 2, 1, [](int x, int) { return x == 1 ? 2147483000 : 5; });
  removePlane(longs, BackgroundPlane{-1000.0f, 0.0f, 0.0f}, 0);
  EXPECT_EQ(std::vector({longs.getpixel(1, 1), longs.getpixel(2, 1)}),
            std::vector({2147483647, 1005}));
}

TEST(SkyThreshold, TwiceTheNoiseAboveThePedestal) {
  EXPECT_DOUBLE_EQ(skyThreshold(1510.0f, 1510), 1580.0);  // SD = sqrt(1000 + 225) = 35
  EXPECT_DOUBLE_EQ(skyThreshold(0.0f, 0), 30.0);
  // Below zero the plane carries no photon noise: SD = 15.
  EXPECT_DOUBLE_EQ(skyThreshold(-1510.0f, 1510), 1540.0);
  EXPECT_DOUBLE_EQ(skyThreshold(-100.0f, 100), 130.0);
}

TEST(LineRemoval, StripesTakeTheCommonLevelAndTheSkyStays) {
  const auto input = [](int x, int y) {
    if (y == 15) return x <= 25 ? 5000 + x : x == 26 ? 1017 : 1000;  // five sky pixels: too few
    return (y == 5 ? 1050 : y == 10 ? 950 : 1000) + (x == 7 && y == 3 ? 8000 : 0);
  };
  Timgbuffer img = imageOf(kPixel16, 30, 20, input);
  img.Offset1 = 32768.0;
  img.putpixel(8, 10, 20);  // a cold pixel in the dark row
  test::RecordingUi ui;
  ASSERT_TRUE(EliminateLines(img, cornerSamples(30, 20, 1000), ui));
  // Plane a = 1000, pedestal 1000, threshold 1059.6; row levels 1050 (row 5),
  // (29 * 950 + 20) div 30 = 919 (row 10), none for row 15, else 1000 (the
  // star of row 3 left out); common level (17 * 1000 + 1050 + 919) div 19 = 998.
  for (int y = 1; y <= 20; ++y) {
    for (int x = 1; x <= 30; ++x) {
      int expected = 998;
      if (x == 7 && y == 3) expected = 9000 - 1000 + 998;
      if (y == 10) expected = (x == 8 ? 20 : 950) - 919 + 998;
      if (y == 15) expected = input(x, y);  // left as it was
      ASSERT_EQ(img.getpixel(x, y), expected) << x << "," << y;
    }
  }
  EXPECT_EQ(img.Offset1, 0.0);
  EXPECT_TRUE(ui.messages.empty());
}

TEST(LineRemoval, ImagesTallerThan2048RowsAreLevelledToTheLastRow) {
  Timgbuffer img = imageOf(kPixel16, 8, 3000, [](int, int y) {
    return 500 + (y == 2999 ? 30 : y == 3000 ? -30 : 0);
  });
  test::RecordingUi ui;
  ASSERT_TRUE(EliminateLines(img, cornerSamples(8, 3000, 500), ui));
  EXPECT_EQ(std::vector({img.getpixel(4, 2999), img.getpixel(4, 3000)}), std::vector({500, 500}));
}

TEST(LineRemoval, TheCommandWorksOnTheImageOnDisplayWithItsRois) {
  test::SeriesBench b;
  *b.series.img = imageOf(kPixel16, 30, 20, [](int, int y) { return y == 6 ? 1040 : 1000; });
  b.series.imageLoaded = true;
  b.win.setImage(b.series.img.get());
  b.win.ROIlist = cornerSamples(30, 20, 1000);
  b.win.ROIlist.back().bcounts = 0;  // not measured: three samples
  b.win.BVRIlist.resize(4);
  b.win.ROIindex = 4;
  EXPECT_FALSE(EliminateLinesClick(b.series));
  EXPECT_EQ(b.ui.messages, std::vector<std::string>{"zu wenig Messpunkte"});
  EXPECT_EQ(b.series.img->getpixel(9, 6), 1040);  // unchanged

  b.win.ROIlist = cornerSamples(30, 20, 1000);
  b.series.controls.LowerScrollBar = 300;
  ASSERT_TRUE(EliminateLinesClick(b.series));
  EXPECT_EQ(b.series.img->getpixel(9, 6), 1002);  // (19 * 1000 + 1040) div 20
  EXPECT_EQ(b.series.controls.LowerScrollBar, 0);
  EXPECT_EQ(b.series.img->bufferMax, 1002);
}

}  // namespace
}  // namespace vargaze
