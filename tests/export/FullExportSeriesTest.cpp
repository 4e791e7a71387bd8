// The full export for one ROI over the series: every frame loaded, measured
// and read back from the ROI window; frames that fail are skipped; STOP keeps
// the frames done so far.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "export/FullExport.h"
#include "support/SeriesRig.h"

namespace vargaze {
namespace {

struct FrameSpec {
  std::string time;  // DATE-OBS time of 2024-03-01
  int targetNet;     // net counts of the single-pixel target
  std::string airmass;
};

// Sky 100, comparison star of net 30000 at (30, 30), target at (70, 50). With
// gain 1 and no read or dark noise, a 5x5 box and a 176-pixel ring:
// background 2500, S/N = net / sqrt(2500/176 * (1 + 25/176) * 25 + 2500 + net).
// Comparison: S/N 165, 11.200. Targets 3000 / 10000 / 1500: S/N 39 / 88 / 23,
// magnitudes 11.2 - 2.5 log10(net / 30000) = 13.700 / 12.393 / 14.453, errors
// 1.086 * sqrt(1/SN^2 + (1.0857/165)^2) = 0.029 / 0.014 / 0.048.
const std::vector<FrameSpec> kFrames = {
    {"20:00:00", 3000, "1.234"}, {"20:10:00", 10000, "1.5"}, {"20:20:00", 1500, "2.0"}};

class FullExportSeriesTest : public ::testing::Test, public test::SeriesBench {
 protected:
  void SetUp() override {
    settings.ReadnoiseElectrons = 0.0;
    settings.DarkElectronsPerSec = 0.0;
    win.AutocenterCheckBox = false;
    for (std::size_t i = 0; i < kFrames.size(); ++i) {
      files.push_back(dir.file("f" + std::to_string(i + 1) + ".fit"));
      std::vector<double> pixels(test::kWidth * test::kHeight, 100.0);
      pixels[(30 - 1) * test::kWidth + (30 - 1)] += 30000;
      pixels[(50 - 1) * test::kWidth + (70 - 1)] += kFrames[i].targetNet;
      test::writeBytes(files.back(), test::FitsBuilder(16, test::kWidth, test::kHeight)
                                         .card("DATE-OBS", "'2024-03-01T" + kFrames[i].time + "'")
                                         .card("EXPTIME", "60")
                                         .card("AIRMASS", kFrames[i].airmass)
                                         .pixels(pixels)
                                         .bytes());
    }
    ASSERT_TRUE(series.openSeries(files));
    for (const auto& [x, y] : {std::pair{30, 30}, std::pair{70, 50}}) {
      const std::int32_t n = win.Newroi(x - 1, y - 1);
      win.BGROI1(n, x - 1, y - 1);
    }
    win.roi(1).ref = true;
    win.roi(1).rmag = 11.2f;
    win.bvri(1).Vmag = 11.2f;
    win.roi(1).Name = "Comp A";
    win.roi(2).Name = "V1 Cyg";
    fields.FilenameEdit = dir.file("full.csv");
    fields.ROInumEdit = 2;
    fields.DelimiterGroup = 1;
  }

  std::string written() { return test::readBytes(fields.FilenameEdit); }

  test::TempDir dir;
  std::vector<std::string> files;
  FullExportFields fields;
};

const std::string kSeriesTitles =
    "JD;Filename;Counts(star);Counts(background);Star-Background;Max.counts;Mag;SNR;error;"
    "Airmass\r\n";

TEST_F(FullExportSeriesTest, OneLinePerFrameForTheChosenRoi) {
  ASSERT_TRUE(FullExportSave(series, fields));
  // JD of 2024-03-01 20:00 UT = 2460371.333333; 10 minutes = 0.006944 days.
  EXPECT_EQ(written(), "Vargaze Ergebnisse f\xFCr ROI2 V1 Cyg\r\n" + kSeriesTitles +
                           "2460371.33333;" + files[0] + ";5500;2500;3000;3100;13.700;39;0.029;1.23\r\n"
                           "2460371.34028;" + files[1] + ";12500;2500;10000;10100;12.393;88;0.014;1.50\r\n"
                           "2460371.34722;" + files[2] + ";4000;2500;1500;1600;14.453;23;0.048;2.00\r\n");
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(flags.Activeframe, 3);  // the last frame stays on display
  EXPECT_FALSE(series.runActive);
  EXPECT_TRUE(series.Timer1Enabled);
}

TEST_F(FullExportSeriesTest, ComparisonStarKeepsItsStarAndHasNoError) {
  fields.ROInumEdit = 1;
  fields.DelimiterGroup = 2;
  fields.DecimalGroup = 1;
  ASSERT_TRUE(FullExportSave(series, fields));
  // Decimal commas in the number fields only; the file names keep their points.
  const std::string titles =
      "JD|Filename|Counts(star)|Counts(background)|Star-Background|Max.counts|Mag|SNR|error|"
      "Airmass\r\n";
  EXPECT_EQ(written(), "Vargaze Ergebnisse f\xFCr ROI1 Comp A\r\n" + titles +
                           "2460371,33333|" + files[0] + "|32500|2500|30000|30100|11,200*|165||1,23\r\n"
                           "2460371,34028|" + files[1] + "|32500|2500|30000|30100|11,200*|165||1,50\r\n"
                           "2460371,34722|" + files[2] + "|32500|2500|30000|30100|11,200*|165||2,00\r\n");
}

TEST_F(FullExportSeriesTest, FrameThatFailsToLoadIsLeftOut) {
  std::filesystem::remove(files[1]);
  ASSERT_TRUE(FullExportSave(series, fields));
  EXPECT_EQ(written(), "Vargaze Ergebnisse f\xFCr ROI2 V1 Cyg\r\n" + kSeriesTitles +
                           "2460371.33333;" + files[0] + ";5500;2500;3000;3100;13.700;39;0.029;1.23\r\n"
                           "2460371.34722;" + files[2] + ";4000;2500;1500;1600;14.453;23;0.048;2.00\r\n");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0], "Fehler beim Laden der Datei " + files[1]);
}

TEST_F(FullExportSeriesTest, StopSavesTheFramesDoneSoFar) {
  // The stop arrives while the events of frame 2 run: frame 2 is not written.
  ui.cancelAfterEvents = ui.eventsProcessed + 2;
  ASSERT_TRUE(FullExportSave(series, fields));
  EXPECT_EQ(written(), "Vargaze Ergebnisse f\xFCr ROI2 V1 Cyg\r\n" + kSeriesTitles +
                           "2460371.33333;" + files[0] + ";5500;2500;3000;3100;13.700;39;0.029;1.23\r\n");
  EXPECT_FALSE(series.runActive);
  EXPECT_TRUE(series.Timer1Enabled);
}

TEST_F(FullExportSeriesTest, RoiNumberBeyondTheListIsRefusedBeforeAnyFrameIsLoaded) {
  ASSERT_TRUE(series.BlinkScrollBarChange(2));
  for (const std::int32_t roi : {3, -1}) {
    fields.ROInumEdit = roi;
    EXPECT_FALSE(FullExportSave(series, fields));
  }
  EXPECT_EQ(ui.messages, (std::vector<std::string>{"ROI Nr. 3 nicht vorhanden (ROIs: 2)",
                                                   "ROI Nr. -1 nicht vorhanden (ROIs: 2)"}));
  EXPECT_EQ(flags.Activeframe, 2);
  EXPECT_FALSE(std::filesystem::exists(fields.FilenameEdit));
}

}  // namespace
}  // namespace vargaze
