// truth.csv: its layout and the injected light curve of the variable.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "base/Numbers.h"
#include "demo/DemoTruth.h"
#include "support/TempDir.h"

namespace vargaze::demo {
namespace {

std::vector<std::string> split(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  std::string field;
  while (std::getline(in, field, ',')) fields.push_back(field);
  return fields;
}

double number(const std::string& text) {
  double value = 0.0;
  EXPECT_TRUE(tryParseDouble(text, value)) << text;
  return value;
}

TEST(DemoTruthTest, HeaderAndOneLinePerFrame) {
  const DemoDesign d = makeDemoDesign({});
  const std::vector<std::string> lines = truthLines(d);
  ASSERT_EQ(lines.size(), 41u);
  EXPECT_EQ(lines[0], "file,JD start,JD middle,V Demo,C1,C2,C3,K");
  EXPECT_EQ(lines[1],
            "demo_001.fit,2460385.333333,2460385.333507,12.3000,11.7400,12.1200,12.5800,12.4100");
  EXPECT_EQ(split(lines[2])[1], "2460385.334028");
  EXPECT_EQ(split(lines[40])[0], "demo_040.fit");
}

TEST(DemoTruthTest, FileHasCrLfLineEnds) {
  const test::TempDir dir;
  const DemoDesign d = makeDemoDesign({3, 128, 128});
  std::string error;
  ASSERT_TRUE(writeTruthFile(d, dir.file("truth.csv"), error)) << error;
  const std::string bytes = test::readBytes(dir.file("truth.csv"));
  EXPECT_EQ(bytes.substr(0, 43), "file,JD start,JD middle,V Demo,C1,C2,C3,K\r\n");
  std::size_t lineEnds = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n') {
      ++lineEnds;
      EXPECT_EQ(bytes[i - 1], '\r');
    }
  }
  EXPECT_EQ(lineEnds, 4u);
  EXPECT_EQ(bytes.back(), '\n');
}

TEST(DemoTruthTest, WriteFailureIsReported) {
  const test::TempDir dir;
  std::string error;
  EXPECT_FALSE(writeTruthFile(makeDemoDesign({}), dir.file("missing/truth.csv"), error));
  EXPECT_NE(error, "");
}

// The eclipse: 12.30 outside, about 0.8 mag deeper in the middle of the
// night, symmetric about the middle of the series.
TEST(DemoTruthTest, EclipseMinimumInTheMiddleOfTheNight) {
  const DemoDesign d = makeDemoDesign({});
  const std::vector<std::string> lines = truthLines(d);
  std::vector<double> jd, mag;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::vector<std::string> f = split(lines[i]);
    ASSERT_EQ(f.size(), 8u);
    jd.push_back(number(f[2]));
    mag.push_back(number(f[3]));
  }
  // 40 frames: the middle falls between frames 20 and 21, 19.5 minutes
  // after the first mid-exposure; both are equally deep.
  const double middle = 2460384.5 + 20.0 / 24.0 + (15.0 + 19.5 * 60.0) / 86400.0;
  std::size_t deepest = 0;
  for (std::size_t i = 0; i < mag.size(); ++i) {
    if (mag[i] > mag[deepest]) deepest = i;
  }
  EXPECT_EQ(deepest, 19u);
  EXPECT_DOUBLE_EQ(mag[19], mag[20]);
  EXPECT_NEAR(jd[19], middle - 30.0 / 86400.0, 2e-6);
  EXPECT_NEAR(jd[20], middle + 30.0 / 86400.0, 2e-6);
  EXPECT_GT(mag[19], 13.05);
  EXPECT_LE(mag[19], 13.10);
  EXPECT_DOUBLE_EQ(mag.front(), 12.30);
  EXPECT_DOUBLE_EQ(mag.back(), 12.30);
  for (std::size_t i = 0; i < mag.size(); ++i) {
    EXPECT_DOUBLE_EQ(mag[i], mag[mag.size() - 1 - i]) << "frame " << i + 1;
    if (i > 0 && i <= 19) {
      EXPECT_GE(mag[i], mag[i - 1]) << "frame " << i + 1;
    }
  }
  // Constant at the start and the end, in eclipse for the middle 60 %.
  int outside = 0;
  for (double m : mag) outside += m == 12.30 ? 1 : 0;
  EXPECT_GE(outside, 14);
  EXPECT_LE(outside, 18);
}

}  // namespace
}  // namespace vargaze::demo
