// The AAVSO/BAV export window: the fill over a series, the saved file and its
// refusals and failures.
#include <gtest/gtest.h>

#include "ExportRig.h"

namespace vargaze {
namespace {

class AavsoExport : public ::testing::Test, public test::ExportRig {};

TEST_F(AavsoExport, FilledTableSavedWithTheChosenDelimiter) {
  ASSERT_TRUE(openWindow({{.minutes = 0}, {.minutes = 10, .variable = 10000, .airmass = "2"}}));
  ASSERT_EQ(form.FillButtonClick(), FillResult::Completed);
  EXPECT_TRUE(form.timesAtExposureStart);
  EXPECT_FALSE(form.TransformButtonEnabled);  // V only
  EXPECT_FALSE(form.TableCleared);
  EXPECT_FALSE(form.StopButtonVisible);
  form.DelimiterGroupClick(delimiterIndexOf(';'));
  const std::string file = dir.file("night.csv");
  ASSERT_TRUE(form.SaveButtonClick(file));
  // Mag 11.2 + 2.5 log10(20000 / net); S/N = net / sqrt(2500/176 (1 + 25/176) 25 + 2500 + net)
  // (box 25 pixels, ring 176) is 39 and 88, 132 for C1; error 1.086 sqrt(1/SN^2 +
  // (1.0857/132)^2) with the S/N as shown; -2.5 log10(20000/60), -2.5 log10(5000/60).
  EXPECT_EQ(test::readBytes(file),
            "#TYPE=EXTENDED\r\n#DELIM=;\r\n#BAVOBS=MUS\r\n#OBSCODE=XMU\r\n#OBSTYPE=CCD\r\n"
            "#DATE=JD\r\n#SOFTWARE=VARGAZE V.3.9.9\r\n#BAVCAT=\r\n#Var name;JD date;mag;error;"
            "Filter;Htrans;Htype;Cname;Cmag;Kname;Kmag;Airmass;Group;Chart;Comment\r\n"
            "RR Lyr;" + test::jd(0) + ";13.260;0.029;V;NO;STD;C1;-6.307;K1;-4.802;1.23;na;"
            "X12345AB;na\r\n"
            "RR Lyr;" + test::jd(600) + ";11.953;0.015;V;NO;STD;C1;-6.307;K1;-4.802;2.00;na;"
            "X12345AB;na\r\n");
  EXPECT_TRUE(ui.messages.empty());

  // Cleared, the table is one empty row; the delimiter chosen applies on saving.
  form.TableReset();
  form.DelimiterIndex = 2;
  ASSERT_TRUE(form.SaveButtonClick(file));
  const std::string text = test::readBytes(file);
  EXPECT_NE(text.find("\r\n#DELIM=|\r\n"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 18), "\r\n||||||||||||||\r\n");
}

TEST(AavsoFill, TimesAndComparisonMagnitudes) {
  const struct {
    const char* what;
    double exposure;
    bool middle;  // mid-exposure times, standardized magnitudes
    const char* jdCorr;
    double seconds;  // after 20:00
    const char* cmag;
    const char* kmag;
  } cases[] = {
      // -2.5 log10(20000) and -2.5 log10(5000): no division by zero.
      {"zero exposure counts as one second", 0, false, "0.0", 0, "-10.753", "-9.247"},
      // Catalogue 11.2 up to the "*" of the Mag cell; 11.2 + 2.5 log10(20000/5000).
      {"mid-exposure, standardized", 60, true, "0.0", 30, "11.200", "12.705"},
      {"JD correction back to the start", 60, true, "-30", 0, "11.200", "12.705"},
      {"JD correction of 0.0005 days", 60, true, "43.2", 73.2, "11.200", "12.705"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::ExportRig rig;
    rig.settings.MiddletimeCorrection = c.middle;
    rig.settings.JDprecision = 7;  // the JD text is cut to 13 characters
    ASSERT_TRUE(rig.openWindow({{.exposure = c.exposure}}));
    if (c.middle) rig.form.Comp_check_mags = CompCheckMags::Standardized;
    rig.form.JDcorrEdit = c.jdCorr;
    ASSERT_EQ(rig.form.FillButtonClick(), FillResult::Completed);
    EXPECT_EQ(rig.form.rows[0][1], test::jd(c.seconds));
    EXPECT_EQ(rig.form.rows[0][8] + " " + rig.form.rows[0][10], c.cmag + std::string(" ") + c.kmag);
    EXPECT_EQ(rig.form.timesAtExposureStart, !c.middle);
  }
}

TEST(AavsoFill, RefusedFields) {
  const struct {
    const char* jdCorr;
    std::int32_t var, check;
    bool ensemble;  // the spare star joins the comparison as ROI 4
    const char* message;
  } cases[] = {
      {"1,5", 2, 3, false, "JD corr. in sec inkorrekt!"},
      {"0.0", 0, 3, false, "ROI Nr. (Variabler) nicht vorhanden!"},
      {"0.0", 2, 4, false, "ROI Nr. (Kontrollstern) nicht vorhanden!"},
      {"0.0", 2, 1, false, "Kontrollstern = Vergleichsstern!"},
      {"0.0", 2, 4, true, "Kontrollstern = Vergleichsstern!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.var << "/" << c.check << " " << c.message);
    test::ExportRig rig;
    ASSERT_TRUE(rig.openWindow({{}}));
    ASSERT_EQ(rig.form.FillButtonClick(), FillResult::Completed);
    const auto filled = rig.form.rows;
    if (c.ensemble) rig.addRoi(20, 60, "C2", 10.7f, true);
    rig.form.JDcorrEdit = c.jdCorr;
    rig.form.ROIEdit1 = c.var;
    rig.form.ROIEdit2 = c.check;
    EXPECT_EQ(rig.form.FillButtonClick(), FillResult::Refused);
    EXPECT_EQ(rig.ui.messages, std::vector<std::string>{c.message});
    // A check star that checks nothing clears the table.
    const bool cleared = c.var == 2 && (c.check == 1 || c.ensemble);
    EXPECT_EQ(rig.form.rows, cleared ? std::vector<AavsoRow>(1) : filled);
    EXPECT_EQ(rig.form.TableCleared, cleared);
  }
}

TEST_F(AavsoExport, VAndBRowsEnableTheTransformationUnlessEnsemble) {
  ASSERT_TRUE(openWindow({{.minutes = 0}, {.minutes = 10, .filter = "B"}}));
  ASSERT_EQ(form.FillButtonClick(), FillResult::Completed);
  EXPECT_EQ(form.rows[1][4], "B");
  EXPECT_TRUE(form.TransformButtonEnabled);
  addRoi(20, 60, "C2", 10.7f, true);
  ASSERT_EQ(form.FillButtonClick(), FillResult::Completed);
  for (const AavsoRow& row : form.rows) EXPECT_EQ(row[7] + " " + row[8], "ENSEMBLE na");
  EXPECT_FALSE(form.TransformButtonEnabled);
}

TEST_F(AavsoExport, FrameThatFailsHasNoRowAndStopKeepsTheRowsFilled) {
  std::vector<test::Frame> frames(13);
  for (int i = 0; i < 13; ++i) frames[static_cast<std::size_t>(i)].minutes = i;
  ASSERT_TRUE(openWindow(frames));
  test::writeBytes(files[1], "not a frame");
  ASSERT_EQ(form.FillButtonClick(), FillResult::Completed);
  ASSERT_EQ(form.rows.size(), 12u);
  EXPECT_EQ(form.rows[1][1], test::jd(120));  // frame 3, not frame 1's values again
  EXPECT_EQ(form.TopRow, 2);                  // the last ten rows in view
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Fehler beim Laden der Datei " + files[1]});

  form.TableReset();
  bool stopShown = false;
  ui.onEvents = [&] { stopShown = stopShown || form.StopButtonVisible; };
  ui.cancelAfterEvents = ui.eventsProcessed + 4;  // STOP while frame 4 is shown
  EXPECT_EQ(form.FillButtonClick(), FillResult::Stopped);
  EXPECT_TRUE(stopShown);
  EXPECT_FALSE(form.StopButtonVisible);
  ASSERT_EQ(form.rows.size(), 2u);
  EXPECT_EQ(form.rows[1][1], test::jd(120));
  EXPECT_TRUE(form.TableCleared);  // a stopped fill keeps it
  EXPECT_FALSE(series.runActive);
}

TEST_F(AavsoExport, CellHoldingTheDelimiterIsRefusedAndTheOldFileStays) {
  const std::string file = dir.file("night.csv");
  test::writeBytes(file, "previous export\r\n");
  form.rows.assign(2, AavsoRow{});
  form.rows[1][7] = "C1, 000-BBC-123";
  EXPECT_FALSE(form.SaveButtonClick(file));
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Feld \"Cname\" in Zeile 2 enthält das "
                                                  "Trennzeichen \",\" - Datei nicht gespeichert."});
  EXPECT_EQ(test::readBytes(file), "previous export\r\n");
  form.DelimiterGroupClick(1);  // harmless with the semicolon
  EXPECT_TRUE(form.SaveButtonClick(file));
  EXPECT_NE(test::readBytes(file).find(";C1, 000-BBC-123;"), std::string::npos);
}

TEST_F(AavsoExport, SaveFailuresAreReportedAndKeepThePreviousReport) {
  const auto saveAs = save([this](const std::string& path) { return form.SaveButtonClick(path); });
  test::expectMissingFolderReported(dir, "night.csv", saveAs);
  test::expectFolderTargetReported(dir, "night.csv", saveAs);
  const std::string path = dir.file("night.csv");
  ASSERT_TRUE(form.SaveButtonClick(path));
  form.rows.assign(2000, AavsoRow{});  // 32 kB
  const std::string message = test::expectFullDiskKeepsFile(path, 8192, saveAs);
  EXPECT_EQ(message.rfind("Fehler beim Speichern der Datei " + path + "\n", 0), 0u) << message;
  EXPECT_NE(message.find("File too large"), std::string::npos) << message;
}

TEST_F(AavsoExport, ProposedNameFollowsTheProject) {
  EXPECT_EQ(form.proposedFileName(), "");
  series.ProjectFilename = "/data/v.1/night.vgp";
  EXPECT_EQ(form.proposedFileName(), "/data/v.1/night.csv");
  series.ProjectFilename = "/data/v.1/night";
  EXPECT_EQ(form.proposedFileName(), "/data/v.1/night.csv");
}

}  // namespace
}  // namespace vargaze
