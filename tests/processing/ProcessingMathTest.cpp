// The arithmetic of the processing commands against values worked out by
// hand or built into the test images: the sky plane and the line removal on
// it, the frame shift of star fields moved by a known amount, DCF77 pulses.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>
#include <set>
#include <tuple>

#include "processing/CrossCorrelation.h"
#include "processing/DcfPulses.h"
#include "processing/LineRemoval.h"
#include "processing/PlaneFit.h"
#include "support/SeriesRig.h"

namespace vargaze {
namespace {

TRoi1 skyRoi(std::int32_t xb, std::int32_t yb, std::int64_t bcounts, std::int32_t d = 5) {
  TRoi1 r;
  std::tie(r.xb, r.yb, r.bcounts, r.d) = std::tuple(xb, yb, bcounts, d);
  return r;
}

Timgbuffer imageOf(std::int32_t bufferbyte, int w, int h, const std::function<int(int, int)>& v) {
  Timgbuffer img;
  img.init(w, h, bufferbyte);
  for (int i = 0; i < w * h; ++i) img.putpixel(i % w + 1, i / w + 1, v(i % w + 1, i / w + 1));
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
      // On y = 2x + 1, with sums that do not cancel exactly in floating point.
      {"collinear: flat", {{3, 7, 100}, {17, 35, 250}, {123, 247, 300}, {1001, 2003, 999}},
       BackgroundPlane{0, 0, 0}},
      {"three are too few", {{10, 10, 5}, {50, 10, 6}, {10, 50, 7}}, std::nullopt},
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

TEST(RemovePlane, AKnownPlaneLeavesThePedestalAndResultsStayInThePixelType) {
  Timgbuffer img = imageOf(kPixel16, 12, 9, [](int x, int y) { return 2000 + 7 * x - 4 * y; });
  img.Offset1 = 32768.0;
  img.putpixel(6, 5, 2000 + 42 - 20 + 900);
  removePlane(img, BackgroundPlane{2000.0f, 7.0f, -4.0f}, 100);
  for (int y = 1; y <= 9; ++y) {
    for (int x = 1; x <= 12; ++x) EXPECT_EQ(img.getpixel(x, y), x == 6 && y == 5 ? 1000 : 100);
  }
  EXPECT_EQ(img.Offset1, 0.0);
  // A flat plane a with pedestal 0 adds -a, up to the ends of each pixel type.
  for (const auto& [type, before, a, after] :
       {std::tuple(kPixel8, 240, -20, 255), std::tuple(kPixel8, 130, 200, 0),
        std::tuple(kPixel16, 65500, -200, 65535), std::tuple(kPixel32, 2147483000, -1000, 2147483647)}) {
    Timgbuffer one = imageOf(type, 1, 1, [&](int, int) { return before; });
    removePlane(one, BackgroundPlane{float(a), 0, 0}, 0);
    EXPECT_EQ(one.getpixel(1, 1), after) << "pixel type " << type;
  }
}

TEST(SkyThreshold, TwiceTheNoiseAboveThePedestal) {
  EXPECT_DOUBLE_EQ(skyThreshold(1510.0f, 1510), 1580.0);  // SD = sqrt(1000 + 225) = 35
  EXPECT_DOUBLE_EQ(skyThreshold(0.0f, 0), 30.0);
  // Below zero the plane carries no photon noise: SD = 15.
  EXPECT_DOUBLE_EQ(skyThreshold(-1510.0f, 1510), 1540.0);
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
  ASSERT_TRUE(EliminateLines(img, {skyRoi(3, 3, 25000), skyRoi(28, 3, 25000),
                                   skyRoi(3, 18, 25000), skyRoi(28, 18, 25000)}, ui));
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

struct Field {
  int width = 120;
  int height = 100;
  std::vector<std::pair<int, int>> stars = {{30, 40}, {45, 62}, {52, 31}, {60, 75}, {71, 50},
                                            {80, 28}, {88, 66}, {95, 45}, {38, 55}, {66, 36}};
};

// Stars of peak 3000 and sigma 1.5 on a sky of 100, every one moved by (dx, dy).
std::string writeField(const test::TempDir& dir, const std::string& name, const Field& f, int dx,
                       int dy, int bitpix = 16) {
  std::vector<double> p(std::size_t(f.width * f.height), 100.0);
  for (int i = 0; i < f.width * f.height; ++i) {
    for (const auto& [sx, sy] : f.stars) {
      const int x = i % f.width + 1 - sx - dx, y = i / f.width + 1 - sy - dy;
      p[std::size_t(i)] += 3000.0 * std::exp(-(x * x + y * y) / 4.5);
    }
    p[std::size_t(i)] = std::round(p[std::size_t(i)]);
  }
  test::writeBytes(dir.file(name), test::FitsBuilder(bitpix, f.width, f.height).pixels(p).bytes());
  return dir.file(name);
}

Profile spike(int at) {
  Profile p(101, 0);
  p[std::size_t(at)] = 9;
  return p;
}

TEST(CrossCorrelation, ProfilesAndBestShiftByHand) {
  Profile p = {0, 10, 0, 0, 0};
  smoothline(p, 4);  // in place: 10/3 -> 3, then (3 + 0 + 0)/3 -> 1
  EXPECT_EQ(p, (Profile{0, 10, 3, 1, 0}));

  Timgbuffer img;
  img.init(4, 3, kPixel16);
  img.putpixel(2, 2, 90);
  img.putpixel(4, 3, 30);
  EXPECT_EQ(xProfile(img), (Profile{0, 0, 30, 10, 30}));  // smoothed row maxima
  EXPECT_EQ(yProfile(img), (Profile{0, 0, 90, 30}));      // raw column maxima

  // Length 100, range 20: only positions 21..80 of profile 1 enter the sums.
  EXPECT_EQ(bestShift(spike(15), spike(18), 100, 20), 0);
  EXPECT_EQ(bestShift(spike(30), spike(33), 100, 20), 3);
  EXPECT_EQ(bestShift(spike(50), spike(75), 100, 20), 0);
  Profile twin = spike(47);
  twin[53] = 9;
  EXPECT_EQ(bestShift(spike(50), twin, 100, 20), -3);  // equal sums: the smaller shift
}

TEST(CrossCorrelation, FilesOfStarFieldsMovedByAKnownShift) {
  test::TempDir dir;
  const Field f;
  const Field low{200, 60, {{60, 20}, {90, 35}, {120, 28}, {150, 40}}};
  const std::string a = writeField(dir, "a.fit", f, 0, 0);
  test::SeriesBench b;
  ASSERT_TRUE(b.series.openSeries(
      {a, writeField(dir, "b.fit", f, 7, 0), writeField(dir, "c.fit", f, 3, 0)}));
  EXPECT_TRUE(test11Click(b.series));  // the first two frames
  EXPECT_TRUE(crossCorrelateFiles(writeField(dir, "a32.fit", f, 0, 0, 32),
                                  writeField(dir, "b32.fit", f, -7, 4, 32), b.ui));
  // 200 x 60: range 40, and 60 rows leave no position for the y sums.
  EXPECT_TRUE(crossCorrelateFiles(writeField(dir, "low.fit", low, 0, 0),
                                  writeField(dir, "low2.fit", low, 5, 3), b.ui));
  EXPECT_FALSE(crossCorrelateFiles(dir.file("none.fit"), a, b.ui));
  EXPECT_FALSE(crossCorrelateFiles(a, dir.file("none.fit"), b.ui));
  EXPECT_FALSE(crossCorrelateFiles(a, writeField(dir, "tall.fit", Field{120, 101}, 0, 0), b.ui));
  EXPECT_FALSE(crossCorrelateFiles(a, dir.file("a32.fit"), b.ui));
  EXPECT_EQ(b.ui.messages, (std::vector<std::string>{
                               "dx= 7 dy= 0", "dx= -7 dy= 4", "dx= 5 dy= 0",
                               "Kann FITS-Datei 1 nicht laden", "Kann FITS-Datei 2 nicht laden",
                               "Bilddateien inkompatibel", "Bilddateien inkompatibel"}));
  EXPECT_EQ(std::vector({correlationRange(200), correlationRange(123)}), std::vector({40, 25}));
}

// A pulse of `frames` lamp-on frames of 1000 net counts each.
void pulse(DcfCollector& c, std::int32_t first, int frames) {
  for (int i = 0; i < frames; ++i) c.addLampFrame(first + i, 1000);
}

// 25 frames a second; bit 0 lights 2 frames, bit 1 four. Seconds 55-58 of one
// minute, the dark second 59, then seconds 0-58 of the next with ones in
// seconds 20, 51, 52 and 55: the year 2 + 4 + 20 = 26.
TEST(DcfEvaluation, MinuteMarkBitsAndYear) {
  DcfCollector c;
  const std::set<int> ones = {20, 51, 52, 55};
  int k = 0;
  for (int s = 55; s <= 58; ++s, ++k) pulse(c, 1 + 25 * k, 2);
  ++k;  // second 59: no pulse
  for (int s = 0; s <= 58; ++s, ++k) pulse(c, 1 + 25 * k, ones.count(s) ? 4 : 2);
  const DcfResult r = evaluateDcf(c.DCFlist);
  // 62 intervals: 61 of 25 frames and one of 50 -> 1575 / 62 = 25.4. Completed
  // sums of pulses 2..63: 4 of 4000 and 58 of 2000 -> 132000 / 62 = 2129.
  EXPECT_EQ(std::vector<std::int64_t>({r.m1, r.m2, r.cx}),
            std::vector<std::int64_t>({25, 2129, 3000}));
  ASSERT_EQ(r.dcfbit.size(), 58u);  // seconds 1..58
  EXPECT_EQ(r.dcfbit[19], 1);       // second 20
  const std::vector<std::string> lines = dcfResultLines(r);
  ASSERT_EQ(lines.size(), 65u);
  EXPECT_EQ(lines[0], "1, 0, 2000, 0");
  EXPECT_EQ(lines[4], "126, -1, 2000, 50");  // the pulse after the dark second
  EXPECT_EQ(lines[24], "626, 1, 4000, 25");  // second 20
  EXPECT_EQ(lines[63], "mittl. intervall=25 mittl. counts=2129");
  EXPECT_EQ(lines[64], "Jahr=26");

  // The recording starts in the last frame of a pulse: the threshold stays.
  DcfCollector late;
  late.addLampFrame(2, 1000);
  for (std::size_t i = 1; i < c.DCFlist.size(); ++i) {
    pulse(late, c.DCFlist[i].fnum, c.DCFlist[i].fcount + 1);
  }
  const DcfResult lateResult = evaluateDcf(late.DCFlist);
  EXPECT_EQ(std::vector<std::int64_t>(
                {lateResult.cx, lateResult.pulses[0].fcount, lateResult.year.value_or(-1)}),
            std::vector<std::int64_t>({3000, 0, 26}));

  // Seconds 0..56 only: bit 57 is missing, and with it the year.
  const DcfResult cut = evaluateDcf({c.DCFlist.begin(), c.DCFlist.begin() + 4 + 57});
  EXPECT_EQ(cut.dcfbit.size(), 56u);
  EXPECT_EQ(dcfResultLines(cut).back(), "Jahr=unbekannt");

  // A single pulse has no interval and no means.
  DcfCollector single;
  pulse(single, 10, 3);
  EXPECT_EQ(dcfResultLines(evaluateDcf(single.DCFlist)),
            (std::vector<std::string>{"10, 1, 3000, 0", "mittl. intervall=0 mittl. counts=0",
                                      "Jahr=unbekannt"}));
}

}  // namespace
}  // namespace vargaze
