// vargaze-cli table and findstars on frames and ROI files made by the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>
#include <vector>

#include "support/CliRunner.h"
#include "support/FitsBuilder.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

using test::quoted;
using test::runCli;

constexpr int kWidth = 100;
constexpr int kHeight = 80;
constexpr int kSky = 100;

struct Star {
  int x, y, net;
};

// A 16-bit frame of flat sky with stars of exactly known counts: single
// pixels, or Gaussian profiles (sigma 1.5) when `spread`. No FILTER card, so
// the reference magnitudes of the ROI file stay as they are.
std::string frameBytes(const std::vector<Star>& stars, bool spread = false) {
  std::vector<double> pixels(kWidth * kHeight, kSky);
  for (const Star& s : stars) {
    for (int y = 1; y <= kHeight; ++y) {
      for (int x = 1; x <= kWidth; ++x) {
        const double r2 = (x - s.x) * (x - s.x) + (y - s.y) * (y - s.y);
        double& p = pixels[(y - 1) * kWidth + (x - 1)];
        if (spread) {
          p += std::round(s.net / (2 * M_PI * 2.25) * std::exp(-r2 / 4.5));
        } else if (r2 == 0) {
          p += s.net;
        }
      }
    }
  }
  test::FitsBuilder f(16, kWidth, kHeight);
  f.card("EXPTIME", "10.0").card("DATE-OBS", "'2023-10-05T21:13:45'");
  return f.pixels(pixels).bytes();
}

// One 28-byte little-endian record of a ROI file, ring mode at (x, y).
std::string roiRecord(int x, int y, int d, bool ref, float rmag) {
  std::string rec(28, '\0');
  const std::int32_t ints[5] = {x, y, x, y, d};
  std::memcpy(rec.data(), ints, sizeof ints);
  rec[20] = ref ? 1 : 0;
  std::memcpy(rec.data() + 24, &rmag, 4);
  return rec;
}

std::vector<std::vector<std::string>> cellsOf(const std::string& out) {
  std::vector<std::vector<std::string>> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (std::size_t p; (p = line.find(';', start)) != std::string::npos; start = p + 1) {
      cells.push_back(line.substr(start, p - start));
    }
    cells.push_back(line.substr(start));
    lines.push_back(cells);
  }
  return lines;
}

class PhotometryCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::writeBytes(frame, frameBytes({{30, 30, 10000}, {70, 40, 1000}}));
    test::writeBytes(rois, roiRecord(30, 30, 5, true, 10.0f) + roiRecord(70, 40, 5, false, 0.0f));
  }
  test::TempDir dir;
  const std::string frame = dir.file("frame.fit");
  const std::string rois = dir.file("field.roi");
};

TEST_F(PhotometryCommandsTest, TablePrintsTheCellsOfTheRoiWindow) {
  const auto r = runCli("table " + quoted(frame) + " --roi " + quoted(rois) +
                            " --size 5 --inner 7 --outer 9 --no-center",
                        dir);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto lines = cellsOf(r.out);
  ASSERT_EQ(lines.size(), 5u) << r.out;
  EXPECT_EQ(r.out.substr(0, r.out.find('\n')),
            "i;counts A;counts B;A-B;Max(A);Mag;DMag;S/N (error);B-V (cat.);Vj (cat.);"
            "Rc (cat.);Ic (cat.)");
  // 5 x 5 box of sky plus the star; the 7 / 9 ring holds sky only.
  EXPECT_EQ(lines[1][1], "12500");
  EXPECT_EQ(lines[1][2], "2500");
  EXPECT_EQ(lines[1][3], "10000");
  EXPECT_EQ(lines[1][4], "10100");
  EXPECT_EQ(lines[1][5], "10.000*");
  EXPECT_EQ(lines[2][3], "1000");
  // Time correction is on by default: zero point 10 + 2.5 log10(10000 / 10) = 17.5.
  EXPECT_EQ(lines[2][5], "12.500");
  EXPECT_EQ(lines[3][0], "Magcal=17.50");
  EXPECT_EQ(lines[4][0], "Sky=");
}

