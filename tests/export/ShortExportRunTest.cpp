// The short export after a light-curve run over hand-made frames: the lines
// follow from the frames' times, counts and airmasses by hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/ShortExport.h"
#include "series/LightCurveRun.h"
#include "series/SeriesRig.h"

namespace vargaze {
namespace {

// Frame i is taken at 20:kMinutes[i]:00 UT.
const std::string kMinutes[] = {"00", "10", "20"};

class ShortExportRunTest : public ::testing::Test, public test::SeriesBench {
 protected:
  // Sky 100; comparison star of net 30000 at (30, 30), 11.2 mag; target at
  // (70, 50) with `targetNet` counts per frame (three frames at most).
  void writeSeries(const std::vector<int>& targetNet, const std::vector<std::string>& airmass) {
    for (std::size_t i = 0; i < targetNet.size(); ++i) {
      files.push_back(dir.file("f" + std::to_string(i + 1) + ".fit"));
      std::vector<double> pixels(test::kWidth * test::kHeight, 100.0);
      pixels[(30 - 1) * test::kWidth + (30 - 1)] += 30000;
      pixels[(50 - 1) * test::kWidth + (70 - 1)] += targetNet[i];
      test::writeBytes(files.back(), test::FitsBuilder(16, test::kWidth, test::kHeight)
                                         .card("DATE-OBS", "'2024-03-01T20:" + kMinutes[i] + ":00'")
                                         .card("EXPTIME", "60")
                                         .card("AIRMASS", airmass[i])
                                         .pixels(pixels)
                                         .bytes());
    }
  }

  void openAndMeasure() {
    win.AutocenterCheckBox = false;
    ASSERT_TRUE(series.openSeries(files));
    for (const auto& [x, y] : {std::pair{30, 30}, std::pair{70, 50}}) {
      const std::int32_t n = win.Newroi(x - 1, y - 1);
      win.BGROI1(n, x - 1, y - 1);
    }
    win.roi(1).ref = true;
    win.roi(1).rmag = 11.2f;
    win.bvri(1).Vmag = 11.2f;
    series.ProjectFilename = dir.file("night.vgp");
    ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  }

  test::TempDir dir;
  std::vector<std::string> files;
};

TEST_F(ShortExportRunTest, MeasuredCurveWithBothRoisAndAirmass) {
  writeSeries({3000, 10000, 1500}, {"1.234", "1.5", "2.0"});
  openAndMeasure();
  ShortExportFields fields;
  fields.FilenameEdit = dir.file("short.csv");
  fields.ROIEdit1 = 2;
  fields.ROIEdit2 = 1;
  fields.AirmassCheck = true;
  fields.DelimiterGroup = 1;
  ASSERT_TRUE(ShortExport(series, fields));
  // 20:00, 20:10, 20:20 UT on 2024-03-01 = JD 2460371.333333 + n * 0.006944;
  // target 11.2 - 2.5 log10(net / 30000).
  EXPECT_EQ(test::readBytes(fields.FilenameEdit),
            "2460371.33333;13.700;11.200;1.23\r\n"
            "2460371.34028;12.393;11.200;1.50\r\n"
            "2460371.34722;14.453;11.200;2.00\r\n");
}

}  // namespace
}  // namespace vargaze
