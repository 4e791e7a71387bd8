// Saving the export table: the exact file text, the delimiter line, cells
// holding the delimiter, and targets that cannot be written.
#include <gtest/gtest.h>

#include <filesystem>

#include "export/AavsoExport.h"
#include "support/SeriesRig.h"

namespace vargaze {
namespace {

class AavsoSave : public ::testing::Test, public test::SeriesBench {
 protected:
  AavsoSave() {
    settings.OBSCODE = "XMU";
    settings.BAVOBS = "MUS";
  }

  test::TempDir home;
  test::TempDir out;
  ExportForm2 form{series, home.path().string()};
};

const AavsoRow kRow = {"RR Lyr", "2460371.33333", "13.260", "0.029", "V",  "NO", "STD", "C1",
                       "-6.307", "K1",            "-4.802", "1.23",  "na", "X12345AB", "na"};

TEST_F(AavsoSave, HeaderTitleLineAndRowsJoinedByTheDelimiter) {
  form.FormShow();
  form.rows = {kRow, kRow};
  form.rows[1][1] = "2460371.34028";
  form.DelimiterGroupClick(delimiterIndexOf(';'));
  EXPECT_EQ(delimiterIndexOf('#'), -1);
  const std::string file = out.file("night.csv");
  ASSERT_TRUE(form.SaveButtonClick(file));
  EXPECT_EQ(test::readBytes(file),
            "#TYPE=EXTENDED\r\n"
            "#DELIM=;\r\n"
            "#BAVOBS=MUS\r\n"
            "#OBSCODE=XMU\r\n"
            "#OBSTYPE=CCD\r\n"
            "#DATE=JD\r\n"
            "#SOFTWARE=VARGAZE V.3.9.9\r\n"
            "#BAVCAT=\r\n"
            "#Var name;JD date;mag;error;Filter;Htrans;Htype;Cname;Cmag;Kname;Kmag;Airmass;Group;"
            "Chart;Comment\r\n"
            "RR Lyr;2460371.33333;13.260;0.029;V;NO;STD;C1;-6.307;K1;-4.802;1.23;na;X12345AB;na\r\n"
            "RR Lyr;2460371.34028;13.260;0.029;V;NO;STD;C1;-6.307;K1;-4.802;1.23;na;X12345AB;na\r\n");
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(AavsoSave, ClearedTableSavesOneLineOfFourteenDelimiters) {
  form.rows = {kRow};
  form.TableReset();
  form.DelimiterIndex = 2;  // the selection applies on saving
  const std::string file = out.file("empty.csv");
  ASSERT_TRUE(form.SaveButtonClick(file));
  const std::string text = test::readBytes(file);
  EXPECT_NE(text.find("#TYPE=EXTENDED\r\n#DELIM=|\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\n#Var name|JD date|"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 18), "\r\n||||||||||||||\r\n");
}

TEST_F(AavsoSave, EmptyHeaderGetsOnlyTheDelimiterLine) {
  form.ExportHeader.clear();
  form.rows = {kRow};
  const std::string file = out.file("bare.csv");
  ASSERT_TRUE(form.SaveButtonClick(file));
  EXPECT_EQ(test::readBytes(file).substr(0, 20), "#DELIM=,\r\n#Var name,");
}

TEST_F(AavsoSave, CellHoldingTheDelimiterIsRefusedNamingItAndTheOldFileStays) {
  const std::string file = out.file("night.csv");
  test::writeBytes(file, "previous export\r\n");
  form.rows = {kRow, kRow};
  form.rows[1][7] = "C1, 000-BBC-123";
  EXPECT_FALSE(form.SaveButtonClick(file));
  EXPECT_EQ(ui.messages, std::vector<std::string>{
                             "Feld \"Cname\" in Zeile 2 enthält das Trennzeichen \",\" - Datei "
                             "nicht gespeichert."});
  EXPECT_EQ(test::readBytes(file), "previous export\r\n");

  form.DelimiterGroupClick(1);  // the comma is harmless with the semicolon
  EXPECT_TRUE(form.SaveButtonClick(file));
  EXPECT_NE(test::readBytes(file).find(";C1, 000-BBC-123;"), std::string::npos);
}

TEST_F(AavsoSave, TargetThatCannotBeCreatedIsReportedAndNothingIsLeft) {
  form.rows = {kRow};
  const std::string file = out.file("missing-folder/night.csv");
  EXPECT_FALSE(form.SaveButtonClick(file));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].rfind("Fehler beim Speichern der Datei " + file, 0), 0u);
  EXPECT_TRUE(std::filesystem::is_empty(out.path()));
}

TEST_F(AavsoSave, ProposedNameFollowsTheProject) {
  EXPECT_EQ(form.proposedFileName(), "");
  series.ProjectFilename = "/data/v.1/night.vgp";
  EXPECT_EQ(form.proposedFileName(), "/data/v.1/night.csv");
  series.ProjectFilename = "/data/v.1/night";
  EXPECT_EQ(form.proposedFileName(), "/data/v.1/night.csv");
}

}  // namespace
}  // namespace vargaze
