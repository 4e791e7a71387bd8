// The full export of all ROIs of the frame shown: exact file texts from the
// ROI window's state, the "S/N (error)" split, and every refusal of the save.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "export/FullExport.h"
#include "export/FullExportFormat.h"
#include "series/SeriesRig.h"

namespace vargaze {
namespace {

class FullExportTest : public ::testing::Test, public test::SeriesBench {
 protected:
  // What the ROI window shows for a frame with a comparison star and a target.
  void SetUp() override {
    win.ROIlist.resize(2);
    win.BVRIlist.resize(2);
    win.ROIindex = 2;
    TRoi1& comp = win.roi(1);
    comp.Name = "Comp A";
    comp.acounts = 32500;
    comp.bcounts = 2500;
    comp.amaxcounts = 30100;
    TRoi1& target = win.roi(2);
    target.Name = "V1 Cyg";
    target.acounts = 2400;
    target.bcounts = 2500;  // fainter than the sky: a negative net count
    target.amaxcounts = 150;
    win.FilePanel = "/data/m31.001.fit";
    win.JDPanel = "JD(middle)=2460371.33333";
    win.table1.setCell(1, 5, "11.200*");
    win.table1.setCell(1, 7, "165");
    win.table1.setCell(1, 8, "0.650");
    win.table1.setCell(1, 9, "11.200");
    win.table1.setCell(2, 5, "?");
    win.table1.setCell(2, 7, "85 (0.013)");
    fields.FilenameEdit = dir.file("frame.csv");
  }

  std::string written() { return test::readBytes(fields.FilenameEdit); }

  test::TempDir dir;
  FullExportFields fields;
};

TEST_F(FullExportTest, AllRoisOfTheFrameShown) {
  ASSERT_TRUE(FullExportSave(series, fields));
  EXPECT_EQ(written(),
            "Vargaze Ergebnisse /data/m31.001.fitJD(middle)=2460371.33333\r\n"
            "ROI,Name,Counts(star),Counts(background),Star-Background,Max.counts,Mag,Comp,"
            "B-V(Cat.),V(Cat.),R(Cat.)\r\n"
            "1,Comp A,32500,2500,30000,30100,11.200,comp,0.650,11.200,\r\n"
            "2,V1 Cyg,2400,2500,-100,150,?,,,,\r\n");
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(FullExportTest, DecimalCommaChangesTheNumberFieldsOnly) {
  fields.DelimiterGroup = 1;
  fields.DecimalGroup = 1;
  ASSERT_TRUE(FullExportSave(series, fields));
  EXPECT_EQ(written(),
            "Vargaze Ergebnisse /data/m31.001.fitJD(middle)=2460371.33333\r\n"
            "ROI;Name;Counts(star);Counts(background);Star-Background;Max.counts;Mag;Comp;"
            "B-V(Cat.);V(Cat.);R(Cat.)\r\n"
            "1;Comp A;32500;2500;30000;30100;11,200;comp;0,650;11,200;\r\n"
            "2;V1 Cyg;2400;2500;-100;150;?;;;;\r\n");
}

TEST_F(FullExportTest, WithoutRoisOnlyTheTwoTitleLines) {
  win.ROIlist.clear();
  win.BVRIlist.clear();
  win.ROIindex = 0;
  fields.DelimiterGroup = 2;
  ASSERT_TRUE(FullExportSave(series, fields));
  EXPECT_EQ(written(),
            "Vargaze Ergebnisse /data/m31.001.fitJD(middle)=2460371.33333\r\n"
            "ROI|Name|Counts(star)|Counts(background)|Star-Background|Max.counts|Mag|Comp|"
            "B-V(Cat.)|V(Cat.)|R(Cat.)\r\n");
}

TEST(FullExportSnrCell, SplitsSignalToNoiseAndError) {
  std::string snr;
  std::string error;
  splitSnrCell("85 (0.013)", snr, error);
  EXPECT_EQ(snr, "85");
  EXPECT_EQ(error, "0.013");
  splitSnrCell("165", snr, error);
  EXPECT_EQ(snr, "165");
  EXPECT_EQ(error, "");
  splitSnrCell("(0.0125)", snr, error);  // five characters at most
  EXPECT_EQ(snr, "");
  EXPECT_EQ(error, "0.012");
}

TEST(FullExportChoices, DelimiterAndDecimalItems) {
  EXPECT_EQ(exportfmt::delimiterItemFor(','), 0);
  EXPECT_EQ(exportfmt::delimiterItemFor(';'), 1);
  EXPECT_EQ(exportfmt::delimiterItemFor('|'), 2);
  EXPECT_EQ(exportfmt::delimiterItemFor('\t'), -1);
  EXPECT_EQ(exportfmt::decimalItemFor('.'), 0);
  EXPECT_EQ(exportfmt::decimalItemFor(','), 1);
  EXPECT_EQ(exportfmt::decimalItemFor(';'), -1);
}

TEST_F(FullExportTest, ChoiceOutsideTheRadioGroupEndsTheCommand) {
  fields.DelimiterGroup = 3;
  EXPECT_THROW(FullExportSave(series, fields), RangeError);
  EXPECT_FALSE(std::filesystem::exists(fields.FilenameEdit));
}

TEST_F(FullExportTest, EmptyFileNameIsRefused) {
  fields.FilenameEdit.clear();
  EXPECT_FALSE(FullExportSave(series, fields));
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Bitte Dateiname ausfüllen"});
}

TEST_F(FullExportTest, RoiNumberBeyondTheListIsRefused) {
  fields.ROInumEdit = 3;
  EXPECT_FALSE(FullExportSave(series, fields));
  EXPECT_EQ(ui.messages, std::vector<std::string>{"ROI Nr. 3 nicht vorhanden (ROIs: 2)"});
  EXPECT_FALSE(std::filesystem::exists(fields.FilenameEdit));
}

TEST_F(FullExportTest, CommaAsDecimalAndFieldSeparatorIsRefused) {
  fields.DecimalGroup = 1;
  EXPECT_FALSE(FullExportSave(series, fields));
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Feld-Trennzeichen darf nicht Komma sein!"});
  EXPECT_FALSE(std::filesystem::exists(fields.FilenameEdit));
}

TEST_F(FullExportTest, FieldHoldingTheDelimiterIsRefusedNamingTheCell) {
  test::writeBytes(fields.FilenameEdit, "previous export\r\n");
  win.roi(2).Name = "V1;Cyg";
  fields.DelimiterGroup = 1;
  EXPECT_FALSE(FullExportSave(series, fields));
  EXPECT_EQ(ui.messages, std::vector<std::string>{
                             "Feld \"Name\" in Zeile 4 enthält das Feld-Trennzeichen \";\": "
                             "\"V1;Cyg\". Nicht gespeichert."});
  EXPECT_EQ(written(), "previous export\r\n");
  // The same name is harmless with another delimiter.
  fields.DelimiterGroup = 0;
  EXPECT_TRUE(FullExportSave(series, fields));
}

TEST_F(FullExportTest, FailedSaveSaysSoAndKeepsThePreviousFile) {
  // The name leaves no room for the temporary file beside it (255 bytes at
  // most), so the save fails even for a user who may write everywhere.
  fields.FilenameEdit = dir.file(std::string(246, 'x') + ".csv");
  test::writeBytes(fields.FilenameEdit, "previous export\r\n");
  EXPECT_FALSE(FullExportSave(series, fields));
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Fehler"});
  EXPECT_EQ(written(), "previous export\r\n");
}

}  // namespace
}  // namespace vargaze
