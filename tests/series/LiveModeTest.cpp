// The automatic light-curve mode on a temporary folder, driven by a clock the
// test moves: one night's timeline, run file failures, and long sessions that
// must leave no descriptor open.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "series/LightCurveRun.h"
#include "series/LiveMode.h"
#include "support/FaultInjection.h"
#include "support/Lines.h"
#include "support/SeriesRig.h"

namespace vargaze {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::twoStars;
using test::writeBytes;

// Open descriptors of this process, without the one that lists them.
int openDescriptors() {
  int n = 0;
  std::error_code ec;
  for (fs::directory_iterator it("/proc/self/fd", ec), end; !ec && it != end; it.increment(ec)) ++n;
  return n - 1;
}

class LiveModeTest : public test::SeriesRig {
 protected:
  LiveModeTest() : live(series, [this] { return now; }) {}

  // Frame i, taken at 20:00 plus i minutes on 2024-03-01.
  std::string frame(int i) const {
    char name[16];
    std::snprintf(name, sizeof name, "f%03d.fit", i);
    return dir.file(name);
  }
  std::string frameOf(int i) const {
    char date[32];
    std::snprintf(date, sizeof date, "2024-03-01T20:%02d:00", i);
    return test::frameBytes(twoStars(date));
  }
  void writeNew(int i) { writeBytes(frame(i), frameOf(i)); }
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
  std::vector<std::string> runLines(const std::string& name = "autolightcurve.prn") const {
    return test::crlfLines(readBytes(dir.file(name)));
  }
  // The mode as the windows show it.
  std::string shown() const {
    static const char* const signs[] = {"neutral", "yellow", "green"};
    return std::string(live.on() ? "on" : "off") + (live.timerEnabled() ? ", timer, " : ", ") +
           signs[static_cast<int>(live.refreshSign())] +
           (live.LifeBtnEnabled() ? ", live button" : "") +
           (live.StopButtonVisible() ? ", stop button" : "");
  }

  std::chrono::steady_clock::time_point now{std::chrono::hours(1)};
  LiveMode live;
};

TEST_F(LiveModeTest, OneNight) {
  openNight(1);
  EXPECT_FALSE(live.start());
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Lichtkurve erst ab 2 Bilddateien verfügbar."});
  win.ClearROIs();
  EXPECT_FALSE(live.start());
  EXPECT_EQ(ui.messages.back(), "Keine ROI definiert.");
  ui.messages.clear();
  openNight();
  series.BVRImode = true;  // the run file would be the colour table
  EXPECT_FALSE(live.start());
  EXPECT_TRUE(series.ProjectFilename.empty());  // no leftover "autolightcurve" name
  series.BVRImode = false;

  settings.AutocurveRefreshSec = 5;
  EXPECT_EQ(live.intervalMs(), 5000);
  ASSERT_TRUE(live.toggle());
  EXPECT_EQ(shown(), "on, timer, green, stop button");
  EXPECT_EQ(series.ProjectFilename, dir.file("autolightcurve.vgp"));
  EXPECT_FALSE(fs::exists(dir.file("autolightcurve.vgp")));  // written only on save
  EXPECT_EQ(runLines().size(), 5u);                          // the series was measured first

  // New frames are taken once unchanged for 2 s; other kinds of file never.
  writeNew(4);
  writeBytes(dir.file("F001.fit"), frameOf(5));  // differs only in letter case
  for (const char* other : {"notes.txt", "preview.jpg", "PREVIEW.JPG"})
    writeBytes(dir.file(other), "x");
  EXPECT_EQ(live.scanFolder(), (std::vector<std::string>{dir.file("F001.fit"), frame(4)}));
  EXPECT_EQ(live.cycle(), 0);  // first seen now
  advance(1);
  EXPECT_EQ(live.cycle(), 0);  // stable for only 1 s
  advance(1);
  EXPECT_EQ(live.cycle(), 2);
  EXPECT_EQ(series.filelist1, (std::vector<std::string>{frame(1), frame(2), frame(3),
                                                        dir.file("F001.fit"), frame(4)}));
  EXPECT_EQ(series.FramesLoaded, 5);
  EXPECT_EQ(series.curve.NumCurvePoints, 5);
  EXPECT_NEAR(series.curve.XTimes[4], 2460371.3333333 + 4.0 / 1440 - 2450000, 1e-6);
  EXPECT_NEAR(series.curve.mag(4, 1), 11.2 + 2.5, 1e-5);  // a tenth of ROI 1's counts
  auto lines = runLines();
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[6].rfind("\"" + frame(4) + "\";", 0), 0u) << lines[6];
  EXPECT_TRUE(live.scanFolder().empty());

  // A run file gone meanwhile is begun anew, without measuring the series again.
  EXPECT_FALSE(live.toggle());
  EXPECT_EQ(shown(), "off, neutral, live button");
  fs::remove(dir.file("autolightcurve.prn"));
  ASSERT_TRUE(live.start());
  EXPECT_EQ(readBytes(dir.file("autolightcurve.prn")),
            "\"filename\";\"JD-2450000\";\"ROI1  mag\";\"ROI2  mag\";\r\n"
            "\"------\";0;11.200;\"?\"\r\n");

