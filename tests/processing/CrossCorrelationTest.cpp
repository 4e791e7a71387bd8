// Frame shift by cross-correlation: star fields built by the test, the second
// one with every star moved by a known amount.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "photometry/RoiWindow.h"
#include "processing/CrossCorrelation.h"
#include "series/Series.h"
#include "support/FitsBuilder.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

struct Field {
  int width = 120;
  int height = 100;
  std::vector<std::pair<int, int>> stars;
};

// Fixed star positions spread over the middle of a 120 x 100 frame.
Field starField() {
  return {120,
          100,
          {{30, 40},
           {45, 62},
           {52, 31},
           {60, 75},
           {71, 50},
           {80, 28},
           {88, 66},
           {95, 45},
           {38, 55},
           {66, 36}}};
}

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
    for (int x = 1; x <= f.width; ++x) {
      img.putpixel(x, y, static_cast<std::int32_t>(p[std::size_t((y - 1) * f.width + x - 1)]));
    }
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

TEST(CrossCorrelation, IdenticalImagesAndAFieldMovedSevenPixelsRight) {
  const Field f = starField();
  const FrameShift same = CrossCorr(image(f, 0, 0), image(f, 0, 0), correlationRange(f.width));
  EXPECT_EQ(same.dx, 0);
  EXPECT_EQ(same.dy, 0);
  const FrameShift s = CrossCorr(image(f, 0, 0), image(f, 7, 0), correlationRange(f.width));
  EXPECT_EQ(s.dx, 7);
  EXPECT_EQ(s.dy, 0);
}

TEST(CrossCorrelation, BothAxesAndBothDirections) {
  const Field f = starField();
  const FrameShift s = CrossCorr(image(f, 0, 0), image(f, -7, 4, kPixel32), 24);
  EXPECT_EQ(s.dx, -7);
  EXPECT_EQ(s.dy, 4);
}

TEST(CrossCorrelation, FramesLowerThanTwiceTheRangeGetNoYShift) {
  // Width 200: range 40, and 60 rows leave no position for the y sums.
  Field f{200, 60, {{60, 20}, {90, 35}, {120, 28}, {150, 40}}};
  EXPECT_EQ(correlationRange(200), 40);
  const FrameShift s = CrossCorr(image(f, 0, 0), image(f, 5, 3), correlationRange(200));
  EXPECT_EQ(s.dx, 5);
  EXPECT_EQ(s.dy, 0);
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

TEST(CrossCorrelationFiles, ReportsTheShiftOf32BitFrames) {
  test::TempDir dir;
  const Field f = starField();
  test::RecordingUi ui;
  const auto s = crossCorrelateFiles(writeField(dir, "a.fit", f, 0, 0, 32),
                                     writeField(dir, "b.fit", f, 7, -4, 32), ui);
  ASSERT_TRUE(s.has_value());
  EXPECT_EQ(ui.messages, std::vector<std::string>{"dx= 7 dy= -4"});
}

TEST(CrossCorrelationFiles, UnreadableOrIncompatibleFilesAreRefused) {
  test::TempDir dir;
  const Field f = starField();
  Field taller = f;
  ++taller.height;
  const std::string a = writeField(dir, "a.fit", f, 0, 0);
  test::RecordingUi ui;
  EXPECT_FALSE(crossCorrelateFiles(dir.file("none.fit"), a, ui));
  EXPECT_FALSE(crossCorrelateFiles(a, dir.file("none.fit"), ui));
  EXPECT_FALSE(crossCorrelateFiles(a, writeField(dir, "b.fit", taller, 0, 0), ui));
  EXPECT_FALSE(crossCorrelateFiles(a, writeField(dir, "c.fit", f, 0, 0, 32), ui));
  EXPECT_EQ(ui.messages, (std::vector<std::string>{
                             "Kann FITS-Datei 1 nicht laden", "Kann FITS-Datei 2 nicht laden",
                             "Bilddateien inkompatibel", "Bilddateien inkompatibel"}));
}

TEST(CrossCorrelationCommand, UsesTheFirstTwoFramesOfTheSeries) {
  test::TempDir dir;
  Settings settings;
  test::RecordingUi ui;
  MainWindowFlags flags;
  ImageWindowState imgwin;
  RoiWindow win{settings, ui, flags, imgwin};
  Series series{settings, ui, win};
  EXPECT_FALSE(test11Click(series));
  EXPECT_EQ(ui.messages.back(), "Kein Bild geladen");

  const Field f = starField();
  const std::string a = writeField(dir, "a.fit", f, 0, 0);
  ASSERT_TRUE(series.openSeries({a}));
  EXPECT_FALSE(test11Click(series));
  EXPECT_EQ(ui.messages.back(), "2 Bilder müssen geladen sein");

  ASSERT_TRUE(series.openSeries({a, writeField(dir, "b.fit", f, 7, 0)}));
  const auto s = test11Click(series);
  ASSERT_TRUE(s.has_value());
  EXPECT_EQ(ui.messages.back(), "dx= 7 dy= 0");
}

}  // namespace
}  // namespace vargaze
