// The short export from the curve arrays: exact lines for the field choices,
// the decimal comma on the written texts only, the line count of R3.2 and
// the refusals.
#include <gtest/gtest.h>

#include <filesystem>
#include <locale>
#include <string>
#include <vector>

#include "base/Numbers.h"
#include "export/ShortExport.h"
#include "support/SeriesRig.h"

namespace vargaze {
namespace {

class ShortExportTest : public ::testing::Test, public test::SeriesBench {
 protected:
  // A measured curve of three frames, ten minutes apart from
  // JD 2460371.333333 (2024-03-01 20:00 UT); ROI 1 the comparison star.
  void SetUp() override {
    series.filelist1 = {dir.file("a.fit"), dir.file("b.fit"), dir.file("c.fit")};
    win.ROIlist.resize(2);
    win.BVRIlist.resize(2);
    win.ROIindex = 2;
    series.curve.setFrame(0, 10371.3333333, 1.234f, {11.2f, 13.7f});
    series.curve.setFrame(1, 10371.3402778, 1.5f, {11.2f, 12.393f});
    series.curve.setFrame(2, 10371.3472222, 2.0f, {11.2f, 14.4526f});
    series.curve.NumCurvePoints = 3;
    fields.FilenameEdit = dir.file("short.csv");
    fields.ROIEdit1 = 2;
  }

  std::string written() { return test::readBytes(fields.FilenameEdit); }

  test::TempDir dir;
  ShortExportFields fields;
};

TEST_F(ShortExportTest, JulianDateAndOneMagnitudeByDefault) {
  ASSERT_TRUE(ShortExport(series, fields));
  EXPECT_EQ(written(), "2460371.33333,13.700\r\n2460371.34028,12.393\r\n2460371.34722,14.453\r\n");
}

TEST_F(ShortExportTest, DecimalCommaWithSecondRoiAndAirmass) {
  const std::string localeBefore = std::locale().name();
  fields.ROIEdit2 = 1;
  fields.AirmassCheck = true;
  fields.DecimalGroup = 1;
  fields.DelimiterGroup = 1;
  ASSERT_TRUE(ShortExport(series, fields));
  EXPECT_EQ(written(),
            "2460371,33333;13,700;11,200;1,23\r\n"
            "2460371,34028;12,393;11,200;1,50\r\n"
            "2460371,34722;14,453;11,200;2,00\r\n");
  // Numbers everywhere else keep the point.
  EXPECT_EQ(formatFixed(2.5, 1), "2.5");
  EXPECT_EQ(std::locale().name(), localeBefore);
}

TEST_F(ShortExportTest, CommaAsDecimalAndFieldSeparator) {
  test::writeBytes(fields.FilenameEdit, "previous\r\n");
  fields.DecimalGroup = 1;
  EXPECT_FALSE(ShortExport(series, fields));  // checked when it runs
  EXPECT_EQ(written(), "previous\r\n");
  ShortExportDecimalGroupClick(fields, ui);  // the window's click moves the delimiter
  EXPECT_EQ(fields.DelimiterGroup, 1);
  EXPECT_EQ(ui.messages, (std::vector<std::string>{"Feld-Trennzeichen darf nicht Komma sein!",
                                                   "Feld-Trennzeichen darf nicht Komma sein!"}));
}

TEST_F(ShortExportTest, OnlyTheFramesOfTheLastRunAndOfTheSeries) {
  series.curve.NumCurvePoints = 2;  // a third frame was added since the run
  ASSERT_TRUE(ShortExport(series, fields));
  EXPECT_EQ(written(), "2460371.33333,13.700\r\n2460371.34028,12.393\r\n");
  series.curve.NumCurvePoints = 3;
  series.filelist1.pop_back();  // fewer frames than curve points
  ASSERT_TRUE(ShortExport(series, fields));
  EXPECT_EQ(written(), "2460371.33333,13.700\r\n2460371.34028,12.393\r\n");
}

TEST_F(ShortExportTest, JdOffsetWithDecimalsGivesTheFullJulianDate) {
  settings.JDCurveoffset = 2460000.5;
  series.curve.XTimes = {370.8333333};
  series.curve.NumCurvePoints = 1;
  ASSERT_TRUE(ShortExport(series, fields));
  EXPECT_EQ(written(), "2460371.33333,13.700\r\n");
}

TEST_F(ShortExportTest, RefusalsWriteNothing) {
  for (const auto& [roi1, roi2] : {std::pair{3, 0}, std::pair{0, 0}, std::pair{1, 3}}) {
    fields.ROIEdit1 = roi1;
    fields.ROIEdit2 = roi2;
    EXPECT_FALSE(ShortExport(series, fields));
  }
  fields.ROIEdit2 = 0;
  series.curve.NumCurvePoints = 0;
  EXPECT_FALSE(ShortExport(series, fields));
  EXPECT_EQ(ui.messages, (std::vector<std::string>{
                             "ROI Nr. 3 nicht vorhanden (ROIs: 2)", "ROI Nr. 0 nicht vorhanden (ROIs: 2)",
                             "ROI Nr. 3 nicht vorhanden (ROIs: 2)", "Keine Lichtkurven vorhanden."}));
  EXPECT_FALSE(std::filesystem::exists(fields.FilenameEdit));
}

TEST_F(ShortExportTest, FailedSaveSaysSoAndKeepsThePreviousFile) {
  // No room for the temporary file's longer name beside the target.
  fields.FilenameEdit = dir.file(std::string(246, 'x') + ".csv");
  test::writeBytes(fields.FilenameEdit, "previous\r\n");
  EXPECT_FALSE(ShortExport(series, fields));
  EXPECT_EQ(ui.messages,
            std::vector<std::string>{"Fehler beim Speichern der Datei " + fields.FilenameEdit});
  EXPECT_EQ(written(), "previous\r\n");
}

}  // namespace
}  // namespace vargaze