TEST_F(PhotometryCommandsTest, RingSizesAndTimeCorrectionComeFromTheConfiguration) {
  // A faint pixel 5 columns from the comparison star: inside a 9 / 15 ring,
  // outside the window's start ring of 5 / 7.
  test::writeBytes(frame, frameBytes({{30, 30, 10000}, {70, 40, 1000}, {35, 30, 1760}}));
  test::writeBytes(dir.file("vargaze1.ini"),
                   "[Mag]\r\nDefaultROIsize=7\r\nDefaultBGinnerSize=9\r\n"
                   "DefaultBGouterSize=15\r\nInstmagCorr=0\r\n");
  const auto r = runCli("table " + quoted(frame) + " --roi " + quoted(rois) + " --no-center", dir);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto lines = cellsOf(r.out);
  ASSERT_EQ(lines.size(), 5u);
  // The ROI file's size 5 wins over the configured 7 (loading sets the control).
  EXPECT_EQ(lines[1][1], "12500");
  // Ring 15 x 15 minus 7 x 7 = 176 pixels: 25 / 176 * (176 * 100 + 1760) = 2750.
  EXPECT_EQ(lines[1][2], "2750");
  EXPECT_EQ(lines[3][0], "Magcal=19.97");  // no time correction: 10 + 2.5 log10(9750)
}

TEST_F(PhotometryCommandsTest, StarInformationComesFromTheProjectBesideTheRoiFile) {
  test::writeBytes(dir.file("field.vgp"),
                   "[ROIfile]\r\n2\r\nComp A\r\nV1234 Cyg\r\n[BVRI]\r\n10,6;10,0;9,7;99\r\n"
                   "99;99;99;99\r\n[End]\r\n");
  const auto r = runCli("table " + quoted(frame) + " --roi " + quoted(rois) + " --no-center", dir);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto lines = cellsOf(r.out);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[1][8], "0.600");
  EXPECT_EQ(lines[1][9], "10.000");
  EXPECT_EQ(lines[1][10], "9.700");
  EXPECT_EQ(lines[1][11], "");
  // Choosing filter R takes the comparison star's R value as its magnitude.
  const auto red = runCli("table " + quoted(frame) + " --roi " + quoted(rois) +
                              " --no-center --filter 4", dir);
  ASSERT_EQ(red.exitCode, 0) << red.err;
  EXPECT_EQ(cellsOf(red.out)[1][5], "9.700*");
}

TEST_F(PhotometryCommandsTest, DamagedRoiFileShowsItsWholeRecordsAndFails) {
  test::writeBytes(rois, roiRecord(30, 30, 5, true, 10.0f) + std::string(13, '\x7f'));
  const auto r = runCli("table " + quoted(frame) + " --roi " + quoted(rois), dir);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(cellsOf(r.out).size(), 4u) << r.out;  // header, one ROI, Magcal, Sky
  EXPECT_FALSE(r.err.empty());
  const auto missing = runCli("table " + quoted(frame) + " --roi " + quoted(dir.file("x.roi")), dir);
  EXPECT_EQ(missing.exitCode, 1);
  const auto usage = runCli("table " + quoted(frame), dir);
  EXPECT_EQ(usage.exitCode, 1);
  EXPECT_NE(usage.err.find("usage"), std::string::npos);
  const auto badNumber = runCli("table " + quoted(frame) + " --roi " + quoted(rois) + " --size x", dir);
  EXPECT_EQ(badNumber.exitCode, 1);
}

TEST_F(PhotometryCommandsTest, FindstarsMarksTheStarsAndTheTableMeasuresThem) {
  // Bright enough for the medium sensitivity, whose threshold keeps the
  // stars' wings from making ROIs of their own; none on a column or row that
  // two search windows of the default size 9 share (40, 49, ...).
  test::writeBytes(frame, frameBytes({{25, 20, 60000}, {60, 30, 45000}, {42, 60, 50000}}, true));
  const std::string found = dir.file("found.roi");
  const auto r = runCli(
      "findstars " + quoted(frame) + " --max 65000 -o " + quoted(found), dir);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("3 Sterne gefunden"), std::string::npos) << r.err;
  const std::string bytes = test::readBytes(found);
  ASSERT_EQ(bytes.size(), 3u * 28);
  std::vector<std::pair<int, int>> positions;
  for (int i = 0; i < 3; ++i) {
    std::int32_t xy[2];
    std::memcpy(xy, bytes.data() + 28 * i, sizeof xy);
    positions.emplace_back(xy[0], xy[1]);
  }
  std::sort(positions.begin(), positions.end());
  EXPECT_EQ(positions, (std::vector<std::pair<int, int>>{{25, 20}, {42, 60}, {60, 30}}));
  const auto table = runCli("table " + quoted(frame) + " --roi " + quoted(found), dir);
  EXPECT_EQ(table.exitCode, 0) << table.err;
  EXPECT_EQ(cellsOf(table.out).size(), 6u);

  // A saturation limit below the sky finds nothing.
  const auto none = runCli("findstars " + quoted(frame) + " --max 1 -o " + quoted(found), dir);
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_EQ(runCli("findstars " + quoted(frame) + " --sensitivity 3 -o x.roi", dir).exitCode, 1);
}

}  // namespace
}  // namespace vargaze
