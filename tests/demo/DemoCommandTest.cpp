// vargaze-cli demo: what it writes and what it refuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "image/Imgbuffer.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

namespace vargaze::test {
namespace {

std::vector<std::string> outputLines(const std::string& out) {
  std::vector<std::string> lines;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

TEST(DemoCommandTest, WritesIntoANewFolderAndPrintsThePaths) {
  const TempDir dir;
  const std::string target = dir.file("a/b");
  const CliResult r = runCli("demo " + quoted(target) + " --frames 2 --size 160x130", dir);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::vector<std::string> expected = {target + "/demo_001.fit", target + "/demo_002.fit",
                                             target + "/truth.csv", target + "/demo.roi",
                                             target + "/demo.vgp"};
  EXPECT_EQ(outputLines(r.out), expected);
  for (const std::string& path : expected) EXPECT_TRUE(std::filesystem::exists(path)) << path;
  Timgbuffer img;
  ASSERT_TRUE(img.Readfitsfile(target + "/demo_002.fit")) << img.readError;
  EXPECT_EQ(img.xsize, 160);
  EXPECT_EQ(img.ysize, 130);
  EXPECT_EQ(img.Datetime, "2024-03-15T20:01:00.000");
}

TEST(DemoCommandTest, DefaultsToFortyFramesOf512By384) {
  const TempDir dir;
  const CliResult r = runCli("demo " + quoted(dir.file("night")), dir);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(outputLines(r.out).size(), 43u);
  Timgbuffer img;
  ASSERT_TRUE(img.Readfitsfile(dir.file("night/demo_040.fit"))) << img.readError;
  EXPECT_EQ(img.xsize, 512);
  EXPECT_EQ(img.ysize, 384);
  EXPECT_FALSE(std::filesystem::exists(dir.file("night/demo_041.fit")));
  EXPECT_EQ(readBytes(dir.file("night/demo.roi")).size(), 5u * 28u);
}

TEST(DemoCommandTest, SameDemoEveryRun) {
  const TempDir dir;
  ASSERT_EQ(runCli("demo " + quoted(dir.file("one")) + " --frames 2 --size 128x128", dir).exitCode, 0);
  ASSERT_EQ(runCli("demo " + quoted(dir.file("two")) + " --frames 2 --size 128x128", dir).exitCode, 0);
  for (const char* name : {"demo_001.fit", "demo_002.fit", "truth.csv", "demo.roi"}) {
    const std::string one = readBytes(dir.file(std::string("one/") + name));
    EXPECT_FALSE(one.empty()) << name;
    EXPECT_EQ(one, readBytes(dir.file(std::string("two/") + name))) << name;
  }
}

TEST(DemoCommandTest, RefusesBadOptionsWithoutWritingAnything) {
  const TempDir dir;
  const std::string target = quoted(dir.file("out"));
  const struct {
    std::string arguments;
    std::string message;
  } cases[] = {
      {"demo " + target + " --frames 1", "number of frames"},
      {"demo " + target + " --frames 1000", "number of frames"},
      {"demo " + target + " --frames many", "--frames"},
      {"demo " + target + " --size 127x300", "frame size"},
      {"demo " + target + " --size 300x127", "frame size"},
      {"demo " + target + " --size 4097x300", "frame size"},
      {"demo " + target + " --size 300x4097", "frame size"},
      {"demo " + target + " --size 300", "--size"},
      {"demo " + target + " --size 300x", "--size"},
      {"demo " + target + " --colour 2", "unknown option"},
      {"demo", "usage: vargaze-cli demo"},
      {"demo " + target + " " + target, "usage: vargaze-cli demo"},
  };
  for (const auto& c : cases) {
    const CliResult r = runCli(c.arguments, dir);
    EXPECT_EQ(r.exitCode, 1) << c.arguments;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.arguments << ": " << r.err;
    EXPECT_EQ(r.out, "") << c.arguments;
    EXPECT_FALSE(std::filesystem::exists(dir.file("out"))) << c.arguments;
  }
}

TEST(DemoCommandTest, UnwritableFolderIsReported) {
  const TempDir dir;
  writeBytes(dir.file("plain"), "not a folder");
  const CliResult r = runCli("demo " + quoted(dir.file("plain/night")) + " --frames 2", dir);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("plain/night"), std::string::npos) << r.err;
}

TEST(DemoCommandTest, HelpListsTheCommand) {
  const TempDir dir;
  const CliResult r = runCli("--help", dir);
  EXPECT_NE(r.out.find("demo DIR [--frames N] [--size WxH]"), std::string::npos);
}

}  // namespace
}  // namespace vargaze::test
