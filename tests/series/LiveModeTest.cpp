// The automatic light-curve mode on a temporary folder, driven by a clock the
// test moves: start, new frames taken once stable, files skipped or retried,
// stopping, refusals, run file failures, and long sessions that must leave no
// descriptor open.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "series/LightCurveRun.h"
#include "series/LiveMode.h"
#include "series/ProjectFile.h"
#include "support/FaultInjection.h"
#include "support/Lines.h"
#include "support/SeriesRig.h"

namespace vargaze {
namespace {

using test::readBytes;
using test::twoStars;
using test::writeBytes;

// Open descriptors of this process, without the one that lists them.
int openDescriptors() {
  int n = 0;
  std::error_code ec;
  for (std::filesystem::directory_iterator it("/proc/self/fd", ec), end; !ec && it != end;
       it.increment(ec)) {
    ++n;
  }
  return n - 1;
}

class LiveModeTest : public test::SeriesRig {
 protected:
  LiveModeTest() : live(series, [this] { return now; }) {}

  // Frame i taken at 20:00 plus i minutes on 2024-03-01.
  std::string frame(int i) const {
    char name[16];
    std::snprintf(name, sizeof name, "f%03d.fit", i);
    return dir.file(name);
  }
  static std::string timeOf(int i) {
    char date[32];
    std::snprintf(date, sizeof date, "2024-03-01T20:%02d:00", i);
    return date;
  }
  void writeNew(int i) { test::writeFrame(frame(i), twoStars(timeOf(i))); }
  // Frames 1..count with two ROIs.
  std::vector<std::string> openNight(int count = 3) {
    std::vector<std::string> paths;
    for (int i = 1; i <= count; ++i) {
      writeNew(i);
      paths.push_back(frame(i));
    }
    openWithRois(paths);
    return paths;
  }
  void advance(int seconds) { now += std::chrono::seconds(seconds); }
  std::size_t runLines(const std::string& name = "autolightcurve.prn") const {
    return test::crlfLines(readBytes(dir.file(name))).size();
  }

  std::chrono::steady_clock::time_point now{std::chrono::hours(1)};
  LiveMode live;
};

TEST_F(LiveModeTest, StartMeasuresTheSeriesFirstAndWritesBesideTheFrames) {
  openNight();
  ASSERT_TRUE(live.start());
  EXPECT_EQ(series.ProjectFilename, dir.file("autolightcurve.vgp"));
  EXPECT_FALSE(std::filesystem::exists(dir.file("autolightcurve.vgp")));  // written only on save
  EXPECT_EQ(series.curve.NumCurvePoints, 3);
  EXPECT_EQ(runLines(), 5u);
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
  writeNew(4);
  test::writeFrame(dir.file("F001.fit"), twoStars(timeOf(5)));  // differs only in letter case
  writeBytes(dir.file("notes.txt"), "Wolken ab 21 Uhr");
  writeBytes(dir.file("preview.jpg"), "not a picture");
  writeBytes(dir.file("PREVIEW.JPG"), "not a picture");
  EXPECT_EQ(live.scanFolder(), (std::vector<std::string>{dir.file("F001.fit"), frame(4)}));

  EXPECT_EQ(live.cycle(), 0);  // first seen now
  advance(1);
  EXPECT_EQ(live.cycle(), 0);  // stable for only 1 s
  advance(1);
  EXPECT_EQ(live.cycle(), 2);

  EXPECT_EQ(series.filelist1.size(), 5u);
  EXPECT_EQ(series.filelist1[3], dir.file("F001.fit"));
  EXPECT_EQ(series.filelist1[4], frame(4));
  EXPECT_EQ(series.FramesLoaded, 5);
  EXPECT_EQ(series.curve.NumCurvePoints, 5);
  EXPECT_NEAR(series.curve.XTimes[4], 2460371.3333333 + 4.0 / 1440 - 2450000, 1e-6);
  const auto lines = test::crlfLines(readBytes(dir.file("autolightcurve.prn")));
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[6].rfind("\"" + frame(4) + "\";", 0), 0u) << lines[6];
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
  writeNew(4);
  live.cycle();
  advance(3);
  EXPECT_EQ(live.cycle(), 0);
  series.controls.FlatCheck = false;
  advance(10);
  EXPECT_EQ(live.cycle(), 1);  // the unchanged file, tried again
  EXPECT_EQ(series.filelist1.back(), frame(4));
}

TEST_F(LiveModeTest, StopDuringACycleEndsItAfterTheCurrentFile) {
  openNight();
  ASSERT_TRUE(live.start());
  writeNew(4);
  writeNew(5);
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

TEST_F(LiveModeTest, StopBeforeTheFirstCycleAndClearedRoisSwitchOff) {
  openNight();
  ui.onEvents = [&] { live.stop(); };
  EXPECT_FALSE(live.start());
  EXPECT_FALSE(live.timerEnabled());
  ui.onEvents = nullptr;
  ASSERT_TRUE(live.start());
  win.ClearROIs();
  EXPECT_EQ(live.cycle(), 0);
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
  openWithRois(writeFrames({"b.fit", "c.fit"}));
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
  EXPECT_EQ(runLines("sorted.prn"), 5u);
}

TEST_F(LiveModeTest, RefusedWithoutRoisForOneFrameOrForAColourIndexSeries) {
  EXPECT_FALSE(live.start());  // nothing at all
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Keine ROI definiert."});
  openNight(1);
  ui.messages.clear();
  EXPECT_FALSE(live.start());
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Lichtkurve erst ab 2 Bilddateien verfügbar."});
  EXPECT_TRUE(series.ProjectFilename.empty());  // no leftover "autolightcurve" name
  openNight();
  series.BVRImode = true;
  EXPECT_FALSE(live.start());
  EXPECT_FALSE(live.on());
  EXPECT_TRUE(series.ProjectFilename.empty());
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
        report = ui.messages.empty() ? "no message" : ui.messages.back();
        return started ? 1 : 0;
      },
      test::ChildLimits{20, 60});
  EXPECT_EQ(noRoom.exitCode, 0) << noRoom.report;
  EXPECT_EQ(noRoom.report, failed);
  EXPECT_EQ(test::folderNames(dir.path()), namesBefore);

