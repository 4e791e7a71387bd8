// The full export of all ROIs of the frame shown: exact file texts from the
// ROI window's state and the refusals of the save.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "export/FullExport.h"
#include "support/SeriesRig.h"

namespace vargaze {
namespace {

class FullExportTest : public ::testing::Test, public test::SeriesBench {
 protected:
  // What the ROI window shows for a frame with a comparison star and a target.
  void SetUp() override {
    win.ROIlist.resize(2);
    win.BVRIlist.resize(2);
    win.ROIindex = 2;
    win.roi(1).Name = "Comp A";
    win.roi(1).acounts = 32500;
    win.roi(1).bcounts = 2500;
    win.roi(1).amaxcounts = 30100;
    win.roi(2).Name = "V1 Cyg";
    win.roi(2).acounts = 2400;
    win.roi(2).bcounts = 2500;  // fainter than the sky: a negative net count
    win.roi(2).amaxcounts = 150;
    win.FilePanel = "/data/m31.001.fit";
    win.JDPanel = "JD(middle)=2460371.33333";
    win.table1.setCell(1, 5, "11.200*");
    win.table1.setCell(1, 8, "0.650");
    win.table1.setCell(1, 9, "11.200");
    win.table1.setCell(2, 5, "?");
    fields.FilenameEdit = dir.file("frame.csv");
  }

  std::string written() { return test::readBytes(fields.FilenameEdit); }

  test::TempDir dir;
  FullExportFields fields;
};

const std::string kHeading = "Vargaze Ergebnisse /data/m31.001.fitJD(middle)=2460371.33333\r\n";

TEST_F(FullExportTest, AllRoisOfTheFrameShown) {
  ASSERT_TRUE(FullExportSave(series, fields));
  EXPECT_EQ(written(), kHeading +
                           "ROI,Name,Counts(star),Counts(background),Star-Background,Max.counts,"
                           "Mag,Comp,B-V(Cat.),V(Cat.),R(Cat.)\r\n"
                           "1,Comp A,32500,2500,30000,30100,11.200,comp,0.650,11.200,\r\n"
                           "2,V1 Cyg,2400,2500,-100,150,?,,,,\r\n");
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(FullExportTest, DecimalCommaChangesTheNumberFieldsOnly) {
  fields.DelimiterGroup = 1;
  fields.DecimalGroup = 1;
  ASSERT_TRUE(FullExportSave(series, fields));
  EXPECT_EQ(written(), kHeading +
                           "ROI;Name;Counts(star);Counts(background);Star-Background;Max.counts;"
                           "Mag;Comp;B-V(Cat.);V(Cat.);R(Cat.)\r\n"
                           "1;Comp A;32500;2500;30000;30100;11,200;comp;0,650;11,200;\r\n"
                           "2;V1 Cyg;2400;2500;-100;150;?;;;;\r\n");
}

TEST_F(FullExportTest, WithoutRoisOnlyTheTwoTitleLines) {
  win.ROIlist.clear();
  win.BVRIlist.clear();
  fields.DelimiterGroup = 2;
  ASSERT_TRUE(FullExportSave(series, fields));
  EXPECT_EQ(written(), kHeading +
                           "ROI|Name|Counts(star)|Counts(background)|Star-Background|Max.counts|"
                           "Mag|Comp|B-V(Cat.)|V(Cat.)|R(Cat.)\r\n");
}

TEST_F(FullExportTest, RefusalsWriteNothing) {
  FullExportFields noName = fields;
  noName.FilenameEdit.clear();
  EXPECT_FALSE(FullExportSave(series, noName));
  FullExportFields commas = fields;
  commas.DecimalGroup = 1;  // with the comma as delimiter
  EXPECT_FALSE(FullExportSave(series, commas));
  EXPECT_EQ(ui.messages, (std::vector<std::string>{"Bitte Dateiname ausfüllen",
                                                   "Feld-Trennzeichen darf nicht Komma sein!"}));
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
}

TEST_F(FullExportTest, FailedSaveSaysSoAndKeepsThePreviousFile) {
  // The name leaves no room for the temporary file's longer name beside it
  // (255 bytes at most), so the save fails even for root.
  fields.FilenameEdit = dir.file(std::string(246, 'x') + ".csv");
  test::writeBytes(fields.FilenameEdit, "previous export\r\n");
  EXPECT_FALSE(FullExportSave(series, fields));
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Fehler"});
  EXPECT_EQ(written(), "previous export\r\n");
}

}  // namespace
}  // namespace vargaze
