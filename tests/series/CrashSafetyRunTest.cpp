// A light-curve run killed in the middle: the run file keeps every frame
// measured before the kill as whole lines, equal to the lines of a run that
// was not interrupted, and the project saved before the run is untouched.
#include <gtest/gtest.h>
#include <signal.h>

#include <string>
#include <vector>

#include "support/SeriesRig.h"
#include "series/LightCurveRun.h"
#include "series/ProjectFile.h"
#include "support/FaultInjection.h"

namespace vargaze {
namespace {

// The first `count` CR LF lines of `text` (with their line ends).
std::string firstLines(const std::string& text, int count) {
  std::size_t end = 0;
  for (int i = 0; i < count; ++i) {
    const auto next = text.find("\r\n", end);
    if (next == std::string::npos) return text;
    end = next + 2;
  }
  return text.substr(0, end);
}

int lineCount(const std::string& text) {
  int n = 0;
  for (std::size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 2))
    ++n;
  return n;
}

class CrashSafetyRunTest : public test::SeriesRig {
 protected:
  static constexpr int kFrames = 10;

  void SetUp() override {
    std::vector<std::string> names;
    for (int i = 0; i < kFrames; ++i) names.push_back("f" + std::to_string(i) + ".fit");
    // Each frame one minute later, so every run line has its own time.
    paths.clear();
    for (int i = 0; i < kFrames; ++i) {
      paths.push_back(dir.file(names[static_cast<std::size_t>(i)]));
      test::writeFrame(paths.back(), test::twoStars("2024-03-01T20:0" + std::to_string(i) + ":00"));
    }
    openWithRois(paths);
    project = dir.file("night.vgp");
    ASSERT_TRUE(SaveProject(series, project)) << (ui.messages.empty() ? "" : ui.messages.back());
    projectBytes = test::readBytes(project);
    roiBytes = test::readBytes(dir.file("night.roi"));
    ASSERT_FALSE(projectBytes.empty());
    ASSERT_FALSE(roiBytes.empty());
  }

  // Runs Analyse1Click in a child that kills itself with SIGKILL when the
  // run lets events run for the `k`-th time, i.e. right after frame k.
  test::ChildOutcome killedRun(int k) {
    return test::runInChild([&](std::string&) {
      int rounds = 0;
      ui.onEvents = [&rounds, k] {
        if (++rounds == k) ::raise(SIGKILL);
      };
      Analyse1Click(series);
      return 0;  // not reached when the kill came
    });
  }

  std::vector<std::string> paths;
  std::string project;
  std::string projectBytes;
  std::string roiBytes;
};

TEST_F(CrashSafetyRunTest, KilledRunKeepsWholeLinesOfTheFramesDone) {
  const std::string runFile = dir.file("night.prn");
  std::vector<std::string> killedTexts;
  for (const int k : {1, 4, 9}) {
    const test::ChildOutcome child = killedRun(k);
    EXPECT_FALSE(child.exited);
    EXPECT_EQ(child.signal, SIGKILL) << "after " << k << " frames";
    killedTexts.push_back(test::readBytes(runFile));
  }

  // The uninterrupted run of the same series gives the reference lines.
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  const std::string complete = test::readBytes(runFile);
  ASSERT_EQ(lineCount(complete), 2 + kFrames);

  const int ks[] = {1, 4, 9};
  for (std::size_t i = 0; i < killedTexts.size(); ++i) {
    SCOPED_TRACE("killed after " + std::to_string(ks[i]) + " frames");
    // Header, reference line and exactly the k frames measured, each whole.
    EXPECT_EQ(lineCount(killedTexts[i]), 2 + ks[i]);
    EXPECT_EQ(killedTexts[i], firstLines(complete, 2 + ks[i]));
  }
}

TEST_F(CrashSafetyRunTest, ProjectSavedBeforeTheRunSurvivesTheKill) {
  const test::ChildOutcome child = killedRun(5);
  ASSERT_EQ(child.signal, SIGKILL);
  EXPECT_EQ(test::readBytes(project), projectBytes);
  EXPECT_EQ(test::readBytes(dir.file("night.roi")), roiBytes);

  // A fresh program state opens the project again.
  test::SeriesBench fresh;
  ProjectLoadOptions options;
  options.askForCurve = false;
  ASSERT_EQ(LoadProjectfile(fresh.series, project, options), ProjectLoadResult::Loaded);
  EXPECT_EQ(fresh.series.filelist1.size(), static_cast<std::size_t>(kFrames));
  EXPECT_EQ(fresh.win.count(), 2);
  EXPECT_EQ(fresh.series.ProjectFilename, project);
}

TEST_F(CrashSafetyRunTest, KilledIncrementalRunKeepsTheEarlierLinesAndWholeNewOnes) {
  // A run over the first six frames, then the last four appended.
  const std::vector<std::string> first(paths.begin(), paths.begin() + 6);
  const std::vector<std::string> later(paths.begin() + 6, paths.end());
  ASSERT_TRUE(series.editFileList(first));
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  const std::string runFile = dir.file("night.prn");
  const std::string afterRun = test::readBytes(runFile);
  ASSERT_EQ(lineCount(afterRun), 2 + 6);

  const test::ChildOutcome child = test::runInChild([&](std::string&) {
    int rounds = 0;
    ui.onEvents = [&rounds] {
      if (++rounds == 2) ::raise(SIGKILL);
    };
    AnalyseNew(series, later);
    return 0;
  });
  EXPECT_EQ(child.signal, SIGKILL);
  const std::string killed = test::readBytes(runFile);

  // The uninterrupted append from the same state, for comparison.
  test::writeBytes(runFile, afterRun);
  ASSERT_EQ(AnalyseNew(series, later).appended, 4);
  const std::string complete = test::readBytes(runFile);
  ASSERT_EQ(lineCount(complete), 2 + 10);
  EXPECT_EQ(killed, firstLines(complete, 2 + 6 + 2));
  EXPECT_EQ(test::readBytes(project), projectBytes);
}

}  // namespace
}  // namespace vargaze