  // The disk fills up while a cycle appends: off after one message.
  writeBytes(runName, measured);
  ASSERT_TRUE(live.start());
  writeNew(4);
  writeNew(5);
  live.cycle();
  advance(2);
  const test::ChildOutcome full = test::runInChild(
      [&](std::string& report) {
        ui.messages.clear();
        live.cycle();
        report = ui.messages.size() == 1 ? ui.messages.front() : "not one message";
        return live.on() || live.timerEnabled() ? 1 : 0;
      },
      test::ChildLimits{static_cast<std::int64_t>(measured.size()) + 10, 60});
  EXPECT_EQ(full.exitCode, 0) << full.report;
  EXPECT_NE(full.report.find("File too large"), std::string::npos) << full.report;
  EXPECT_EQ(readBytes(runName).substr(0, measured.size()), measured);
}

// A long session: new frames every fifth cycle, a file that is no image and
// a frame cut short tried in every cycle and never taken.
TEST_F(LiveModeTest, HundredCyclesWithNewFramesLeaveNoDescriptorOpen) {
  openNight();
  writeBytes(dir.file("results.csv"), "\"filename\";\"JD\";\r\n");
  writeBytes(dir.file("zz_cut.fit"), test::frameBytes(twoStars()).substr(0, 2880 + 4000));
  const int before = openDescriptors();
  ASSERT_TRUE(live.start());
  EXPECT_EQ(openDescriptors(), before);

  int next = 4;
  int appended = 0;
  for (int c = 1; c <= 100; ++c) {
    advance(1);
    if (c % 5 == 0) writeNew(next++);
    appended += live.cycle();
    ASSERT_TRUE(live.on()) << "cycle " << c;
  }
  EXPECT_EQ(openDescriptors(), before);
  live.stop();
  EXPECT_EQ(openDescriptors(), before);

  // The last frame written is not stable yet; every other one was taken.
  const int expected = next - 4 - 1;
  EXPECT_EQ(appended, expected);
  const std::size_t frames = static_cast<std::size_t>(3 + expected);
  ASSERT_EQ(series.filelist1.size(), frames);
  EXPECT_EQ(series.filelist1.back(), frame(next - 2));
  EXPECT_EQ(series.curve.NumCurvePoints, static_cast<std::int32_t>(frames));
  EXPECT_EQ(series.curve.XTimes.size(), frames);
  EXPECT_EQ(series.curve.AirmassArray.size(), frames);
  ASSERT_EQ(series.curve.YMags.size(), frames);
  for (const std::vector<float>& mags : series.curve.YMags) EXPECT_EQ(mags.size(), 2u);
  EXPECT_EQ(runLines(), 2 + frames);
  EXPECT_EQ(live.scanFolder(),
            (std::vector<std::string>{frame(next - 1), dir.file("results.csv"), dir.file("zz_cut.fit")}));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LiveModeTest, ManyFullRunsAndFailedRunsLeaveNoDescriptorOpen) {
  const std::vector<std::string> paths = openNight();
  series.ProjectFilename = dir.file("night.vgp");
  const int before = openDescriptors();
  for (int run = 0; run < 40; ++run) {
    ASSERT_EQ(Analyse1Click(series), RunResult::Completed) << "run " << run;
  }
  EXPECT_EQ(openDescriptors(), before);
  EXPECT_EQ(series.curve.XTimes.size(), 3u);
  EXPECT_EQ(series.curve.YMags.size(), 3u);

  std::filesystem::remove(paths[1]);  // frame 2 gone: every run stops there
  for (int run = 0; run < 20; ++run) {
    ASSERT_EQ(Analyse1Click(series), RunResult::Failed) << "run " << run;
  }
  EXPECT_EQ(openDescriptors(), before);
  EXPECT_EQ(ui.messages.size(), 20u);
  EXPECT_EQ(series.curve.NumCurvePoints, 3);  // the last completed curve stays
}

}  // namespace
}  // namespace vargaze
