// vargaze-cli as a user runs it: output, messages and exit codes.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <regex>

#include "support/CliRunner.h"
#include "support/FitsBuilder.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

using Result = test::CliResult;
using test::quoted;
using test::runCli;


class CliTest : public ::testing::Test {
 protected:
  test::TempDir dir;
};

TEST_F(CliTest, HelpNamesTheCommands) {
  const Result r = runCli("--help", dir);
  EXPECT_EQ(r.exitCode, 0);
  for (const char* word : {"info", "convert", "--color"}) {
    EXPECT_NE(r.out.find(word), std::string::npos) << word;
  }
  EXPECT_EQ(runCli("no-such-command", dir).exitCode, 1);
}

TEST_F(CliTest, InfoPrintsTheReaderFieldsAsJson) {
  const std::string path = dir.file("frame.fit");
  test::FitsBuilder f(16, 3, 2);
  f.card("BZERO", "32768")
      .card("DATE-OBS", "'2000-01-01T12:00:00'")
      .card("EXPTIME", "30")
      .card("FILTER", "'V'")
      .card("AIRMASS", "1.25")
      .card("XBINNING", "2")
      .pixels({-32768, -32000, 0, 100, 200, 32767});
  test::writeBytes(path, f.bytes());
  const Result r = runCli("info " + quoted(path), dir);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  for (const char* key : {"xsize", "ysize", "bufferbyte", "bitpix", "JDstart", "Datetime",
                          "Exposure", "FilterName", "FilterType", "Airmass", "PixScale",
                          "Xbinning", "Ybinning", "Offset1", "Wordmode", "bufferMin",
                          "bufferMax", "colorimages", "OBSTYPE", "headerlines"}) {
    EXPECT_TRUE(j.contains(key)) << key;
  }
  EXPECT_EQ(j["xsize"], 3);
  EXPECT_EQ(j["bitpix"], 16);
  EXPECT_EQ(j["bufferMin"], 0);
  EXPECT_EQ(j["bufferMax"], 65535);
  EXPECT_EQ(j["FilterType"], 3);
  EXPECT_EQ(j["Xbinning"], 2);
  EXPECT_EQ(j["Datetime"], "2000-01-01T12:00:00.000");
  EXPECT_DOUBLE_EQ(j["JDstart"].get<double>(), 2451545.0);
  // The Julian Date is printed with 8 decimals even when it is a whole day.
  EXPECT_TRUE(std::regex_search(r.out, std::regex("\"JDstart\": 2451545\\.00000000[,\\n]")))
      << r.out;
}

TEST_F(CliTest, InfoReadsAColourPlane) {
  const std::string path = dir.file("rgb.fit");
  test::FitsBuilder f(8, 2, 1, 3);
  f.card("CSPACE", "'RGB'").pixels({1, 2, 30, 40, 150, 160});
  test::writeBytes(path, f.bytes());
  const Result cube = runCli("info " + quoted(path), dir);
  ASSERT_EQ(cube.exitCode, 0) << cube.err;
  EXPECT_EQ(nlohmann::json::parse(cube.out)["colorimages"], 3);
  const Result green = runCli("info " + quoted(path) + " --color 2", dir);
  ASSERT_EQ(green.exitCode, 0) << green.err;
  const auto j = nlohmann::json::parse(green.out);
  EXPECT_EQ(j["xsize"], 2);
  EXPECT_EQ(j["bufferMax"], 40);
  EXPECT_EQ(j["FilterName"], "TG");
  EXPECT_EQ(runCli("info " + quoted(path) + " --color 4", dir).exitCode, 1);
}

TEST_F(CliTest, InfoReportsWhyAFileCannotBeRead) {
  const std::string missing = dir.file("missing.fit");
  const std::string notFits = dir.file("note.txt");
  test::writeBytes(notFits, std::string(3000, 'x'));
  const std::string truncated = dir.file("short.fit");
  test::writeBytes(truncated, test::FitsBuilder(16, 500, 500).pixels({1, 2}).bytes());
  const std::string huge = dir.file("huge.fit");
  test::writeBytes(huge, test::FitsBuilder(16, 50000, 50000).bytes());
  const std::string bitpix = dir.file("bitpix.fit");
  test::writeBytes(bitpix, test::FitsBuilder(-64, 1, 1).pixels({1}).bytes());

  const std::pair<std::string, std::string> cases[] = {{missing, "file not found"},
                                                       {notFits, "not a FITS file"},
                                                       {truncated, "truncated data"},
                                                       {huge, "image too large"},
                                                       {bitpix, "unsupported BITPIX -64"}};
  for (const auto& [file, reason] : cases) {
    const Result r = runCli("info " + quoted(file), dir);
    EXPECT_EQ(r.exitCode, 1) << file;
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_NE(r.err.find(file), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(reason), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
}

TEST_F(CliTest, ConvertWritesAFileThatReadsTheSame) {
  const std::string in = dir.file("in.fit");
  const std::string out = dir.file("out.fit");
  test::FitsBuilder f(16, 2, 2);
  f.card("DATE-OBS", "'2023-10-05T21:13:45.5'").pixels({-5, 0, 10, 300});
  test::writeBytes(in, f.bytes());
  const Result r = runCli("convert " + quoted(in) + " " + quoted(out), dir);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto before = nlohmann::json::parse(runCli("info " + quoted(in), dir).out);
  const auto after = nlohmann::json::parse(runCli("info " + quoted(out), dir).out);
  for (const char* key : {"xsize", "ysize", "bufferMin", "bufferMax", "Offset1", "JDstart",
                          "Datetime"}) {
    EXPECT_EQ(before[key], after[key]) << key;
  }
  EXPECT_EQ(runCli("convert " + quoted(in), dir).exitCode, 1);
}

TEST_F(CliTest, SampleFrameIsAReadableStarField) {
  const std::string path = dir.file("sample.fit");
  ASSERT_EQ(runCli("sample " + quoted(path), dir).exitCode, 0);
  const Result r = runCli("info " + quoted(path), dir);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["xsize"], 256);
  EXPECT_EQ(j["Datetime"], "2023-10-05T21:13:45.500");
  EXPECT_GT(j["bufferMax"].get<int>(), 5000);  // the brightest star stands out of the sky
  EXPECT_DOUBLE_EQ(j["Airmass"].get<double>(), 1.234);
}

}  // namespace
}  // namespace vargaze
