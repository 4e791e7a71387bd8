// Saves of a series under injected failures: the project with its ROI file,
// the curve data file, the colour-index table and the run file. Each failure
// is reported and leaves the previous files as they were.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "series/ColorIndex.h"
#include "series/LightCurveRun.h"
#include "series/ProjectFile.h"
#include "support/FaultInjection.h"
#include "support/Lines.h"
#include "support/SeriesRig.h"

namespace vargaze {
namespace {

using test::readBytes;

class FaultInjectionSeriesTest : public test::SeriesRig {
 protected:
  void SetUp() override {
    std::vector<std::string> names;
    for (int i = 0; i < 6; ++i)
      names.push_back("frame-with-a-long-name-" + std::to_string(i) + ".fit");
    openWithRois(writeFrames(names));
  }

  std::string lastMessage() const {
    return ui.messages.empty() ? "no message" : ui.messages.back();
  }

  // A save as a SaveAction: its message is the last one shown.
  test::SaveAction action(bool (*save)(Series&, const std::string&)) {
    return [this, save](const std::string& path, std::string& message) {
      ui.messages.clear();
      const bool saved = save(series, path);
      message = ui.messages.empty() ? "" : ui.messages.back();
      return saved;
    };
  }

  std::string failed(const std::string& name) const {
    return "Fehler beim Speichern der Datei " + dir.file(name);
  }
};

TEST_F(FaultInjectionSeriesTest, ProjectSaveFailuresAreReportedAndKeepTheOldProject) {
  test::expectMissingFolderReported(dir, "night.vgp", action(SaveProject));
  test::expectFolderTargetReported(dir, "night.vgp", action(SaveProject));
  EXPECT_EQ(lastMessage(), failed("night.vgp"));
  EXPECT_TRUE(series.ProjectFilename.empty());  // no name taken from a failed save

  const std::string project = dir.file("night.vgp");
  ASSERT_TRUE(SaveProject(series, project));
  const std::string roiBefore = readBytes(dir.file("night.roi"));

  // A third ROI and new names make the new project differ from the old one;
  // the disk is full after 200 bytes, well inside the project's text.
  addRoi(50, 20);
  win.roi(1).Name = "Comparison with a long name";
  EXPECT_EQ(test::expectFullDiskKeepsFile(project, 200, action(SaveProject)), failed("night.vgp"));
  EXPECT_EQ(readBytes(dir.file("night.roi")), roiBefore);

  test::SeriesBench fresh;  // the old project still opens
  ProjectLoadOptions options;
  options.askForCurve = false;
  ASSERT_EQ(LoadProjectfile(fresh.series, project, options), ProjectLoadResult::Loaded);
  EXPECT_EQ(fresh.series.filelist1.size(), 6u);
  EXPECT_EQ(fresh.win.count(), 2);
}

TEST_F(FaultInjectionSeriesTest, CurveDataSaveFailuresKeepTheOldCurveFile) {
  series.ProjectFilename = dir.file("night.vgp");
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  test::expectMissingFolderReported(dir, "curve.prn", action(SaveCurveData));
  test::expectFolderTargetReported(dir, "curve.prn", action(SaveCurveData));

  const std::string curve = dir.file("curve.prn");
  ASSERT_TRUE(SaveCurveData(series, curve));
  const std::string message = test::expectFullDiskKeepsFile(curve, 100, action(SaveCurveData));
  EXPECT_NE(message.find(curve), std::string::npos) << message;
  EXPECT_EQ(test::crlfLines(readBytes(curve)).size(), 2u + 6u);
}

TEST_F(FaultInjectionSeriesTest, ColourTableSaveFailuresKeepTheOldTable) {
  const std::string table = dir.file("night.prn");
  test::writeBytes(table, "old table\r\n");
  series.ProjectFilename = dir.file("night.vgp");
  const test::ChildOutcome child = test::runInChild(
      [&](std::string& report) {
        const bool saved = BVRIanalyseClick(series);
        report = lastMessage();
        return saved ? 1 : 0;
      },
      test::ChildLimits{4, 120});
  EXPECT_EQ(child.exitCode, 0) << child.report;
  EXPECT_EQ(child.report, failed("night.prn"));
  EXPECT_EQ(readBytes(table), "old table\r\n");

  std::filesystem::create_directory(dir.file("taken.prn"));
  series.ProjectFilename = dir.file("taken.vgp");
  EXPECT_FALSE(BVRIanalyseClick(series));
  EXPECT_EQ(lastMessage(), failed("taken.prn"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("taken.prn")));

  series.ProjectFilename = dir.file("no-such-folder/night.vgp");
  EXPECT_FALSE(BVRIanalyseClick(series));
  EXPECT_EQ(lastMessage(), failed("no-such-folder/night.prn"));
}

TEST_F(FaultInjectionSeriesTest, RunFileFailuresEndTheRunWithAMessage) {
  series.ProjectFilename = dir.file("no-such-folder/night.vgp");
  EXPECT_EQ(Analyse1Click(series), RunResult::Failed);
  EXPECT_NE(lastMessage().find(dir.file("no-such-folder/night.prn")), std::string::npos)
      << lastMessage();

  std::filesystem::create_directory(dir.file("night.prn"));
  series.ProjectFilename = dir.file("night.vgp");
  EXPECT_EQ(Analyse1Click(series), RunResult::Failed);
  EXPECT_NE(lastMessage().find(dir.file("night.prn")), std::string::npos) << lastMessage();
  std::filesystem::remove(dir.file("night.prn"));

  // The disk fills up after the header and two frame lines: the run stops
  // with a message and keeps the old curve.
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  const std::string complete = readBytes(dir.file("night.prn"));
  const auto limit = static_cast<std::int64_t>(complete.size() / 2);
  const test::ChildOutcome child = test::runInChild(
      [&](std::string& report) {
        const std::int32_t pointsBefore = series.curve.NumCurvePoints;
        const RunResult result = Analyse1Click(series);
        report = lastMessage();
        if (result != RunResult::Failed) return 1;
        if (series.curve.NumCurvePoints != pointsBefore) return 3;
        return ui.messages.empty() ? 2 : 0;
      },
      test::ChildLimits{limit, 120});
  EXPECT_EQ(child.exitCode, 0) << child.report;
  EXPECT_NE(child.report.find("File too large"), std::string::npos) << child.report;
  // What reached the disk is the start of the complete run file.
  const std::string partial = readBytes(dir.file("night.prn"));
  EXPECT_EQ(partial.size(), static_cast<std::size_t>(limit));
  EXPECT_EQ(partial, complete.substr(0, partial.size()));
}

}  // namespace
}  // namespace vargaze
