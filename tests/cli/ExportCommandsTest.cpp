// vargaze-cli export on demo series.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "support/CliRunner.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

using test::quoted;
using test::runCli;

class ExportCommandsTest : public ::testing::Test {
 protected:
  std::string writeDemo(int frames) {
    const auto r = runCli("demo " + quoted(dir.file("night")) + " --frames " +
                              std::to_string(frames) + " --size 256x192",
                          dir);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return dir.file("night/demo.vgp");
  }
  void configure(const std::string& ini) { test::writeBytes(dir.file("vargaze1.ini"), ini); }
  test::TempDir dir;
};

TEST_F(ExportCommandsTest, AavsoReportOfTheDemoPassesTheCheck) {
  const std::string project = writeDemo(3);
  configure("[Export]\r\nOBSCODE=XYZ\r\n[Time]\r\nMiddletimeCorrection=1\r\n");
  const std::string out = dir.file("report.txt");
  const auto r = runCli("export aavso " + quoted(project) + " -o " + quoted(out) + " --strict", dir);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::istringstream in(test::readBytes(out));
  int header = 0;
  int data = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("#", 0) == 0) {
      ++header;
      continue;
    }
    ++data;
    EXPECT_EQ(std::count(line.begin(), line.end(), ','), 14) << line;  // 15 fields
    EXPECT_EQ(line.rfind("V Demo,24603", 0), 0u) << line;
  }
  EXPECT_EQ(data, 3);
  const std::string text = test::readBytes(out);
  for (const char* key : {"#TYPE=EXTENDED", "#OBSCODE=XYZ", "#SOFTWARE=", "#DELIM=,", "#DATE=JD",
                          "#OBSTYPE=CCD"}) {
    EXPECT_NE(text.find(key), std::string::npos) << key;
  }
}

TEST_F(ExportCommandsTest, StrictRefusesAReportWithFindings) {
  const std::string project = writeDemo(2);
  const std::string out = dir.file("report.txt");
  const auto r = runCli("export aavso " + quoted(project) + " -o " + quoted(out) + " --strict", dir);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("#OBSCODE"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(out));
  // Without --strict the findings are shown and the file is saved.
  const auto saved = runCli("export aavso " + quoted(project) + " -o " + quoted(out), dir);
  EXPECT_EQ(saved.exitCode, 0) << saved.err;
  EXPECT_TRUE(std::filesystem::exists(out));
  EXPECT_EQ(runCli("export aavso " + quoted(project) + " -o x.txt --var 9", dir).exitCode, 1);
  EXPECT_EQ(runCli("export aavso " + quoted(project) + " -o x.txt --delimiter :", dir).exitCode, 1);
}

}  // namespace
}  // namespace vargaze

namespace vargaze {
namespace {

class ResultExportsTest : public ::testing::Test {
 protected:
  test::TempDir dir;
};

TEST_F(ResultExportsTest, ShortAndFullExportsOfTheDemo) {
  ASSERT_EQ(runCli("demo " + quoted(dir.file("n")) + " --frames 3 --size 256x192", dir).exitCode, 0);
  const std::string project = dir.file("n/demo.vgp");
  const auto shortRun = runCli("export short " + quoted(project) + " -o " +
                                   quoted(dir.file("short.txt")) +
                                   " --roi2 5 --airmass --decimal , --delimiter ';'",
                               dir);
  ASSERT_EQ(shortRun.exitCode, 0) << shortRun.err;
  std::istringstream in(test::readBytes(dir.file("short.txt")));
  int lines = 0;
  for (std::string line; std::getline(in, line); ++lines) {
    // JD;variable;check;airmass with decimal commas: "2460385,33333;12,301;12,412;1,20"
    EXPECT_EQ(std::count(line.begin(), line.end(), ';'), 3) << line;
    EXPECT_EQ(std::count(line.begin(), line.end(), ','), 4) << line;
    EXPECT_EQ(line.find('.'), std::string::npos) << line;
  }
  EXPECT_EQ(lines, 3);
  // A comma cannot be both the decimal and the field separator.
  EXPECT_EQ(runCli("export short " + quoted(project) + " -o x.txt --decimal , --delimiter ,", dir)
                .exitCode,
            1);

  const auto full = runCli("export full " + quoted(project) + " -o " +
                               quoted(dir.file("full.txt")) + " --roi 1",
                           dir);
  ASSERT_EQ(full.exitCode, 0) << full.err;
  const std::string text = test::readBytes(dir.file("full.txt"));
  EXPECT_NE(text.find("JD,Filename,Counts(star)"), std::string::npos) << text;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2 + 3);
  EXPECT_EQ(runCli("export full " + quoted(project) + " -o x.txt --roi 7", dir).exitCode, 1);
}

}  // namespace
}  // namespace vargaze
