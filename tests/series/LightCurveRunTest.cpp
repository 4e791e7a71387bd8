// The full and incremental runs: run file texts, curve arrays, cancel and
// load failures.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "base/Numbers.h"
#include "series/LightCurveRun.h"
#include "support/SeriesFixture.h"

namespace vargaze {
namespace {

class LightCurveRunTest : public test::SeriesFixture {
 protected:
  // Frames i = 0..n-1 with a comparison star (net 10000) and a target whose
  // net counts are 1000 * (i + 1), one minute apart.
  std::vector<std::string> writeSeries(int n) {
    std::vector<std::string> files;
    for (int i = 0; i < n; ++i) {
      const std::string date = "2023-10-05T21:1" + std::to_string(i) + ":45.5";
      files.push_back(writeFrame("f" + std::to_string(i) + ".fit",
                                 {{20, 20, 10000}, {50, 30, 1000 * (i + 1)}}, date));
    }
    return files;
  }

  void openWithRois(const std::vector<std::string>& files, bool target = true) {
    ASSERT_TRUE(series.openSeries(files));
    const auto comp = addRoi(20, 20);
    window.roi(comp).ref = true;
    window.roi(comp).rmag = 11.2f;
    if (target) addRoi(50, 30);
    series.ProjectFilename = dir.file("night.vgp");
  }

  std::string runFileText() { return test::readBytes(dir.file("night.prn")); }
};

TEST_F(LightCurveRunTest, TwoFramesOneComparisonGiveFourLines) {
  const auto files = writeSeries(2);
  openWithRois(files, false);
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  // JD of 2023-10-05 21:10:45.5 UT = 2460223.38247106 (21:13:45.5 is .38455).
  const std::string expected =
      "\"filename\";\"JD-2450000\";\"ROI1  mag\";\r\n"
      "\"------\";0;11.200\r\n"
      "\"" + files[0] + "\";10223.38247;11.200\r\n"
      "\"" + files[1] + "\";10223.38317;11.200\r\n";
  EXPECT_EQ(runFileText(), expected);
  EXPECT_EQ(series.curve.NumCurvePoints, 2);
  EXPECT_EQ(flags.Activeframe, 1);
}

TEST_F(LightCurveRunTest, MagnitudesTimesAndAirmassGoToTheCurve) {
  const auto files = writeSeries(3);
  openWithRois(files);
  settings.MiddletimeCorrection = true;
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  for (int i = 0; i < 3; ++i) {
    // Zero point 11.2 + 2.5 log10(10000) = 21.2; target 21.2 - 2.5 log10(1000 (i + 1)).
    EXPECT_NEAR(series.curve.mag(i, 1), 13.7 - 2.5 * std::log10(i + 1.0), 1e-5);
    EXPECT_NEAR(series.curve.mag(i, 0), 11.2, 1e-5);
  }
  // Middle of the 10 s exposure: 5 s later than the start.
  EXPECT_NEAR(series.curve.XTimes[0], 2460223.38247106 + 5.0 / 86400 - 2450000, 1e-7);
  EXPECT_EQ(series.curve.AirmassArray[0], -1.0f);  // no AIRMASS card
  EXPECT_NE(runFileText().find(";11.200;13.700\r\n"), std::string::npos);
}

TEST_F(LightCurveRunTest, CancelKeepsTheMeasuredLinesAndTheOldCurve) {
  const auto files = writeSeries(10);
  openWithRois(files);
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  const CurveArrays before = series.curve;
  ui.cancelAfterEvents = ui.eventsProcessed + 3;
  EXPECT_EQ(Analyse1Click(series), RunResult::Cancelled);
  const std::string text = runFileText();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2 + 3);
  EXPECT_EQ(series.curve.NumCurvePoints, 10);
  EXPECT_EQ(series.curve.XTimes, before.XTimes);
  EXPECT_FALSE(series.runActive);
  EXPECT_TRUE(series.Timer1Enabled);
}

TEST_F(LightCurveRunTest, MissingFrameEndsTheRunWithTheFramesBeforeOnDisk) {
  const auto files = writeSeries(5);
  openWithRois(files);
  std::filesystem::remove(files[2]);
  EXPECT_EQ(Analyse1Click(series), RunResult::Failed);
  EXPECT_EQ(ui.messages.back(), "Fehler beim Laden der Datei " + files[2]);
  const std::string text = runFileText();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2 + 2);
  EXPECT_EQ(series.curve.NumCurvePoints, 0);
  EXPECT_FALSE(series.runActive);
}

