// A light-curve run killed in the middle: the run file keeps every frame
// measured before the kill as whole lines, equal to the lines of a run that
// was not interrupted, and the project saved before the run is untouched.
#include <gtest/gtest.h>
#include <signal.h>

#include <string>
#include <vector>

#include "series/LightCurveRun.h"
#include "series/ProjectFile.h"
#include "support/FaultInjection.h"
#include "support/Lines.h"
#include "support/SeriesRig.h"

namespace vargaze {
namespace {

using test::readBytes;

class CrashSafetyRunTest : public test::SeriesRig {
 protected:
  static constexpr int kFrames = 10;

  void SetUp() override {
    // Each frame one minute later, so every run line has its own time.
    for (int i = 0; i < kFrames; ++i) {
      paths.push_back(dir.file("f" + std::to_string(i) + ".fit"));
      test::writeFrame(paths.back(), test::twoStars("2024-03-01T20:0" + std::to_string(i) + ":00"));
    }
    openWithRois(paths);
    ASSERT_TRUE(SaveProject(series, project)) << ::testing::PrintToString(ui.messages);
    projectBytes = readBytes(project);
    roiBytes = readBytes(dir.file("night.roi"));
    ASSERT_FALSE(projectBytes.empty());
    ASSERT_FALSE(roiBytes.empty());
  }

  // Runs `run` in a child that kills itself with SIGKILL when the run lets
  // events run for the `k`-th time, i.e. right after its k-th frame.
  void killAfter(int k, const std::function<void()>& run) {
    const test::ChildOutcome child = test::runInChild([&](std::string&) {
      int rounds = 0;
      ui.onEvents = [&rounds, k] {
        if (++rounds == k) ::raise(SIGKILL);
      };
      run();
      return 0;  // not reached when the kill came
    });
    EXPECT_FALSE(child.exited);
    EXPECT_EQ(child.signal, SIGKILL) << "after " << k << " frames";
  }

  // The first `count` lines of `lines`.
  static std::vector<std::string> head(const std::vector<std::string>& lines, int count) {
    return {lines.begin(), lines.begin() + count};
  }

  std::vector<std::string> paths;
  const std::string project = dir.file("night.vgp");
  const std::string runFile = dir.file("night.prn");
  std::string projectBytes;
  std::string roiBytes;
};

TEST_F(CrashSafetyRunTest, KilledRunKeepsWholeLinesOfTheFramesDoneAndTheProject) {
  const int ks[] = {1, 4, 9};
  std::vector<std::string> killedTexts;
  for (const int k : ks) {
    killAfter(k, [&] { Analyse1Click(series); });
    killedTexts.push_back(readBytes(runFile));
  }
  EXPECT_EQ(readBytes(project), projectBytes);
  EXPECT_EQ(readBytes(dir.file("night.roi")), roiBytes);

  // The uninterrupted run of the same series gives the reference lines.
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  const std::vector<std::string> complete = test::crlfLines(readBytes(runFile));
  ASSERT_EQ(complete.size(), 2u + kFrames);
  for (std::size_t i = 0; i < killedTexts.size(); ++i) {
    SCOPED_TRACE("killed after " + std::to_string(ks[i]) + " frames");
    // Header, reference line and exactly the k frames measured, each whole
    // (crlfLines fails on a line without its CR LF).
    EXPECT_EQ(test::crlfLines(killedTexts[i]), head(complete, 2 + ks[i]));
  }

  // A fresh program state opens the project saved before the kills.
  test::SeriesBench fresh;
  ProjectLoadOptions options;
  options.askForCurve = false;
  ASSERT_EQ(LoadProjectfile(fresh.series, project, options), ProjectLoadResult::Loaded);
  EXPECT_EQ(fresh.series.filelist1.size(), static_cast<std::size_t>(kFrames));
  EXPECT_EQ(fresh.win.count(), 2);
}

TEST_F(CrashSafetyRunTest, KilledIncrementalRunKeepsTheEarlierLinesAndWholeNewOnes) {
  // A run over the first six frames, then the last four appended.
  const std::vector<std::string> later(paths.begin() + 6, paths.end());
  ASSERT_TRUE(series.editFileList({paths.begin(), paths.begin() + 6}));
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  const std::string afterRun = readBytes(runFile);
  ASSERT_EQ(test::crlfLines(afterRun).size(), 2u + 6u);

  killAfter(2, [&] { AnalyseNew(series, later); });
  const std::string killed = readBytes(runFile);

  // The uninterrupted append from the same state, for comparison.
  test::writeBytes(runFile, afterRun);
  ASSERT_EQ(AnalyseNew(series, later).appended, 4);
  const std::vector<std::string> complete = test::crlfLines(readBytes(runFile));
  ASSERT_EQ(complete.size(), 2u + 10u);
  EXPECT_EQ(test::crlfLines(killed), head(complete, 2 + 6 + 2));
  EXPECT_EQ(readBytes(project), projectBytes);
}

}  // namespace
}  // namespace vargaze
