// The automatic light-curve mode on a temporary folder: start, new frames
// taken once stable, files skipped or retried, stopping, refusals.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "series/LightCurveRun.h"
#include "series/LiveMode.h"
#include "series/ProjectFile.h"
#include "support/SeriesRig.h"
#include "support/FaultInjection.h"

namespace vargaze {
namespace {

using test::readBytes;
using test::twoStars;
using test::writeBytes;

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

class LiveModeTest : public test::SeriesRig {
 protected:
  LiveModeTest() : live(series, [this] { return now; }) {}

  // Frames f001..f003 taken at 20:00, 20:10 and 20:20 with two ROIs.
  void openNight() {
    std::vector<std::string> paths;
    for (int i = 1; i <= 3; ++i) {
      paths.push_back(frame(i));
      test::writeFrame(paths.back(), twoStars(timeOf(i)));
    }
    openWithRois(paths);
  }

  std::string frame(int i) const { return dir.file("f00" + std::to_string(i) + ".fit"); }
  static std::string timeOf(int i) { return "2024-03-01T20:" + std::to_string(i - 1) + "0:00"; }
  void writeNewFrame(int i) { test::writeFrame(frame(i), twoStars(timeOf(i))); }
  void advance(int seconds) { now += std::chrono::seconds(seconds); }
  std::vector<std::string> runFile() const { return linesOf(readBytes(dir.file("autolightcurve.prn"))); }

  std::chrono::steady_clock::time_point now{std::chrono::hours(1)};
  LiveMode live;
};

TEST_F(LiveModeTest, StartMeasuresTheSeriesFirstAndWritesBesideTheFrames) {
  openNight();
  ASSERT_TRUE(live.start());
  EXPECT_EQ(series.ProjectFilename, dir.file("autolightcurve.vgp"));
  EXPECT_FALSE(std::filesystem::exists(dir.file("autolightcurve.vgp")));  // written only on save
  EXPECT_EQ(series.curve.NumCurvePoints, 3);
  EXPECT_EQ(runFile().size(), 5u);
  EXPECT_TRUE(live.on());
  EXPECT_TRUE(series.autoLightcurveOn);
  EXPECT_TRUE(live.timerEnabled());
  EXPECT_EQ(live.refreshSign(), RefreshSign::Green);
  EXPECT_FALSE(live.LifeBtnEnabled());
  EXPECT_TRUE(live.StopButtonVisible());
}

TEST_F(LiveModeTest, NewFramesAreAppendedOnceStableOthersIgnored) {
  openNight();
  ASSERT_TRUE(live.start());
  writeNewFrame(4);
  writeNewFrame(5);
  writeBytes(dir.file("notes.txt"), "Wolken ab 21 Uhr");
  writeBytes(dir.file("preview.jpg"), "not a picture");
  writeBytes(dir.file("PREVIEW.JPG"), "not a picture");
  EXPECT_EQ(live.scanFolder(), (std::vector<std::string>{frame(4), frame(5)}));

  EXPECT_EQ(live.cycle(), 0);  // first seen now
  advance(1);
  EXPECT_EQ(live.cycle(), 0);  // stable for only 1 s
  advance(1);
  EXPECT_EQ(live.cycle(), 2);

  EXPECT_EQ(series.filelist1.size(), 5u);
  EXPECT_EQ(series.filelist1[3], frame(4));
  EXPECT_EQ(series.filelist1[4], frame(5));
  EXPECT_EQ(series.FramesLoaded, 5);
  EXPECT_EQ(series.curve.NumCurvePoints, 5);
  // 2024-03-01 20:30 UT is JD 2460371.354167; the curve keeps JD - 2450000.
  EXPECT_NEAR(series.curve.XTimes[3], 10371.3541667, 1e-6);
  const std::vector<std::string> lines = runFile();
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[5].substr(0, frame(4).size() + 3), "\"" + frame(4) + "\";");
  EXPECT_EQ(lines[6].substr(0, frame(5).size() + 3), "\"" + frame(5) + "\";");
  EXPECT_TRUE(live.scanFolder().empty());
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LiveModeTest, AHalfWrittenFrameIsTakenOnlyWhenStableAndComplete) {
  openNight();
  ASSERT_TRUE(live.start());
  const std::string whole = test::frameBytes(twoStars(timeOf(4)));
  writeBytes(frame(4), whole.substr(0, 2880 + 4000));  // header and part of the pixels
  EXPECT_EQ(live.cycle(), 0);
  advance(3);
  EXPECT_EQ(live.cycle(), 0);  // stable but cut short: does not load
  EXPECT_EQ(series.filelist1.size(), 3u);

  writeBytes(frame(4), whole);  // the camera finishes writing
  EXPECT_EQ(live.cycle(), 0);   // changed: seen anew
  advance(1);
  EXPECT_EQ(live.cycle(), 0);
  advance(1);
  EXPECT_EQ(live.cycle(), 1);
  EXPECT_EQ(series.filelist1.back(), frame(4));
  EXPECT_TRUE(ui.messages.empty());  // a file that does not load is skipped quietly
}

TEST_F(LiveModeTest, AFrameThatFailedToLoadIsTriedAgainNextCycle) {
  openNight();
  ASSERT_TRUE(live.start());
  series.controls.FlatCheck = true;  // no master flat: frames cannot be corrected
  writeNewFrame(4);
  live.cycle();
  advance(3);
  EXPECT_EQ(live.cycle(), 0);
  series.controls.FlatCheck = false;
  advance(10);
  EXPECT_EQ(live.cycle(), 1);  // the unchanged file, tried again
  EXPECT_EQ(series.filelist1.back(), frame(4));
}

TEST_F(LiveModeTest, AFileThatIsNoImageIsTriedEveryCycleAndNeverTaken) {
  openNight();
  ASSERT_TRUE(live.start());
  writeBytes(dir.file("results.csv"), "\"filename\";\"JD\";\r\n");
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(live.cycle(), 0);
    advance(5);
  }
  EXPECT_EQ(live.scanFolder(), std::vector<std::string>{dir.file("results.csv")});
  EXPECT_EQ(series.filelist1.size(), 3u);
  EXPECT_TRUE(live.on());
}

