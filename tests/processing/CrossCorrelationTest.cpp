// Frame shift by cross-correlation: star fields built by the test, the second
// one with every star moved by a known amount.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "processing/CrossCorrelation.h"
#include "support/SeriesRig.h"

namespace vargaze {
namespace {

struct Field {
  int width = 120;
  int height = 100;
  std::vector<std::pair<int, int>> stars = {{30, 40}, {45, 62}, {52, 31}, {60, 75}, {71, 50},
                                            {80, 28}, {88, 66}, {95, 45}, {38, 55}, {66, 36}};
};

// Gaussian stars of peak 3000 on a sky of 100, every star moved by (dx, dy).
std::vector<double> pixels(const Field& f, int dx, int dy) {
  std::vector<double> p;
  for (int y = 1; y <= f.height; ++y) {
    for (int x = 1; x <= f.width; ++x) {
      double v = 100.0;
      for (const auto& [sx, sy] : f.stars) {
        const double rx = x - (sx + dx);
        const double ry = y - (sy + dy);
        v += 3000.0 * std::exp(-(rx * rx + ry * ry) / (2 * 1.5 * 1.5));
      }
      p.push_back(std::round(v));
    }
  }
  return p;
}

Timgbuffer image(const Field& f, int dx, int dy, std::int32_t type = kPixel16) {
  const std::vector<double> p = pixels(f, dx, dy);
  Timgbuffer img;
  img.init(f.width, f.height, type);
  for (int y = 1; y <= f.height; ++y) {
    for (int x = 1; x <= f.width; ++x) img.putpixel(x, y, std::int32_t(p[(y - 1) * f.width + x - 1]));
  }
  return img;
}

std::string writeField(const test::TempDir& dir, const std::string& name, const Field& f, int dx,
                       int dy, int bitpix = 16) {
  const std::string path = dir.file(name);
  test::writeBytes(path,
                   test::FitsBuilder(bitpix, f.width, f.height).pixels(pixels(f, dx, dy)).bytes());
  return path;
}

Profile spikes(std::int32_t length, std::vector<std::pair<int, int>> at) {
  Profile p(std::size_t(length) + 1, 0);
  for (const auto& [k, v] : at) p[std::size_t(k)] = v;
  return p;
}

TEST(CrossCorrelation, FindsTheShiftOfAStarField) {
  // 200 x 60: range 40, and 60 rows leave no position for the y sums.
  const Field low{200, 60, {{60, 20}, {90, 35}, {120, 28}, {150, 40}}};
  const struct {
    Field field;
    int dx, dy;
    std::int32_t type;
    int foundDy;
  } rows[] = {{Field{}, 0, 0, kPixel16, 0},
              {Field{}, 7, 0, kPixel16, 0},
              {Field{}, -7, 4, kPixel32, 4},
              {low, 5, 3, kPixel16, 0}};
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << r.field.width << " wide, moved " << r.dx << "," << r.dy);
    const FrameShift s = CrossCorr(image(r.field, 0, 0), image(r.field, r.dx, r.dy, r.type),
                                   correlationRange(r.field.width));
    EXPECT_EQ(s.dx, r.dx);
    EXPECT_EQ(s.dy, r.foundDy);
  }
  EXPECT_EQ(std::vector({correlationRange(200), correlationRange(123)}), std::vector({40, 25}));
}

TEST(Smoothline, RunsInPlaceFromTheSecondToTheLastButOne) {
  Profile p = {0, 10, 0, 0, 0};
  smoothline(p, 4);
  // 10/3 -> 3, then (3 + 0 + 0)/3 -> 1 with the value already smoothed.
  EXPECT_EQ(p, (Profile{0, 10, 3, 1, 0}));
  Profile q = {0, 3, 6, 9, 0};
  smoothline(q, 2);
  EXPECT_EQ(q, (Profile{0, 3, 6, 9, 0}));
}

TEST(Profiles, XTakesTheSmoothedRowMaximaYTheRawColumnMaxima) {
  Timgbuffer img;
  img.init(4, 3, kPixel16);
  img.putpixel(2, 2, 90);
  img.putpixel(4, 3, 30);
  EXPECT_EQ(xProfile(img), (Profile{0, 0, 30, 10, 30}));
  EXPECT_EQ(yProfile(img), (Profile{0, 0, 90, 30}));
}

TEST(BestShift, OnlyPositionsInsideTheRangeMarginEnterTheSums) {
  // Length 100, range 20: positions 21..80 of profile 1.
  EXPECT_EQ(bestShift(spikes(100, {{15, 9}}), spikes(100, {{18, 9}}), 100, 20), 0);
  EXPECT_EQ(bestShift(spikes(100, {{30, 9}}), spikes(100, {{33, 9}}), 100, 20), 3);
  EXPECT_EQ(bestShift(spikes(100, {{50, 9}}), spikes(100, {{75, 9}}), 100, 20), 0);
  // Equal sums: the smaller shift.
  EXPECT_EQ(bestShift(spikes(100, {{50, 9}}), spikes(100, {{47, 9}, {53, 9}}), 100, 20), -3);
}

TEST(CrossCorrelationFiles, ReportTheShiftOrWhyThereIsNone) {
  test::TempDir dir;
  const Field f;
  Field taller = f;
  ++taller.height;
  const std::string a = writeField(dir, "a.fit", f, 0, 0);
  test::SeriesBench b;
  ASSERT_TRUE(b.series.openSeries(
      {a, writeField(dir, "b.fit", f, 7, 0), writeField(dir, "c.fit", f, 3, 0)}));
  EXPECT_TRUE(test11Click(b.series));  // the first two frames
  EXPECT_TRUE(crossCorrelateFiles(writeField(dir, "a32.fit", f, 0, 0, 32),
                                  writeField(dir, "b32.fit", f, 7, -4, 32), b.ui));
  EXPECT_FALSE(crossCorrelateFiles(dir.file("none.fit"), a, b.ui));
  EXPECT_FALSE(crossCorrelateFiles(a, dir.file("none.fit"), b.ui));
  EXPECT_FALSE(crossCorrelateFiles(a, writeField(dir, "tall.fit", taller, 0, 0), b.ui));
  EXPECT_FALSE(crossCorrelateFiles(a, dir.file("a32.fit"), b.ui));
  EXPECT_EQ(b.ui.messages,
            (std::vector<std::string>{"dx= 7 dy= 0", "dx= 7 dy= -4", "Kann FITS-Datei 1 nicht laden",
                                      "Kann FITS-Datei 2 nicht laden", "Bilddateien inkompatibel",
                                      "Bilddateien inkompatibel"}));
}

}  // namespace
}  // namespace vargaze
