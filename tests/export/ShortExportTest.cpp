// The short export from the curve arrays: exact lines for the field choices,
// the decimal comma on the written texts only, the line count of R3.2 and
// every refusal.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <locale>
#include <string>
#include <vector>

#include "base/Numbers.h"
#include "export/ShortExport.h"
#include "series/SeriesRig.h"

namespace vargaze {
namespace {

class ShortExportTest : public ::testing::Test, public test::SeriesBench {
 protected:
  // A measured curve of three frames, ten minutes apart from
  // JD 2460371.333333 (2024-03-01 20:00 UT); ROI 1 the comparison star.
  void SetUp() override {
    series.filelist1 = {dir.file("a.fit"), dir.file("b.fit"), dir.file("c.fit")};
    series.FramesLoaded = 3;
    win.ROIlist.resize(2);
    win.BVRIlist.resize(2);
    win.ROIindex = 2;
    settings.JDCurveoffset = 2450000.0;
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
  EXPECT_EQ(written(),
            "2460371.33333,13.700\r\n"
            "2460371.34028,12.393\r\n"
            "2460371.34722,14.453\r\n");
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ShortExportTest, SecondRoiAndAirmass) {
  fields.ROIEdit2 = 1;
  fields.AirmassCheck = true;
  fields.DelimiterGroup = 2;
  ASSERT_TRUE(ShortExport(series, fields));
  EXPECT_EQ(written(),
            "2460371.33333|13.700|11.200|1.23\r\n"
            "2460371.34028|12.393|11.200|1.50\r\n"
            "2460371.34722|14.453|11.200|2.00\r\n");
}

TEST_F(ShortExportTest, DecimalCommaOnlyInTheWrittenTexts) {
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
  char text[16];
  std::snprintf(text, sizeof text, "%.1f", 2.5);
  EXPECT_STREQ(text, "2.5");
}

TEST_F(ShortExportTest, CommaAsDecimalAndFieldSeparatorIsRefusedWhenItRuns) {
  test::writeBytes(fields.FilenameEdit, "previous\r\n");
  fields.DecimalGroup = 1;
  EXPECT_FALSE(ShortExport(series, fields));
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Feld-Trennzeichen darf nicht Komma sein!"});
  EXPECT_EQ(written(), "previous\r\n");
  EXPECT_EQ(formatFixed(2.5, 1), "2.5");
}

TEST_F(ShortExportTest, DecimalCommaClickMovesTheCommaDelimiterToTheSemicolon) {
  fields.DecimalGroup = 1;
  ShortExportDecimalGroupClick(fields, ui);
  EXPECT_EQ(fields.DelimiterGroup, 1);
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Feld-Trennzeichen darf nicht Komma sein!"});
  fields.DelimiterGroup = 2;
  ShortExportDecimalGroupClick(fields, ui);
  EXPECT_EQ(fields.DelimiterGroup, 2);
  EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(ShortExportTest, OnlyTheFramesOfTheLastRunAndOfTheSeries) {
  series.curve.NumCurvePoints = 2;  // a run over two frames, the third added since
  ASSERT_TRUE(ShortExport(series, fields));
  EXPECT_EQ(written(), "2460371.33333,13.700\r\n2460371.34028,12.393\r\n");

  series.curve.NumCurvePoints = 3;
  series.filelist1.pop_back();  // fewer frames than curve points
  series.FramesLoaded = 2;
  ASSERT_TRUE(ShortExport(series, fields));
  EXPECT_EQ(written(), "2460371.33333,13.700\r\n2460371.34028,12.393\r\n");
}

TEST_F(ShortExportTest, RoiAddedAfterTheRunHasNoMagnitude) {
  win.ROIlist.resize(3);
  win.BVRIlist.resize(3);
  win.ROIindex = 3;
  fields.ROIEdit2 = 3;
  series.curve.NumCurvePoints = 1;
  ASSERT_TRUE(ShortExport(series, fields));
  EXPECT_EQ(written(), "2460371.33333,13.700,99.000\r\n");
}

TEST_F(ShortExportTest, JdOffsetWithDecimalsGivesTheFullJulianDate) {
  settings.JDCurveoffset = 2460000.5;
  series.curve.XTimes = {370.8333333, 370.8402778, 370.8472222};
  ASSERT_TRUE(ShortExport(series, fields));
  EXPECT_EQ(written(),
            "2460371.33333,13.700\r\n"
            "2460371.34028,12.393\r\n"
            "2460371.34722,14.453\r\n");
}

TEST_F(ShortExportTest, NoCurveOrNoRoiIsRefused) {
  series.curve.NumCurvePoints = 0;
  EXPECT_FALSE(ShortExport(series, fields));
  series.curve.NumCurvePoints = 3;
  win.ROIlist.clear();
  win.BVRIlist.clear();
  win.ROIindex = 0;
  EXPECT_FALSE(ShortExport(series, fields));
  EXPECT_EQ(ui.messages, (std::vector<std::string>{"Keine Lichtkurven vorhanden.",
                                                   "Keine Lichtkurven vorhanden."}));
  EXPECT_FALSE(std::filesystem::exists(fields.FilenameEdit));
}

TEST_F(ShortExportTest, RoiNumbersBeyondTheListAreRefused) {
  fields.ROIEdit1 = 3;
  EXPECT_FALSE(ShortExport(series, fields));
  fields.ROIEdit1 = 0;
  EXPECT_FALSE(ShortExport(series, fields));
  fields.ROIEdit1 = 1;
  fields.ROIEdit2 = 3;
  EXPECT_FALSE(ShortExport(series, fields));
  EXPECT_EQ(ui.messages, (std::vector<std::string>{"ROI Nr. 3 nicht vorhanden (ROIs: 2)",
                                                   "ROI Nr. 0 nicht vorhanden (ROIs: 2)",
                                                   "ROI Nr. 3 nicht vorhanden (ROIs: 2)"}));
  EXPECT_FALSE(std::filesystem::exists(fields.FilenameEdit));
}

TEST_F(ShortExportTest, EmptyFileNameStopsQuietly) {
  fields.FilenameEdit.clear();  // the save dialog was cancelled
  EXPECT_FALSE(ShortExport(series, fields));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ShortExportTest, FailedSaveSaysSoAndKeepsThePreviousFile) {
  // No room for the temporary file's longer name beside the target.
  fields.FilenameEdit = dir.file(std::string(246, 'x') + ".csv");
  test::writeBytes(fields.FilenameEdit, "previous\r\n");
  fields.DecimalGroup = 1;
  fields.DelimiterGroup = 1;
  EXPECT_FALSE(ShortExport(series, fields));
  EXPECT_EQ(ui.messages,
            std::vector<std::string>{"Fehler beim Speichern der Datei " + fields.FilenameEdit});
  EXPECT_EQ(written(), "previous\r\n");
  EXPECT_EQ(formatFixed(2.5, 1), "2.5");
}

}  // namespace
}  // namespace vargaze