TEST_F(LiveModeTest, ANameDifferingOnlyInLetterCaseIsANewFrame) {
  openNight();
  ASSERT_TRUE(live.start());
  test::writeFrame(dir.file("F001.fit"), twoStars(timeOf(4)));
  live.cycle();
  advance(2);
  EXPECT_EQ(live.cycle(), 1);
  EXPECT_EQ(series.filelist1.back(), dir.file("F001.fit"));
}

TEST_F(LiveModeTest, StopDuringACycleEndsItAfterTheCurrentFile) {
  openNight();
  ASSERT_TRUE(live.start());
  writeNewFrame(4);
  writeNewFrame(5);
  live.cycle();
  advance(2);
  int events = 0;
  // Events run once before the files and once after each file.
  ui.onEvents = [&] {
    if (++events == 2) live.stop();
  };
  EXPECT_EQ(live.cycle(), 1);
  EXPECT_FALSE(live.on());
  EXPECT_FALSE(live.timerEnabled());
  EXPECT_EQ(live.refreshSign(), RefreshSign::Neutral);
  EXPECT_TRUE(live.LifeBtnEnabled());
  EXPECT_FALSE(live.StopButtonVisible());
  EXPECT_EQ(series.filelist1.size(), 4u);
  EXPECT_FALSE(series.runActive);
  advance(20);
  EXPECT_EQ(live.cycle(), 0);  // no further cycle runs
  EXPECT_EQ(series.filelist1.size(), 4u);
}

TEST_F(LiveModeTest, StopBeforeTheFirstCycleStartsNothing) {
  openNight();
  ui.onEvents = [&] { live.stop(); };
  EXPECT_FALSE(live.start());
  EXPECT_FALSE(live.on());
  EXPECT_FALSE(live.timerEnabled());
}

TEST_F(LiveModeTest, AMissingRunFileIsCreatedWithItsHeaderAndReferenceLines) {
  openNight();
  series.ProjectFilename = dir.file("night.vgp");
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  std::filesystem::remove(dir.file("night.prn"));
  ASSERT_TRUE(live.start());
  EXPECT_EQ(readBytes(dir.file("night.prn")),
            "\"filename\";\"JD-2450000\";\"ROI1  mag\";\"ROI2  mag\";\r\n"
            "\"------\";0;11.200;\"?\"\r\n");
  EXPECT_EQ(series.ProjectFilename, dir.file("night.vgp"));
}

