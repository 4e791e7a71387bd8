// The full and incremental runs, the curve data file and their lines: run
// file texts, curve arrays, cancel and load failures.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "series/CurveArrays.h"
#include "series/LightCurveRun.h"
#include "series/RunFile.h"
#include "support/Lines.h"
#include "support/SeriesRig.h"

namespace vargaze {
namespace {

using test::readBytes;

// The magnitude of a star of `net` counts against ROI 1 (20000 counts, 11.2).
double magnitudeOf(double net) {
  return 11.2 + 2.5 * std::log10(20000.0 / net);
}

class LightCurveRunTest : public test::SeriesRig {
 protected:
  // Frames f0.. one minute apart from 2024-03-01 20:00 UT (JD 2460371.333333),
  // the target of frame i at 2000 (i + 1) counts.
  std::vector<std::string> writeSeries(int n) {
    std::vector<std::string> paths;
    for (int i = 0; i < n; ++i)
      paths.push_back(writeTimed("f" + std::to_string(i) + ".fit", i, 2000.0 * (i + 1)));
    return paths;
  }
  std::string writeTimed(const std::string& name, int minute, double target) {
    test::FrameContent content = test::twoStars("2024-03-01T20:0" + std::to_string(minute) + ":00");
    content.stars[1].counts = target;
    test::writeFrame(dir.file(name), content);
    return dir.file(name);
  }
  void openNight(const std::vector<std::string>& paths) {
    openWithRois(paths);
    series.ProjectFilename = dir.file("night.vgp");
  }
  std::size_t runLines() { return test::crlfLines(readBytes(dir.file("night.prn"))).size(); }
};

TEST_F(LightCurveRunTest, RunFileAndCurveOfThreeFrames) {
  const auto paths = writeSeries(3);
  openNight(paths);
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  const auto line = [&](int i, const std::string& rest) {
    return "\"" + paths[static_cast<std::size_t>(i)] + "\";" + rest + "\r\n";
  };
  EXPECT_EQ(readBytes(dir.file("night.prn")),
            "\"filename\";\"JD-2450000\";\"ROI1  mag\";\"ROI2  mag\";\r\n"
            "\"------\";0;11.200;\"?\"\r\n" +
                line(0, "10371.33333;11.200;13.700") + line(1, "10371.33403;11.200;12.947") +
                line(2, "10371.33472;11.200;12.507"));
  EXPECT_EQ(series.curve.NumCurvePoints, 3);
  EXPECT_EQ(flags.Activeframe, 1);
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(series.curve.mag(i, 1), magnitudeOf(2000.0 * (i + 1)), 1e-5);
    EXPECT_NEAR(series.curve.mag(i, 0), 11.2, 1e-5);
  }
  EXPECT_EQ(series.curve.AirmassArray[0], -1.0f);  // no AIRMASS card