TEST_F(LightCurveRunTest, RefusedWithoutRoisFramesOrProject) {
  const auto files = writeSeries(1);
  ASSERT_TRUE(series.openSeries(files));
  EXPECT_EQ(Analyse1Click(series), RunResult::Refused);
  EXPECT_EQ(ui.messages.back(), "Keine ROI definiert.");
  addRoi(20, 20);
  EXPECT_EQ(Analyse1Click(series), RunResult::Refused);
  EXPECT_EQ(ui.messages.back(), "Lichtkurve erst ab 2 Bilddateien verfügbar.");
  ASSERT_TRUE(series.openSeries(writeSeries(2)));
  bool asked = false;
  EXPECT_EQ(Analyse1Click(series, [&] { return asked = true; }), RunResult::Refused);
  EXPECT_TRUE(asked);  // no project name: the save command was offered first
}

TEST_F(LightCurveRunTest, IncrementalRunAppendsTheFramesThatLoad) {
  auto files = writeSeries(2);
  openWithRois(files);
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  const std::string broken = dir.file("broken.fit");
  test::writeBytes(broken, "SIMPLE  = T");
  const std::string later = writeFrame("later.fit", {{20, 20, 10000}, {50, 30, 4000}},
                                       "2023-10-05T22:00:00");
  EXPECT_EQ(AnalyseNew(series, {broken, later}).appended, 1);
  EXPECT_EQ(series.filelist1.size(), 3u);
  EXPECT_EQ(series.filelist1.back(), later);
  EXPECT_EQ(series.curve.NumCurvePoints, 3);
  EXPECT_NEAR(series.curve.mag(2, 1), 21.2 - 2.5 * std::log10(4000.0), 1e-5);
  const std::string text = runFileText();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2 + 3);
  EXPECT_NE(text.find("\"" + later + "\";"), std::string::npos);
}

TEST_F(LightCurveRunTest, IncrementalRunStopsAfterTheCurrentFile) {
  auto files = writeSeries(2);
  openWithRois(files);
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  const std::string a = writeFrame("a.fit", {{20, 20, 10000}}, "2023-10-05T22:00:00");
  const std::string b = writeFrame("b.fit", {{20, 20, 10000}}, "2023-10-05T22:01:00");
  EXPECT_EQ(AnalyseNew(series, {a, b}, [] { return false; }).appended, 1);
  EXPECT_EQ(series.curve.NumCurvePoints, 2);  // a stopped cycle keeps the count
}

TEST_F(LightCurveRunTest, CurveDataFile) {
  const auto files = writeSeries(3);
  openWithRois(files);
  window.roi(1).rmag = 10.5f;
  EXPECT_FALSE(SaveCurveData(series, dir.file("none.prn")));
  EXPECT_EQ(ui.messages.back(), "Keine Lichtkurven vorhanden.");
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  ASSERT_TRUE(SaveCurveData(series, dir.file("curve.prn")));
  const std::string text = test::readBytes(dir.file("curve.prn"));
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5);
  EXPECT_EQ(text.substr(0, text.find("\r\n", text.find("\r\n") + 2)),
            "\"filename\";\"JD-2450000\";\"ROI1  mag\";\"ROI2  mag\";\r\n\"------\";0;10.500;\"?\"");
  EXPECT_NE(text.find("\"" + files[2] + "\";10223.38386;10.500;" +
                      formatFixed(20.5 - 2.5 * std::log10(3000.0), 3, 6)),
            std::string::npos)
      << text;
  // An edited, shorter file list writes fewer lines.
  series.curve.NumCurvePoints = 3;
  series.filelist1.pop_back();
  ASSERT_TRUE(SaveCurveData(series, dir.file("short.prn")));
  const std::string shorter = test::readBytes(dir.file("short.prn"));
  EXPECT_EQ(std::count(shorter.begin(), shorter.end(), '\n'), 4);
}

}  // namespace
}  // namespace vargaze