TEST_F(LiveModeTest, FramesOfASortedProjectAreStillAppendedAtTheEnd) {
  std::vector<std::string> paths = writeFrames({"b.fit", "c.fit"});
  openWithRois(paths);
  ASSERT_TRUE(SaveProject(series, dir.file("sorted.vgp")));
  ProjectLoadOptions options;
  options.askForCurve = false;
  ASSERT_EQ(LoadProjectfile(series, dir.file("sorted.vgp"), options), ProjectLoadResult::Loaded);
  ASSERT_TRUE(live.start());
  test::writeFrame(dir.file("a.fit"), twoStars());
  live.cycle();
  advance(2);
  EXPECT_EQ(live.cycle(), 1);
  EXPECT_EQ(series.filelist1,
            (std::vector<std::string>{dir.file("b.fit"), dir.file("c.fit"), dir.file("a.fit")}));
  EXPECT_EQ(linesOf(readBytes(dir.file("sorted.prn"))).size(), 5u);
}

TEST_F(LiveModeTest, RefusedWithoutRoisFramesOrForAColourIndexSeries) {
  EXPECT_FALSE(live.start());  // nothing at all
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Keine ROI definiert."});
  openNight();
  series.BVRImode = true;
  EXPECT_FALSE(live.start());
  EXPECT_FALSE(live.on());
  EXPECT_TRUE(series.ProjectFilename.empty());
}

TEST_F(LiveModeTest, ASingleFrameCannotBeMeasuredSoLiveModeStaysOff) {
  test::writeFrame(frame(1), twoStars());
  ASSERT_TRUE(series.openSeries({frame(1)}));
  addRoi(30, 30);
  EXPECT_FALSE(live.start());
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Lichtkurve erst ab 2 Bilddateien verfügbar."});
  EXPECT_TRUE(series.ProjectFilename.empty());  // no leftover "autolightcurve" name
  EXPECT_FALSE(live.on());
}

TEST_F(LiveModeTest, ToggleAndInterval) {
  settings.AutocurveRefreshSec = 5;
  EXPECT_EQ(live.intervalMs(), 5000);
  openNight();
  EXPECT_TRUE(live.toggle());
  EXPECT_TRUE(live.on());
  EXPECT_FALSE(live.toggle());
  EXPECT_FALSE(live.on());
  EXPECT_EQ(live.refreshSign(), RefreshSign::Neutral);
}

TEST_F(LiveModeTest, ACycleAfterTheRoisWereClearedSwitchesTheModeOff) {
  openNight();
  ASSERT_TRUE(live.start());
  win.ClearROIs();
  EXPECT_EQ(live.cycle(), 0);
  EXPECT_FALSE(live.on());
  EXPECT_FALSE(live.timerEnabled());
}

// The run file is live mode's only record of the night: a run file that
// cannot be created or extended switches the mode off with one message, and
// what it held stays.
TEST_F(LiveModeTest, RunFileFailuresSwitchTheModeOffAndKeepTheLines) {
  openNight();
  ASSERT_TRUE(live.start());
  live.stop();
  const std::string runName = dir.file("autolightcurve.prn");
  const std::string measured = readBytes(runName);
  const std::string failed = "Fehler beim Speichern der Datei " + runName;

  // A folder of that name, or no room for the header: not started.
  std::filesystem::remove(runName);
  std::filesystem::create_directory(runName);
  ui.messages.clear();
  EXPECT_FALSE(live.start());
  EXPECT_EQ(ui.messages, std::vector<std::string>{failed});
  std::filesystem::remove(runName);
  const auto namesBefore = test::folderNames(dir.path());
  const test::ChildOutcome noRoom = test::runInChild(
      [&](std::string& report) {
        ui.messages.clear();
        const bool started = live.start();
        report = ui.messages.empty() ? "" : ui.messages.back();
        return started ? 1 : 0;
      },
      test::ChildLimits{20, 60});
  EXPECT_EQ(noRoom.exitCode, 0) << noRoom.report;
  EXPECT_EQ(noRoom.report, failed);
  EXPECT_EQ(test::folderNames(dir.path()), namesBefore);

  // The disk fills up while a cycle appends: off after one message.
  writeBytes(runName, measured);
  ASSERT_TRUE(live.start());
  writeNewFrame(4);
  writeNewFrame(5);
  live.cycle();
  advance(2);
  const test::ChildOutcome full = test::runInChild(
      [&](std::string& report) {
        ui.messages.clear();
        live.cycle();
        report = ui.messages.size() == 1 ? ui.messages.front() : "";
        return live.on() || live.timerEnabled() ? 1 : 0;
      },
      test::ChildLimits{static_cast<std::int64_t>(measured.size()) + 10, 60});
  EXPECT_EQ(full.exitCode, 0) << full.report;
  EXPECT_NE(full.report.find("File too large"), std::string::npos) << full.report;
  EXPECT_EQ(readBytes(runName).substr(0, measured.size()), measured);
}

}  // namespace
}  // namespace vargaze