  // Middle of the 60 s exposure: 30 s later than the start.
  settings.MiddletimeCorrection = true;
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  EXPECT_NEAR(series.curve.XTimes[0], 2460371.3333333 + 30.0 / 86400 - 2450000, 1e-7);
}

TEST_F(LightCurveRunTest, CancelKeepsTheMeasuredLinesAndTheOldCurve) {
  openNight(writeSeries(6));
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  const CurveArrays before = series.curve;
  ui.cancelAfterEvents = ui.eventsProcessed + 3;
  EXPECT_EQ(Analyse1Click(series), RunResult::Cancelled);
  EXPECT_EQ(runLines(), 2u + 3u);
  EXPECT_EQ(series.curve.NumCurvePoints, 6);
  EXPECT_EQ(series.curve.XTimes, before.XTimes);
  EXPECT_FALSE(series.runActive);
  EXPECT_TRUE(series.Timer1Enabled);
}

TEST_F(LightCurveRunTest, RefusedWithoutRoisFramesOrProject) {
  ASSERT_TRUE(series.openSeries(writeSeries(1)));
  EXPECT_EQ(Analyse1Click(series), RunResult::Refused);
  EXPECT_EQ(ui.messages.back(), "Keine ROI definiert.");
  addRoi(30, 30);
  EXPECT_EQ(Analyse1Click(series), RunResult::Refused);
  EXPECT_EQ(ui.messages.back(), "Lichtkurve erst ab 2 Bilddateien verfügbar.");
  ASSERT_TRUE(series.openSeries(writeSeries(2)));
  bool asked = false;
  EXPECT_EQ(Analyse1Click(series, [&] { return asked = true; }), RunResult::Refused);
  EXPECT_TRUE(asked);  // no project name: the save command was offered first
}

TEST_F(LightCurveRunTest, IncrementalRunAppendsTheFramesThatLoadAndStopsWhenAsked) {
  openNight(writeSeries(2));
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  const std::string broken = dir.file("broken.fit");
  test::writeBytes(broken, "SIMPLE  = T");
  const std::string later = writeTimed("later.fit", 5, 8000.0);
  EXPECT_EQ(AnalyseNew(series, {broken, later}).appended, 1);
  EXPECT_EQ(series.filelist1.size(), 3u);
  EXPECT_EQ(series.filelist1.back(), later);
  EXPECT_EQ(series.curve.NumCurvePoints, 3);
  EXPECT_NEAR(series.curve.mag(2, 1), magnitudeOf(8000.0), 1e-5);
  const auto lines = test::crlfLines(readBytes(dir.file("night.prn")));
  ASSERT_EQ(lines.size(), 2u + 3u);
  EXPECT_EQ(lines.back().rfind("\"" + later + "\";10371.33681;", 0), 0u) << lines.back();

  // Asked to stop after the current file: one frame taken, the count kept.
  const std::string a = writeTimed("a.fit", 6, 2000.0);
  const std::string b = writeTimed("b.fit", 7, 2000.0);
  EXPECT_EQ(AnalyseNew(series, {a, b}, [] { return false; }).appended, 1);
  EXPECT_EQ(series.curve.NumCurvePoints, 3);
  EXPECT_EQ(series.filelist1.size(), 4u);
}

TEST_F(LightCurveRunTest, CurveDataFile) {
  const auto paths = writeSeries(3);
  openNight(paths);
  win.roi(1).rmag = 10.5f;
  EXPECT_FALSE(SaveCurveData(series, dir.file("none.prn")));
  EXPECT_EQ(ui.messages.back(), "Keine Lichtkurven vorhanden.");
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  settings.JDprecision = 3;  // the curve data file always prints 5 decimals
  ASSERT_TRUE(SaveCurveData(series, dir.file("curve.prn")));
  const auto lines = test::crlfLines(readBytes(dir.file("curve.prn")));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "\"filename\";\"JD-2450000\";\"ROI1  mag\";\"ROI2  mag\";");
  EXPECT_EQ(lines[1], "\"------\";0;10.500;\"?\"");
  // 10.5 + 2.5 log10(20000 / 6000) = 11.807
  EXPECT_EQ(lines[4], "\"" + paths[2] + "\";10371.33472;10.500;11.807");
  // An edited, shorter file list writes fewer lines.
  series.filelist1.pop_back();
  ASSERT_TRUE(SaveCurveData(series, dir.file("short.prn")));
  EXPECT_EQ(test::crlfLines(readBytes(dir.file("short.prn"))).size(), 4u);
}

// Lines the runs above do not write: other offsets and precisions, a check
// star with a magnitude, other curve file extensions, a curve beyond any
// fixed size.
TEST(RunFileTest, HeaderReferenceAndFrameLinesAndCurveFileNames) {
  EXPECT_EQ(runHeaderLine(0.0, 1), "\"filename\";\"JD\";\"ROI1  mag\";");
  EXPECT_EQ(runHeaderLine(-5.0, 0), "\"filename\";\"JD\";");
  EXPECT_EQ(runHeaderLine(2460000.5, 0), "\"filename\";\"JD-2460000.5\";");
  TRoi1 comp;
  comp.ref = true;
  comp.rmag = 11.2f;
  TRoi1 check;
  check.rmag = 12.0f;  // a check star's magnitude is not a reference
  EXPECT_EQ(runReferenceLine({comp, check}), "\"------\";0;11.200;\"?\"");
  EXPECT_EQ(runFrameLine("b.fit", 2455234.123456789, 8, {12.3456f}),
            "\"b.fit\";2455234.12345679;12.346");

  Settings settings;
  settings.CurveFileExt = ".csv";
  EXPECT_EQ(curveFileName("/p/night.vgp", settings), "/p/night.csv");
  for (const char* bad : {".vgp", ".VGP", ".roi", "", "csv"}) {
    settings.CurveFileExt = bad;
    EXPECT_EQ(curveFileName("/p/night.vgp", settings), "/p/night.prn") << bad;
  }
}

TEST(CurveArraysTest, GrowsBeyondAnyFixedSize) {
  CurveArrays curve;
  curve.setFrame(4999, 123.25, 1.2f, std::vector<float>(1500, 12.5f));  // frame 5000, 1500 ROIs
  EXPECT_EQ(curve.XTimes.size(), 5000u);
  EXPECT_EQ(curve.XTimes[4999], 123.25);
  EXPECT_EQ(curve.AirmassArray[4999], 1.2f);
  EXPECT_EQ(curve.AirmassArray[10], -1.0f);
  EXPECT_EQ(curve.mag(4999, 1499), 12.5f);
  for (const auto& [frame, roi] : {std::pair{10, 0}, {4999, 1500}, {5000, 0}}) {
    EXPECT_EQ(curve.mag(frame, roi), 99.0f) << frame << " " << roi;  // never measured
  }
}

}  // namespace
}  // namespace vargaze
