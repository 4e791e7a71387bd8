// The full export: one ROI over the series (every frame loaded and measured)
// or every ROI of the frame shown; refusals and failed saves.
#include <gtest/gtest.h>

#include <filesystem>

#include "ExportRig.h"
#include "export/FullExport.h"

namespace vargaze {
namespace {

struct FullRig : test::ExportRig {
  // RR Lyr of net 3000, 10000 and 1500 at airmass 1.234, 1.5 and 2.
  bool openThree() {
    return open({{.minutes = 0},
                 {.minutes = 10, .variable = 10000, .airmass = "1.5"},
                 {.minutes = 20, .variable = 1500, .airmass = "2.0"}});
  }
  std::string written() { return test::readBytes(dir.file("full.csv")); }
};
class FullExport : public ::testing::Test, public FullRig {};

TEST(FullExportSeries, OneLinePerFrameForTheChosenRoi) {
  // Mag 11.2 + 2.5 log10(20000 / net); S/N and error as in the AAVSO export (C1: S/N 132).
  const char* target[] = {";5500;2500;3000;3100;13.260;39;0.029;1.23",
                          ";12500;2500;10000;10100;11.953;88;0.015;1.50",
                          ";4000;2500;1500;1600;14.012;23;0.048;2.00"};
  const char* airmass[] = {"1,23", "1,50", "2,00"};
  const struct {
    const char* what;
    std::int32_t roi;
    int broken, stopAt;  // 0-based frame whose file is gone, event round of STOP; -1 none
    std::vector<int> written;
  } cases[] = {{"every frame", 2, -1, -1, {0, 1, 2}},
               {"frame 2 fails to load", 2, 1, -1, {0, 2}},
               {"stop while frame 2 is shown", 2, -1, 2, {0}},
               {"comparison star, decimal comma and pipes", 1, -1, -1, {0, 1, 2}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FullRig rig;
    ASSERT_TRUE(rig.openThree());
    if (c.broken >= 0) std::filesystem::remove(rig.files[static_cast<std::size_t>(c.broken)]);
    if (c.stopAt >= 0) rig.ui.cancelAfterEvents = rig.ui.eventsProcessed + c.stopAt;
    const bool comp = c.roi == 1;
    ASSERT_TRUE(FullExportSave(rig.series, {rig.dir.file("full.csv"), c.roi, comp ? 2 : 1, comp ? 1 : 0}));
    std::string expected = std::string("Vargaze Ergebnisse f\xFCr ROI") +
                           (comp ? "1 C1\r\nJD|Filename|Counts(star)|Counts(background)|"
                                   "Star-Background|Max.counts|Mag|SNR|error|Airmass\r\n"
                                 : "2 RR Lyr\r\nJD;Filename;Counts(star);Counts(background);"
                                   "Star-Background;Max.counts;Mag;SNR;error;Airmass\r\n");
    for (const int i : c.written) {
      const std::string& file = rig.files[static_cast<std::size_t>(i)];
      expected += comp ? test::jd(600 * i, ',') + "|" + file +
                             "|22500|2500|20000|20100|11,200*|132||" + airmass[i] + "\r\n"
                       : test::jd(600 * i) + ";" + file + target[i] + "\r\n";
    }
    EXPECT_EQ(rig.written(), expected);
    EXPECT_EQ(rig.ui.messages, c.broken < 0 ? std::vector<std::string>{}
                                            : std::vector<std::string>{
                                                  "Fehler beim Laden der Datei " + rig.files[1]});
    EXPECT_EQ(rig.flags.Activeframe, c.stopAt < 0 ? 3 : c.stopAt);  // stays on display
    EXPECT_FALSE(rig.series.runActive);
    EXPECT_TRUE(rig.series.Timer1Enabled);
  }
}

TEST_F(FullExport, RefusalsComeBeforeAnyFrameIsLoaded) {
  const struct {
    FullExportFields fields;
    const char* message;
  } cases[] = {{{"", 2, 0, 0}, "Bitte Dateiname ausfüllen"},
               {{"full.csv", 2, 0, 1}, "Feld-Trennzeichen darf nicht Komma sein!"},
               {{"full.csv", 4, 1, 0}, "ROI Nr. 4 nicht vorhanden (ROIs: 3)"},
               {{"full.csv", -1, 1, 0}, "ROI Nr. -1 nicht vorhanden (ROIs: 3)"}};
  ASSERT_TRUE(openThree());
  ASSERT_TRUE(series.BlinkScrollBarChange(2));
  for (auto c : cases) {
    SCOPED_TRACE(c.message);
    ui.messages.clear();
    if (!c.fields.FilenameEdit.empty()) c.fields.FilenameEdit = dir.file("full.csv");
    EXPECT_FALSE(FullExportSave(series, c.fields));
    EXPECT_EQ(ui.messages, std::vector<std::string>{c.message});
    EXPECT_EQ(flags.Activeframe, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.file("full.csv")));
  }
}

TEST_F(FullExport, AllRoisOfTheFrameShownWithTheDecimalCommaInNumberFieldsOnly) {
  ASSERT_TRUE(open({{}}));
  const std::string heading = "Vargaze Ergebnisse " + files[0] + "JD(begin)=" + test::jd(0);
  ASSERT_TRUE(FullExportSave(series, {dir.file("full.csv"), 0, 0, 0}));
  // C1 shows B-V 11.8 - 11.2 and V; the check star's catalogue values are not shown.
  EXPECT_EQ(written(), heading + "\r\nROI,Name,Counts(star),Counts(background),Star-Background,"
                                 "Max.counts,Mag,Comp,B-V(Cat.),V(Cat.),R(Cat.)\r\n"
                                 "1,C1,22500,2500,20000,20100,11.200,comp,0.600,11.200,\r\n"
                                 "2,RR Lyr,5500,2500,3000,3100,13.260,,,,\r\n"
                                 "3,K1,7500,2500,5000,5100,12.705,,,,\r\n");
  win.roi(2).Name = "RR Lyr.2";
  ASSERT_TRUE(FullExportSave(series, {dir.file("full.csv"), 0, 1, 1}));
  EXPECT_EQ(written(), heading + "\r\nROI;Name;Counts(star);Counts(background);Star-Background;"
                                 "Max.counts;Mag;Comp;B-V(Cat.);V(Cat.);R(Cat.)\r\n"
                                 "1;C1;22500;2500;20000;20100;11,200;comp;0,600;11,200;\r\n"
                                 "2;RR Lyr.2;5500;2500;3000;3100;13,260;;;;\r\n"
                                 "3;K1;7500;2500;5000;5100;12,705;;;;\r\n");
  EXPECT_TRUE(ui.messages.empty());

  win.roi(2).Name = "RR;Lyr";  // unquoted, it would shift the columns after it
  EXPECT_FALSE(FullExportSave(series, {dir.file("full.csv"), 0, 1, 0}));
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Feld \"Name\" in Zeile 4 enthält das "
                                                  "Feld-Trennzeichen \";\": \"RR;Lyr\". Nicht "
                                                  "gespeichert."});
  EXPECT_NE(written().find("RR Lyr.2"), std::string::npos);  // the previous file stays
}

TEST_F(FullExport, SaveFailuresAreReportedAndKeepThePreviousFile) {
  ASSERT_TRUE(open({{}}));
  const auto saveAs = save([this](const std::string& path) {
    return FullExportSave(series, FullExportFields{path});
  });
  test::expectMissingFolderReported(dir, "full.csv", saveAs);
  test::expectFolderTargetReported(dir, "full.csv", saveAs);
  ASSERT_TRUE(FullExportSave(series, FullExportFields{dir.file("full.csv")}));
  EXPECT_EQ(test::expectFullDiskKeepsFile(dir.file("full.csv"), 100, saveAs), "Fehler");
}

}  // namespace
}  // namespace vargaze
