// The full export (one ROI over the series, or every ROI of the frame shown)
// and the short export of the light curve: exact files, refusals, and saves
// that fail.
#include <gtest/gtest.h>

#include <filesystem>
#include <locale>

#include "ExportRig.h"
#include "base/Numbers.h"
#include "export/FullExport.h"
#include "export/ShortExport.h"
#include "series/LightCurveRun.h"

namespace vargaze {
namespace {

class ResultExports : public ::testing::Test, public test::ExportRig {
 protected:
  // RR Lyr of net 3000, 10000 and 1500 at airmass 1.234, 1.5 and 2.
  bool openThree() {
    return open({{}, {.minutes = 10, .variable = 10000, .airmass = "1.5"},
                 {.minutes = 20, .variable = 1500, .airmass = "2.0"}});
  }
  std::string written() { return test::readBytes(dir.file("out.csv")); }
  FullExportFields full(std::int32_t roi, std::int32_t delimiter, std::int32_t decimal) {
    return {dir.file("out.csv"), roi, delimiter, decimal};
  }
};

TEST_F(ResultExports, FullExportOfOneRoiOverTheSeries) {
  ASSERT_TRUE(openThree());
  // Mag 11.2 + 2.5 log10(20000 / net); S/N and error as in the AAVSO export (C1: S/N 132).
  const char* target[] = {";5500;2500;3000;3100;13.260;39;0.029;1.23",
                          ";12500;2500;10000;10100;11.953;88;0.015;1.50",
                          ";4000;2500;1500;1600;14.012;23;0.048;2.00"};
  const auto line = [&](int i) { return test::jd(600 * i) + ";" + files[i] + target[i] + "\r\n"; };
  const std::string head = "Vargaze Ergebnisse f\xFCr ROI2 RR Lyr\r\nJD;Filename;Counts(star);"
                           "Counts(background);Star-Background;Max.counts;Mag;SNR;error;"
                           "Airmass\r\n";
  ASSERT_TRUE(FullExportSave(series, full(2, 1, 0)));
  EXPECT_EQ(written(), head + line(0) + line(1) + line(2));
  EXPECT_EQ(flags.Activeframe, 3);  // the last frame stays on display
  EXPECT_TRUE(!series.runActive && series.Timer1Enabled);

  // The comparison star keeps its "*" and has no error; decimal commas in numbers only.
  ASSERT_TRUE(FullExportSave(series, full(1, 2, 1)));
  std::string comp = "Vargaze Ergebnisse f\xFCr ROI1 C1\r\nJD|Filename|Counts(star)|"
                     "Counts(background)|Star-Background|Max.counts|Mag|SNR|error|Airmass\r\n";
  for (const auto& [i, airmass] : {std::pair{0, "1,23"}, {1, "1,50"}, {2, "2,00"}}) {
    comp += test::jd(600 * i, ',') + "|" + files[static_cast<std::size_t>(i)] +
            "|22500|2500|20000|20100|11,200*|132||" + airmass + "\r\n";
  }
  EXPECT_EQ(written(), comp);

  ui.cancelAfterEvents = ui.eventsProcessed + 2;  // STOP while frame 2 is shown
  ASSERT_TRUE(FullExportSave(series, full(2, 1, 0)));
  EXPECT_EQ(written(), head + line(0));
  EXPECT_EQ(flags.Activeframe, 2);
  EXPECT_TRUE(!series.runActive && series.Timer1Enabled);

  ui.cancelAfterEvents = -1;
  std::filesystem::remove(files[1]);
  ASSERT_TRUE(FullExportSave(series, full(2, 1, 0)));
  EXPECT_EQ(written(), head + line(0) + line(2));  // never frame 1's values under frame 2
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Fehler beim Laden der Datei " + files[1]});
}

TEST_F(ResultExports, FullExportOfTheFrameShownAndRefusals) {
  ASSERT_TRUE(openThree());
  ASSERT_TRUE(series.BlinkScrollBarChange(2));
  win.roi(2).Name = "RR Lyr.2";
  ASSERT_TRUE(FullExportSave(series, full(0, 1, 1)));
  // C1 and K1 show their catalogue B-V (0.6) and V; names and the heading keep their points.
  EXPECT_EQ(written(), "Vargaze Ergebnisse " + files[1] + "JD(begin)=" + test::jd(600) +
                           "\r\nROI;Name;Counts(star);Counts(background);Star-Background;"
                           "Max.counts;Mag;Comp;B-V(Cat.);V(Cat.);R(Cat.)\r\n"
                           "1;C1;22500;2500;20000;20100;11,200;comp;0,600;11,200;\r\n"
                           "2;RR Lyr.2;12500;2500;10000;10100;11,953;;;;\r\n"
                           "3;K1;7500;2500;5000;5100;12,705;;0,600;12,000;\r\n");
  ASSERT_TRUE(FullExportSave(series, full(0, 0, 0)));
  const std::string before = written();
  EXPECT_NE(before.find("\r\n1,C1,22500,2500,20000,20100,11.200,comp,0.600,11.200,\r\n"),
            std::string::npos) << before;
  win.roi(2).Name = "RR;Lyr";
  const struct { FullExportFields fields; std::string message; } cases[] = {
      {full(0, 1, 0), "Feld \"Name\" in Zeile 4 enthält das Feld-Trennzeichen \";\": \"RR;Lyr\". "
                      "Nicht gespeichert."},
      {{"", 2, 0, 0}, "Bitte Dateiname ausfüllen"},
      {full(2, 0, 1), "Feld-Trennzeichen darf nicht Komma sein!"},
      {full(4, 1, 0), "ROI Nr. 4 nicht vorhanden (ROIs: 3)"},
      {full(-1, 1, 0), "ROI Nr. -1 nicht vorhanden (ROIs: 3)"}};
  for (const auto& c : cases) {
    ui.messages.clear();
    EXPECT_FALSE(FullExportSave(series, c.fields));
    EXPECT_EQ(ui.messages, std::vector<std::string>{c.message});
  }
  EXPECT_EQ(flags.Activeframe, 2);  // refused before any frame is loaded
  EXPECT_EQ(written(), before);
}

TEST_F(ResultExports, ShortExportOfTheLightCurve) {
  settings.JDCurveoffset = 2460000.5;
  ASSERT_TRUE(openThree());
  series.ProjectFilename = dir.file("night.vgp");
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  const std::string localeBefore = std::locale().name();
  const std::string first = test::jd(0) + ",13.260\r\n" + test::jd(600) + ",11.953\r\n";
  const struct { const char* what; std::int32_t roi2; bool airmass; std::int32_t decimal,
                 delimiter, points; std::size_t frames; std::string expected; } cases[] = {
      {"Julian Date and one magnitude", 0, false, 0, 0, 3, 3,
       first + test::jd(1200) + ",14.012\r\n"},
      {"decimal comma, second ROI and airmass", 1, true, 1, 1, 3, 3,
       test::jd(0, ',') + ";13,260;11,200;1,23\r\n" + test::jd(600, ',') +
           ";11,953;11,200;1,50\r\n" + test::jd(1200, ',') + ";14,012;11,200;2,00\r\n"},
      {"only the frames of the last run", 0, false, 0, 0, 2, 3, first},
      {"only the frames of the series", 0, false, 0, 0, 3, 2, first}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    series.curve.NumCurvePoints = c.points;
    series.filelist1.resize(c.frames, files[2]);
    const std::string out = dir.file("out.csv");
    ASSERT_TRUE(ShortExport(series, {2, c.roi2, c.airmass, c.decimal, c.delimiter, out}));
    EXPECT_EQ(written(), c.expected);
  }
  EXPECT_EQ(formatFixed(2.5, 1), "2.5");  // numbers everywhere else keep the point
  EXPECT_EQ(std::locale().name(), localeBefore);
  EXPECT_TRUE(ui.messages.empty());

  const struct { std::int32_t roi1, roi2, decimal, points; const char* message; } refused[] = {
      {4, 0, 0, 3, "ROI Nr. 4 nicht vorhanden (ROIs: 3)"},
      {0, 0, 0, 3, "ROI Nr. 0 nicht vorhanden (ROIs: 3)"},
      {1, 4, 0, 3, "ROI Nr. 4 nicht vorhanden (ROIs: 3)"},
      {2, 0, 1, 3, "Feld-Trennzeichen darf nicht Komma sein!"},  // with the comma delimiter
      {2, 0, 0, 0, "Keine Lichtkurven vorhanden."}};
  for (const auto& c : refused) {
    ui.messages.clear();
    series.curve.NumCurvePoints = c.points;
    EXPECT_FALSE(ShortExport(series, {c.roi1, c.roi2, false, c.decimal, 0, dir.file("out.csv")}));
    EXPECT_EQ(ui.messages, std::vector<std::string>{c.message});
  }
  EXPECT_EQ(written(), first);
  ShortExportFields fields;
  fields.DecimalGroup = 1;
  ShortExportDecimalGroupClick(fields, ui);  // the window's click moves the delimiter
  EXPECT_EQ(fields.DelimiterGroup, 1);
  EXPECT_EQ(ui.messages.back(), "Feld-Trennzeichen darf nicht Komma sein!");
}

// Each export under a missing folder, a target that is a folder and a disk
// that fills up: shown, and the previous file stays as it was.
TEST_F(ResultExports, SavesThatFailKeepThePreviousFile) {
  ASSERT_TRUE(openThree());
  series.ProjectFilename = dir.file("night.vgp");
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  ASSERT_TRUE(form.BAVAAVSODatenexport1Click());
  form.rows.assign(2000, AavsoRow{});  // 32 kB
  const std::string prefix = "Fehler beim Speichern der Datei ";
  // `start`: the message, or how it starts when the system's reason follows.
  const struct { const char* kind; std::function<bool(const std::string&)> run;
                 std::int64_t limit; std::string start; bool reason; } cases[] = {
      {"aavso", [&](const std::string& to) { return form.SaveButtonClick(to); }, 8192,
       prefix + dir.file("aavso.csv") + "\n", true},
      {"full", [&](const std::string& to) { return FullExportSave(series, {to, 2, 0, 0}); }, 100,
       "Fehler", false},
      {"short", [&](const std::string& to) { return ShortExport(series, {.FilenameEdit = to}); },
       40, prefix + dir.file("short.csv"), false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    const std::string path = dir.file(std::string(c.kind) + ".csv");
    test::expectMissingFolderReported(dir, c.kind, save(c.run));
    test::expectFolderTargetReported(dir, c.kind, save(c.run));
    ASSERT_TRUE(c.run(path));
    const std::string message = test::expectFullDiskKeepsFile(path, c.limit, save(c.run));
    EXPECT_EQ(c.reason ? message.substr(0, c.start.size()) : message, c.start);
    if (c.reason) {
      EXPECT_NE(message.find("File too large"), std::string::npos) << message;
    }
  }
}

}  // namespace
}  // namespace vargaze
