// The short export from the curve arrays: exact lines for the field choices,
// the decimal comma on the written texts only, refusals and failed saves.
#include <gtest/gtest.h>

#include <locale>

#include "ExportRig.h"
#include "base/Numbers.h"
#include "export/ShortExport.h"

namespace vargaze {
namespace {

class ShortExportTest : public ::testing::Test, public test::ExportRig {
 protected:
  // A measured curve of three frames ten minutes apart; ROI 1 the comparison star.
  void SetUp() override {
    settings.JDCurveoffset = 2460000.5;
    series.filelist1 = {dir.file("a.fit"), dir.file("b.fit"), dir.file("c.fit")};
    win.ROIlist.resize(2);
    win.BVRIlist.resize(2);
    win.ROIindex = 2;
    const float target[] = {13.7f, 12.393f, 14.4526f}, airmass[] = {1.234f, 1.5f, 2.0f};
    for (std::size_t i = 0; i < 3; ++i) {
      series.curve.setFrame(i, test::jdOf(600.0 * static_cast<double>(i)) - 2460000.5, airmass[i], {11.2f, target[i]});
    }
    series.curve.NumCurvePoints = 3;
    fields.FilenameEdit = dir.file("short.csv");
    fields.ROIEdit1 = 2;
  }

  ShortExportFields fields;
};

TEST_F(ShortExportTest, LinesForTheFieldChoices) {
  const std::string localeBefore = std::locale().name();
  const std::string first = test::jd(0) + ",13.700\r\n" + test::jd(600) + ",12.393\r\n";
  const struct {
    const char* what;
    std::int32_t roi2;
    bool airmass;
    std::int32_t decimal, delimiter, points;
    std::size_t frames;
    std::string expected;
  } cases[] = {
      {"Julian Date and one magnitude", 0, false, 0, 0, 3, 3, first + test::jd(1200) + ",14.453\r\n"},
      {"decimal comma, second ROI and airmass", 1, true, 1, 1, 3, 3,
       test::jd(0, ',') + ";13,700;11,200;1,23\r\n" + test::jd(600, ',') + ";12,393;11,200;1,50\r\n" +
           test::jd(1200, ',') + ";14,453;11,200;2,00\r\n"},
      {"only the frames of the last run", 0, false, 0, 0, 2, 3, first},
      {"only the frames of the series", 0, false, 0, 0, 3, 2, first},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fields.ROIEdit2 = c.roi2;
    fields.AirmassCheck = c.airmass;
    fields.DecimalGroup = c.decimal;
    fields.DelimiterGroup = c.delimiter;
    series.curve.NumCurvePoints = c.points;
    series.filelist1.resize(c.frames, dir.file("c.fit"));
    ASSERT_TRUE(ShortExport(series, fields));
    EXPECT_EQ(test::readBytes(fields.FilenameEdit), c.expected);
  }
  // Numbers everywhere else keep the point.
  EXPECT_EQ(formatFixed(2.5, 1), "2.5");
  EXPECT_EQ(std::locale().name(), localeBefore);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ShortExportTest, RefusalsWriteNothing) {
  test::writeBytes(fields.FilenameEdit, "previous\r\n");
  const struct {
    std::int32_t roi1, roi2, decimal, points;
    const char* message;
  } cases[] = {{3, 0, 0, 3, "ROI Nr. 3 nicht vorhanden (ROIs: 2)"},
               {0, 0, 0, 3, "ROI Nr. 0 nicht vorhanden (ROIs: 2)"},
               {1, 3, 0, 3, "ROI Nr. 3 nicht vorhanden (ROIs: 2)"},
               {2, 0, 1, 3, "Feld-Trennzeichen darf nicht Komma sein!"},  // with the comma
               {2, 0, 0, 0, "Keine Lichtkurven vorhanden."}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    ui.messages.clear();
    fields.ROIEdit1 = c.roi1;
    fields.ROIEdit2 = c.roi2;
    fields.DecimalGroup = c.decimal;
    series.curve.NumCurvePoints = c.points;
    EXPECT_FALSE(ShortExport(series, fields));
    EXPECT_EQ(ui.messages, std::vector<std::string>{c.message});
    EXPECT_EQ(test::readBytes(fields.FilenameEdit), "previous\r\n");
  }
  // The window's click moves the delimiter off the comma.
  fields.DecimalGroup = 1;
  ui.messages.clear();
  ShortExportDecimalGroupClick(fields, ui);
  EXPECT_EQ(fields.DelimiterGroup, 1);
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Feld-Trennzeichen darf nicht Komma sein!"});
}

TEST_F(ShortExportTest, SaveFailuresAreReportedAndKeepThePreviousFile) {
  const auto saveAs = save([this](const std::string& path) {
    fields.FilenameEdit = path;
    return ShortExport(series, fields);
  });
  test::expectMissingFolderReported(dir, "short.csv", saveAs);
  test::expectFolderTargetReported(dir, "short.csv", saveAs);
  const std::string path = dir.file("short.csv");
  fields.FilenameEdit = path;
  ASSERT_TRUE(ShortExport(series, fields));
  // The new export has more frames; the disk is full after its first line.
  for (std::size_t i = 3; i < 400; ++i) {
    series.filelist1.push_back(dir.file("x.fit"));
    series.curve.setFrame(i, 371.4, 1.5f, {11.2f, 13.5f});
  }
  series.curve.NumCurvePoints = 400;
  EXPECT_EQ(test::expectFullDiskKeepsFile(path, 40, saveAs), "Fehler beim Speichern der Datei " + path);
}

}  // namespace
}  // namespace vargaze