  // A frame cut short does not load and is tried again quietly; once the
  // camera has finished it, it is seen anew and taken when stable.
  writeBytes(frame(6), frameOf(6).substr(0, 2880 + 4000));  // header and part of the pixels
  live.cycle();
  advance(3);
  EXPECT_EQ(live.cycle(), 0);  // stable, does not load
  writeBytes(frame(6), frameOf(6));
  EXPECT_EQ(live.cycle(), 0);  // changed: seen anew
  advance(1);
  EXPECT_EQ(live.cycle(), 0);
  advance(1);
  EXPECT_EQ(live.cycle(), 1);
  EXPECT_EQ(series.filelist1.size(), 6u);
  EXPECT_EQ(series.filelist1.back(), frame(6));
  EXPECT_EQ(runLines().size(), 2u + 1u);
  EXPECT_TRUE(ui.messages.empty());

  // Stop during a cycle: it ends after the current file. Events run once
  // before the files and once after each file.
  writeNew(8);
  writeNew(9);
  live.cycle();
  advance(2);
  int events = 0;
  ui.onEvents = [&] {
    if (++events == 2) live.stop();
  };
  EXPECT_EQ(live.cycle(), 1);
  ui.onEvents = nullptr;
  EXPECT_EQ(shown(), "off, neutral, live button");
  EXPECT_EQ(series.filelist1.size(), 7u);
  EXPECT_FALSE(series.runActive);

  // A cycle after the ROIs were cleared switches the mode off.
  ASSERT_TRUE(live.start());
  win.ClearROIs();
  EXPECT_EQ(live.cycle(), 0);
  EXPECT_EQ(shown(), "off, neutral, live button");
}

// The run file is live mode's only record of the night: a run file that
// cannot be begun or extended keeps the mode off with one message, and what
// it held stays.
TEST_F(LiveModeTest, RunFileFailuresSwitchTheModeOffAndKeepTheLines) {
  openNight();
  ASSERT_TRUE(live.start());
  live.stop();
  const test::SaveAction begin = [&](const std::string& path, std::string& message) {
    series.ProjectFilename = fs::path(path).replace_extension(".vgp").string();
    ui.messages.clear();
    const bool started = live.start();
    live.stop();
    const std::vector<std::string> failed = {"Fehler beim Speichern der Datei " + path};
    message = ui.messages == failed ? failed[0] : "";
    return started;
  };
  test::expectMissingFolderReported(dir, "night.prn", begin);
  test::expectParentFileReported(dir, "night.prn", begin);
  test::expectFolderTargetReported(dir, "night.prn", begin);
  test::expectFullDiskKeepsFile(dir.file("night.prn"), 20, begin);  // no room for the header

  // The disk fills up while a cycle appends: off after one message.
  ASSERT_TRUE(live.start());
  const std::string measured = readBytes(dir.file("night.prn"));
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
  EXPECT_EQ(readBytes(dir.file("night.prn")).substr(0, measured.size()), measured);
}

// A long session: a new frame every fifth cycle, a file that is no image and
// a frame cut short tried in every cycle and never taken; then many full
// runs, and runs that stop at a missing frame with its message, the lines
// before it on disk and the last complete curve kept.
TEST_F(LiveModeTest, LongSessionsLeaveNoDescriptorOpen) {
  const std::vector<std::string> paths = openNight();
  writeBytes(dir.file("results.csv"), "\"filename\";\"JD\";\r\n");
  writeBytes(dir.file("zz_cut.fit"), frameOf(0).substr(0, 2880 + 4000));
  const int before = openDescriptors();
  ASSERT_TRUE(live.start());
  int next = 4;
  int appended = 0;
  for (int c = 1; c <= 100; ++c) {
    advance(1);
    if (c % 5 == 0) writeNew(next++);
    appended += live.cycle();
    ASSERT_TRUE(live.on()) << "cycle " << c;
  }
  live.stop();
  EXPECT_EQ(openDescriptors(), before);
  // The last frame written is not stable yet; every other one was taken.
  EXPECT_EQ(appended, next - 4 - 1);
  const std::size_t frames = static_cast<std::size_t>(next - 2);
  ASSERT_EQ(series.filelist1.size(), frames);
  EXPECT_EQ(series.filelist1.back(), frame(next - 2));
  EXPECT_EQ(series.curve.NumCurvePoints, static_cast<std::int32_t>(frames));
  EXPECT_EQ(series.curve.XTimes.size(), frames);
  EXPECT_EQ(series.curve.AirmassArray.size(), frames);
  ASSERT_EQ(series.curve.YMags.size(), frames);
  for (const std::vector<float>& mags : series.curve.YMags) EXPECT_EQ(mags.size(), 2u);
  EXPECT_EQ(runLines().size(), 2 + frames);
  EXPECT_EQ(live.scanFolder(), (std::vector<std::string>{frame(next - 1), dir.file("results.csv"),
                                                         dir.file("zz_cut.fit")}));
  EXPECT_TRUE(ui.messages.empty());

  series.ProjectFilename = dir.file("night.vgp");
  for (int run = 0; run < 40; ++run)
    ASSERT_EQ(Analyse1Click(series), RunResult::Completed) << "run " << run;
  fs::remove(paths[1]);
  for (int run = 0; run < 20; ++run)
    ASSERT_EQ(Analyse1Click(series), RunResult::Failed) << "run " << run;
  EXPECT_EQ(openDescriptors(), before);
  EXPECT_EQ(ui.messages, std::vector<std::string>(20, "Fehler beim Laden der Datei " + paths[1]));
  EXPECT_EQ(series.curve.NumCurvePoints, static_cast<std::int32_t>(frames));
  EXPECT_EQ(runLines("night.prn").size(), 2u + 1u);
  EXPECT_FALSE(series.runActive);
}

}  // namespace
}  // namespace vargaze
