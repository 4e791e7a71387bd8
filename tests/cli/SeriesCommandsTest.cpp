// vargaze-cli measure, colorindex and watch on demo series written by the
// demo command.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <vector>

#include "support/CliRunner.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

namespace fs = std::filesystem;
using test::quoted;
using test::runCli;

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

class SeriesCommandsTest : public ::testing::Test {
 protected:
  // A demo series of `frames` small frames in dir/name; returns the project.
  std::string writeDemo(const std::string& name, int frames) {
    const auto r = runCli("demo " + quoted(dir.file(name)) + " --frames " +
                              std::to_string(frames) + " --size 256x192",
                          dir);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return dir.file(name + "/demo.vgp");
  }
  test::TempDir dir;
};

TEST_F(SeriesCommandsTest, MeasureWritesTheRunFileAndSummarises) {
  const std::string project = writeDemo("night", 4);
  const auto r = runCli("measure " + quoted(project), dir);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto lines = linesOf(r.out);
  ASSERT_EQ(lines.size(), 6u) << r.out;  // header and five ROIs
  EXPECT_EQ(lines[0], "N;Name;Type;Points;Mean;StdDev");
  EXPECT_EQ(lines[1].substr(0, 13), "1;V Demo;Var;");
  EXPECT_EQ(lines[2].substr(0, 12), "2;C1;Comp;4;");
  EXPECT_EQ(lines[5].substr(0, 12), "5;K;Check;4;");
  const auto run = linesOf(test::readBytes(dir.file("night/demo.prn")));
  EXPECT_EQ(run.size(), 2u + 4u);
}

TEST_F(SeriesCommandsTest, MeasureAndSaveOfAMovedProject) {
  const std::string project = writeDemo("night", 3);
  fs::rename(dir.file("night"), dir.file("moved"));  // frames move with the project
  const std::string moved = dir.file("moved/demo.vgp");
  const auto r = runCli("measure " + quoted(moved) + " --save", dir);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string saved = test::readBytes(moved);
  EXPECT_NE(saved.find(dir.file("moved/demo_001.fit")), std::string::npos);
  EXPECT_EQ(saved.find(dir.file("night/")), std::string::npos);
  EXPECT_NE(saved.find("[Curvefile]\r\n3\r\n"), std::string::npos);
  // The curve data file took the run file's place, with the frames' new paths.
  EXPECT_NE(test::readBytes(dir.file("moved/demo.prn")).find(dir.file("moved/demo_003.fit")),
            std::string::npos);
  EXPECT_EQ(runCli("measure " + quoted(dir.file("nothing.vgp")), dir).exitCode, 1);
}

TEST_F(SeriesCommandsTest, ColourIndexTableOfAColourSeries) {
  const std::string project = writeDemo("colour", 2);
  std::string text = test::readBytes(project);
  text.replace(text.find("BVRImode=0"), 10, "BVRImode=1");
  test::writeBytes(project, text);
  const auto r = runCli("colorindex " + quoted(project), dir);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto lines = linesOf(r.out);
  ASSERT_EQ(lines.size(), 6u) << r.out;
  EXPECT_EQ(lines[0], "Filt;V;");  // the demo frames are all V
  EXPECT_EQ(lines[2].substr(0, 2), "2;");
}

TEST_F(SeriesCommandsTest, WatchAppendsNewFramesOfTheFolder) {
  const std::string project = writeDemo("live", 5);
  // The project knows three frames; two more are "new" in its folder.
  std::string text = test::readBytes(project);
  for (const char* frame : {"demo_004.fit", "demo_005.fit"}) {
    const std::string line = dir.file(std::string("live/") + frame) + "\r\n";
    text.erase(text.find(line), line.size());
  }
  test::writeBytes(project, text);
  const auto r = runCli("watch " + quoted(project) + " --interval 1 --cycles 4", dir);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto lines = linesOf(r.out);
  ASSERT_EQ(lines.size(), 6u) << r.out;
  EXPECT_EQ(lines[2].substr(0, 12), "2;C1;Comp;5;") << r.err;
  const auto run = linesOf(test::readBytes(dir.file("live/demo.prn")));
  EXPECT_EQ(run.size(), 2u + 5u);
}

}  // namespace
}  // namespace vargaze
