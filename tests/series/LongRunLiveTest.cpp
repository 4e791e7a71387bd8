// Long sessions on a temporary folder: many live-mode cycles with new frames,
// a file that never loads and a frame cut short, and many full runs, some of
// them failing. Every descriptor opened is closed again and the curve holds
// exactly the frames measured.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "series/LightCurveRun.h"
#include "series/LiveMode.h"
#include "support/SeriesRig.h"

namespace vargaze {
namespace {

using test::twoStars;

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

std::size_t lineCount(const std::string& text) {
  std::size_t n = 0;
  for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) ++n;
  return n;
}

class LongRunLiveTest : public test::SeriesRig {
 protected:
  LongRunLiveTest() : live(series, [this] { return now; }) {}

  // Frame i (1-based) taken at 20:00 plus i minutes.
  std::string frame(int i) const {
    char name[16];
    std::snprintf(name, sizeof name, "f%03d.fit", i);
    return dir.file(name);
  }
  void writeFrame(int i) {
    char date[32];
    std::snprintf(date, sizeof date, "2024-03-01T20:%02d:00", i);
    test::writeFrame(frame(i), twoStars(date));
  }
  std::vector<std::string> writeFrames(int count) {
    std::vector<std::string> paths;
    for (int i = 1; i <= count; ++i) {
      writeFrame(i);
      paths.push_back(frame(i));
    }
    return paths;
  }

  std::chrono::steady_clock::time_point now{std::chrono::hours(1)};
  LiveMode live;
};

TEST_F(LongRunLiveTest, HundredCyclesWithNewFramesLeaveNoDescriptorOpen) {
  openWithRois(writeFrames(3));
  // Tried in every cycle once stable and never taken: a file that is no
  // image and a frame cut short in the middle of its pixels.
  test::writeBytes(dir.file("results.csv"), "\"filename\";\"JD\";\r\n");
  test::writeBytes(dir.file("zz_cut.fit"), test::frameBytes(twoStars()).substr(0, 2880 + 4000));
  const int before = openDescriptors();
  ASSERT_TRUE(live.start());
  const int started = openDescriptors();
  EXPECT_EQ(started, before);

  constexpr int kCycles = 100;
  constexpr int kEvery = 5;
  int next = 4;
  int appended = 0;
  for (int c = 1; c <= kCycles; ++c) {
    now += std::chrono::seconds(1);
    if (c % kEvery == 0) writeFrame(next++);
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
  EXPECT_EQ(lineCount(test::readBytes(dir.file("autolightcurve.prn"))), 2 + frames);
  EXPECT_EQ(live.scanFolder(),
            (std::vector<std::string>{frame(next - 1), dir.file("results.csv"), dir.file("zz_cut.fit")}));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LongRunLiveTest, ManyFullRunsAndFailedRunsLeaveNoDescriptorOpen) {
  const std::vector<std::string> paths = writeFrames(3);
  openWithRois(paths);
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
