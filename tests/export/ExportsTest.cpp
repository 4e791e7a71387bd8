// The AAVSO/BAV export window (fill, file, refusals, colour transformation, header template,
// report check), the full export and the short export of the light curve, on frames of
// 2024-03-01 from 20:00 UT on: a flat sky of 100 and single-pixel stars of known net counts
// (gain 1, no read or dark noise): comparison C1 20000 (B 11.8, V 11.2), variable RR Lyr,
// check K1 5000 (B 12.6, V 12.0), a spare star 8000. Magnitudes are 11.2 + 2.5 log10(20000 /
// net); the S/N is net / sqrt(2500/176 (1 + 25/176) 25 + 2500 + net) (box 25 pixels, ring
// 176), 132 for C1; the error 1.086 sqrt(1/SN^2 + (1.0857/132)^2) from the S/N as shown.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "base/Errors.h"
#include "export/AavsoExport.h"
#include "export/ExportHeader.h"
#include "export/FullExport.h"
#include "export/ReportCheck.h"
#include "export/ShortExport.h"
#include "export/Transform.h"
#include "series/LightCurveRun.h"
#include "support/FaultInjection.h"
#include "support/Lines.h"
#include "support/SeriesRig.h"

namespace vargaze {
namespace {

using Lines = std::vector<std::string>;

// The JD of 20:00 UT + `seconds` from the standard library's calendar (the Unix epoch is
// JD 2440587.5), as written: five decimals.
std::string jd(double seconds, char point = '.') {
  using namespace std::chrono;
  const auto days = sys_days{year{2024} / March / 1}.time_since_epoch().count();
  char text[32];
  std::snprintf(text, sizeof text, "%.5f", 2440587.5 + days + (72000.0 + seconds) / 86400.0);
  text[7] = point;
  return text;
}

struct Frame {  // minutes after 20:00, the net counts of RR Lyr
  int minutes = 0, variable = 3000;
  std::string filter = "V", airmass = "1.234";
  double exposure = 60;
};

class Exports : public ::testing::Test, public test::SeriesBench {
 protected:
  Exports() {
    settings.ReadnoiseElectrons = settings.DarkElectronsPerSec = 0.0;
    std::tie(settings.OBSCODE, settings.BAVOBS) = std::tuple{"XMU", "MUS"};
  }
  // A ROI on the star at the 1-based pixel (x, y); magnitude 0: a variable.
  void addRoi(int x, int y, const char* name, float mag, bool comparison) {
    const std::int32_t n = SeriesBench::addRoi(x, y);
    std::tie(win.roi(n).Name, win.roi(n).ref, win.roi(n).rmag) = std::tuple{name, comparison, mag};
    if (mag != 0.0f) win.bvri(n) = {mag + 0.6f, mag, 99.0f, 99.0f};
  }
  // Opens the series with ROIs on C1, RR Lyr and K1.
  bool open(const std::vector<Frame>& frames) {
    for (const Frame& f : frames) {
      std::vector<double> pixels(test::kWidth * test::kHeight, test::kSky);
      for (const auto& [x, y, net] : {std::tuple{30, 30, 20000}, {70, 50, f.variable},
                                      {50, 20, 5000}, {20, 60, 8000}}) {
        pixels[static_cast<std::size_t>((y - 1) * test::kWidth + x - 1)] += net;
      }
      char date[32];
      std::snprintf(date, sizeof date, "'2024-03-01T20:%02d:00'", f.minutes);
      files.push_back(dir.file("f" + std::to_string(files.size() + 10) + ".fit"));
      test::writeBytes(files.back(), test::FitsBuilder(16, test::kWidth, test::kHeight)
          .card("DATE-OBS", date).card("EXPTIME", std::to_string(f.exposure))
          .card("FILTER", "'" + f.filter + "'").card("AIRMASS", f.airmass).pixels(pixels).bytes());
    }
    if (!series.openSeries(files)) return false;
    addRoi(30, 30, "C1", 11.2f, true);
    addRoi(70, 50, "RR Lyr", 0.0f, false);
    addRoi(50, 20, "K1", 12.0f, false);
    win.AAVSOchartEdit = "X12345AB";
    return true;
  }
  // RR Lyr of net 3000, 10000 and 1500 at airmass 1.234, 1.5 and 2.
  bool openThree() {
    return open({{}, {.minutes = 10, .variable = 10000, .airmass = "1.5"},
                 {.minutes = 20, .variable = 1500, .airmass = "2.0"}});
  }
  std::string written() { return test::readBytes(dir.file("out.csv")); }
  FullExportFields full(std::int32_t roi, std::int32_t delimiter, std::int32_t decimal) {
    return {dir.file("out.csv"), roi, delimiter, decimal};
  }
  // A save under test, with the last message it showed.
  test::SaveAction save(std::function<bool(const std::string& path)> run) {
    return [this, run](const std::string& path, std::string& message) {
      ui.messages.clear();
      const bool saved = run(path);
      message = ui.messages.empty() ? "" : ui.messages.back();
      return saved;
    };
  }

  test::TempDir dir, home;
  std::vector<std::string> files;
  ExportForm2 form{series, home.path().string()};
};

TEST_F(Exports, AavsoTableFilledAndSavedWithTheChosenDelimiter) {
  // Frame 2: RR Lyr of 10000, no exposure time (counted as one second, never divided by);
  // frame 3 fails to load and has no row (not frame 2's values again).
  ASSERT_TRUE(open({{}, {.minutes = 10, .variable = 10000, .airmass = "2", .exposure = 0}, {}}));
  test::writeBytes(files[2], "not a frame");
  ASSERT_TRUE(form.BAVAAVSODatenexport1Click());
  ASSERT_EQ(form.FillButtonClick(), FillResult::Completed);
  EXPECT_TRUE(form.timesAtExposureStart);
  EXPECT_FALSE(form.TransformButtonEnabled || form.TableCleared || form.StopButtonVisible);
  EXPECT_EQ(form.OBSTYPEselect, "CCD");  // the frames say none
  form.OBSTYPEselectChange("DSLR");
  form.DelimiterGroupClick(delimiterIndexOf(';'));
  const std::string file = dir.file("night.csv");
  ASSERT_TRUE(form.SaveButtonClick(file));
  // S/N 39 and 88; Cmag -2.5 log10(20000 / exposure), Kmag of 5000.
  const std::string saved =
      "#TYPE=EXTENDED\r\n#DELIM=;\r\n#BAVOBS=MUS\r\n#OBSCODE=XMU\r\n#OBSTYPE=DSLR\r\n#DATE=JD\r\n"
      "#SOFTWARE=VARGAZE V.3.9.9\r\n#BAVCAT=\r\n#Var name;JD date;mag;error;Filter;Htrans;Htype;"
      "Cname;Cmag;Kname;Kmag;Airmass;Group;Chart;Comment\r\nRR Lyr;" + jd(0) +
      ";13.260;0.029;V;NO;STD;C1;-6.307;K1;-4.802;1.23;na;X12345AB;na\r\nRR Lyr;" + jd(600) +
      ";11.953;0.015;V;NO;STD;C1;-10.753;K1;-9.247;2.00;na;X12345AB;na\r\n";
  EXPECT_EQ(test::readBytes(file), saved);
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Fehler beim Laden der Datei " + files[2]});

  // Cells are written unquoted: one holding the delimiter is refused.
  form.rows[1][7] = "C1; 000-BBC-123";
  EXPECT_FALSE(form.SaveButtonClick(file));
  EXPECT_EQ(ui.messages.back(), "Feld \"Cname\" in Zeile 2 enthält das Trennzeichen \";\" - Datei "
                                "nicht gespeichert.");
  EXPECT_EQ(test::readBytes(file), saved);
  form.DelimiterIndex = 2;  // the delimiter chosen applies on saving
  ASSERT_TRUE(form.SaveButtonClick(file));
  EXPECT_NE(test::readBytes(file).find("|C1; 000-BBC-123|"), std::string::npos);
  form.TableReset();  // one empty row
  ASSERT_TRUE(form.SaveButtonClick(file));
  EXPECT_TRUE(test::readBytes(file).ends_with("Comment\r\n||||||||||||||\r\n"));

  // Mid-exposure times (the JD text cut to 13 characters) with a correction in seconds;
  // standardized: catalogue 11.2 up to the "*" of its Mag cell, and 11.2 + 2.5 log10(4).
  settings.MiddletimeCorrection = true;
  settings.JDprecision = 7;
  form.Comp_check_mags = CompCheckMags::Standardized;
  for (const auto& [corr, seconds] : {std::pair{"0.0", 30.0}, {"-30", 0.0}, {"43.2", 73.2}}) {
    form.JDcorrEdit = corr;
    ASSERT_EQ(form.FillButtonClick(), FillResult::Completed);
    EXPECT_EQ(form.rows[0][1], jd(seconds)) << corr;
  }
  EXPECT_EQ(form.rows[0][8] + " " + form.rows[0][10], "11.200 12.705");
  EXPECT_FALSE(form.timesAtExposureStart);
  series.ProjectFilename = "/data/v.1/night.vgp";
  EXPECT_EQ(form.proposedFileName(), "/data/v.1/night.csv");
  series.ProjectFilename = "/data/v.1/night";
  EXPECT_EQ(form.proposedFileName(), "/data/v.1/night.csv");
}

TEST_F(Exports, AavsoFillsRefusedAndTheEnsemble) {
  ASSERT_TRUE(open({{}, {.minutes = 10, .filter = "B"}}) && form.BAVAAVSODatenexport1Click());
  ASSERT_EQ(form.FillButtonClick(), FillResult::Completed);
  EXPECT_TRUE(form.TransformButtonEnabled);  // a V and a B row
  // Starts of 60 s exposures moved by half of it (give or take a second) are mid-exposure.
  for (const auto& [corr, starts] : {std::pair{"29", false}, {"31", false}, {"28.9", true}}) {
    form.JDcorrEdit = corr;
    ASSERT_EQ(form.FillButtonClick(), FillResult::Completed);
    EXPECT_EQ(form.timesAtExposureStart, starts) << corr;
  }
  const auto filled = form.rows;
  const struct { const char* jdCorr; std::int32_t var, check; } refused[] = {
      {"1,5", 2, 3}, {"0.0", 0, 3}, {"0.0", 2, 4}, {"0.0", 2, 1}};
  for (const auto& c : refused) {
    std::tie(form.JDcorrEdit, form.ROIEdit1, form.ROIEdit2) = std::tuple{c.jdCorr, c.var, c.check};
    EXPECT_EQ(form.FillButtonClick(), FillResult::Refused) << c.var << "/" << c.check;
    // A check star that is a comparison star, alone or in the ensemble, clears the table.
    EXPECT_EQ(form.rows, c.check == 1 ? std::vector<AavsoRow>(1) : filled);
  }
  addRoi(20, 60, "C2", 10.7f, true);
  form.ROIEdit2 = 3;
  ASSERT_EQ(form.FillButtonClick(), FillResult::Completed);
  for (const AavsoRow& row : form.rows) EXPECT_EQ(row[7] + " " + row[8], "ENSEMBLE na");
  EXPECT_FALSE(form.TransformButtonEnabled);
  form.ROIEdit2 = 4;
  EXPECT_EQ(form.FillButtonClick(), FillResult::Refused);
  EXPECT_EQ(form.rows, std::vector<AavsoRow>(1));
  EXPECT_TRUE(form.TableCleared);
  const std::string same = "Kontrollstern = Vergleichsstern!", roi = "ROI Nr. (";
  EXPECT_EQ(ui.messages, (Lines{"JD corr. in sec inkorrekt!", roi + "Variabler) nicht vorhanden!",
                                roi + "Kontrollstern) nicht vorhanden!", same, same}));
}

TEST_F(Exports, AavsoFillOfALongSeriesScrollsAndStops) {
  ASSERT_TRUE(open(std::vector<Frame>(12)) && form.BAVAAVSODatenexport1Click());
  bool stopShown = false;
  ui.onEvents = [&] { stopShown = stopShown || form.StopButtonVisible; };
  ASSERT_EQ(form.FillButtonClick(), FillResult::Completed);
  EXPECT_EQ(form.TopRow, 2);  // the last ten rows in view
  form.TableReset();
  ui.cancelAfterEvents = ui.eventsProcessed + 4;  // STOP while frame 4 is shown
  EXPECT_EQ(form.FillButtonClick(), FillResult::Stopped);
  EXPECT_TRUE(stopShown && form.TableCleared);  // the stopped fill keeps the table cleared
  EXPECT_FALSE(form.StopButtonVisible || series.runActive);
  EXPECT_EQ(form.rows.size(), 3u);
}

Settings coefficients(double tv2 = 0.04) {
  Settings s;
  std::tie(s.TF_Tb, s.TF_Tbv, s.TF_Tv, s.TF_Tr, s.TF_Tvr, s.TF_Tv2) =
      std::tuple{0.1, 1.1, -0.05, 0.03, 0.95, tv2};
  return s;
}

AavsoRow row(const char* filter, const char* mag, const char* err, const char* cmag,
             const char* kmag) {
  return {"RR Lyr", "2460371.33333", mag, err, filter, "NO", "STD", "C1", cmag, "K1", kmag,
          "na",     "na",            "na", "na"};
}

TEST_F(Exports, TransformButtonAsksAndInsertsOrRefuses) {
  // mag, err, Cmag, Kmag of the V, B and R frames: Bc-Vc = 0.6, B-V = 0.8, Vc-Rc = 0.4,
  // V-R = 0.5; the check star has the comparison's colour. BV = 0.6 + 1.1 * 0.2, Vt = 12 -
  // 0.05 (BV - 0.6) = 11.989; Tv*Tbv = -0.055: eVt = sqrt((0.945*0.1)^2 + (0.055*0.2)^2) =
  // 0.0951, eBt = sqrt((0.155*0.1)^2 + (1.045*0.2)^2) = 0.2096. VR = 0.4 + 0.95 * 0.1, V2t =
  // 12 + 0.04 (VR - 0.4) = 12.0038; Tv2*Tvr = 0.038: eV2t = sqrt((1.038*0.1)^2 +
  // (0.038*0.15)^2) = 0.1040, eRt = sqrt((0.088*0.1)^2 + (0.988*0.15)^2) = 0.1485.
  const AavsoRow v = row("V", "12.000", "0.100", "11.000", "12.500");
  const AavsoRow b = row("B", "12.800", "0.200", "11.600", "13.100");
  const AavsoRow r = row("R", "11.500", "0.150", "10.600", "12.000");
  const std::string ask = "; Transformierte Daten einfügen?";
  using R = TransformResult;
  // `shown`: the question or message, then mag, error, Htrans and Kmag of each row.
  const struct { const char* what; std::vector<AavsoRow> rows; bool standardized;
                 Settings settings; R result; Lines shown; } cases[] = {
      // V: (11.989 + 12.0038) / 2, error (0.0951 + 0.1040) / 2, check (12.5 + 12.5038) / 2.
      {"B, V and R, standardized", {v, b, r}, true, coefficients(), R::Inserted,
       {"Btrans= 12.809 Vtrans= 11.996 Rtrans= 11.509" + ask, "11.996 0.100 YES 12.502",
        "12.809 0.210 YES 13.100", "11.509 0.148 YES 12.009"}},
      {"B and V", {b, v}, false, coefficients(), R::Inserted,
       {"Btrans= 12.809 Vtrans= 11.989" + ask, "12.809 0.210 YES 13.100",
        "11.989 0.095 YES 12.500"}},
      {"answered No", {b, v}, false, coefficients(), R::Declined,
       {"Btrans= 12.809 Vtrans= 11.989" + ask, "12.800 0.200 NO 13.100",
        "12.000 0.100 NO 12.500"}},
      {"V and R", {v, r}, false, coefficients(), R::Inserted,
       {"Vtrans2= 12.004 Rtrans= 11.509" + ask, "12.004 0.104 YES 12.500",
        "11.509 0.148 YES 12.000"}},
      {"V-R coefficient unset", {v, r}, false, coefficients(kCoefficientUnset), R::Refused,
       {"Transformationskoeffizienten (V,R) nicht vorhanden (Setup/transformation)",
        "12.000 0.100 NO 12.500", "11.500 0.150 NO 12.000"}},
      {"B-V coefficients unset", {b, v}, false, Settings{}, R::Refused,
       {"Transformationskoeffizienten (B,V) nicht vorhanden (Setup/transformation)",
        "12.800 0.200 NO 13.100", "12.000 0.100 NO 12.500"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    settings = c.settings;
    ui.questions = ui.messages = {};
    ui.answers = {c.result == R::Declined ? UiPort::Answer::No : UiPort::Answer::Yes};
    form.rows = c.rows;
    form.TransformButtonEnabled = true;
    form.Comp_check_mags = c.standardized ? CompCheckMags::Standardized
                                          : CompCheckMags::Instrumental;
    EXPECT_EQ(form.TransformButtonClick(), c.result);
    Lines shown = ui.questions;
    shown.insert(shown.end(), ui.messages.begin(), ui.messages.end());
    for (const AavsoRow& x : form.rows) {
      shown.push_back(x[2] + " " + x[3] + " " + x[5] + " " + x[10]);
    }
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(form.TransformButtonEnabled, c.result != R::Inserted);
  }
  // A cell that is not a number ends the command, naming it, before anything changes (the
  // last case left the button enabled and asked nothing).
  settings = coefficients();
  const std::vector<AavsoRow> table = {row("V", "12.000", "na", "11.000", "12.500"), b};
  form.rows = table;
  std::string error = "accepted";
  try {
    form.TransformButtonClick();
  } catch (const RangeError& e) {
    error = e.what();
  }
  EXPECT_EQ(error, "'na' ist keine gültige Zahl (Zeile 1, error)");
  EXPECT_EQ(form.rows, table);
}

TEST_F(Exports, FullExportOfTheFrameShownAndOfOneRoiOverTheSeries) {
  ASSERT_TRUE(openThree());
  ASSERT_TRUE(series.BlinkScrollBarChange(2));
  win.roi(2).Name = "RR Lyr.2";
  ASSERT_TRUE(FullExportSave(series, full(0, 1, 1)));
  // C1 and K1 show their catalogue B-V (0.6) and V; names and the heading keep their points.
  const std::string shown = "Vargaze Ergebnisse " + files[1] + "JD(begin)=" + jd(600) +
                            "\r\nROI;Name;Counts(star);Counts(background);Star-Background;"
                            "Max.counts;Mag;Comp;B-V(Cat.);V(Cat.);R(Cat.)\r\n"
                            "1;C1;22500;2500;20000;20100;11,200;comp;0,600;11,200;\r\n"
                            "2;RR Lyr.2;12500;2500;10000;10100;11,953;;;;\r\n"
                            "3;K1;7500;2500;5000;5100;12,705;;0,600;12,000;\r\n";
  EXPECT_EQ(written(), shown);
  win.roi(2).Name = "RR;Lyr";
  const struct { FullExportFields fields; std::string message; } cases[] = {
      {full(0, 1, 0), "Feld \"Name\" in Zeile 4 enthält das Feld-Trennzeichen \";\": \"RR;Lyr\". "
                      "Nicht gespeichert."},
      {{"", 2, 0, 0}, "Bitte Dateiname ausfüllen"},
      {full(2, 0, 1), "Feld-Trennzeichen darf nicht Komma sein!"},
      {full(4, 1, 0), "ROI Nr. 4 nicht vorhanden (ROIs: 3)"}};
  for (const auto& c : cases) {
    ui.messages.clear();
    EXPECT_FALSE(FullExportSave(series, c.fields));
    EXPECT_EQ(ui.messages, std::vector<std::string>{c.message});
  }
  EXPECT_EQ(flags.Activeframe, 2);  // refused before any frame is loaded
  EXPECT_EQ(written(), shown);

  win.roi(2).Name = "RR Lyr";
  const char* target[] = {";5500;2500;3000;3100;13.260;39;0.029;1.23",
                          ";12500;2500;10000;10100;11.953;88;0.015;1.50",
                          ";4000;2500;1500;1600;14.012;23;0.048;2.00"};
  const auto line = [&](int i) { return jd(600 * i) + ";" + files[i] + target[i] + "\r\n"; };
  const std::string head = "Vargaze Ergebnisse f\xFCr ROI2 RR Lyr\r\nJD;Filename;Counts(star);"
                           "Counts(background);Star-Background;Max.counts;Mag;SNR;error;"
                           "Airmass\r\n";
  ASSERT_TRUE(FullExportSave(series, full(2, 1, 0)));
  EXPECT_EQ(written(), head + line(0) + line(1) + line(2));
  EXPECT_EQ(flags.Activeframe, 3);  // the last frame stays on display

  // The comparison star keeps its "*" and has no error; decimal commas in numbers only.
  ASSERT_TRUE(FullExportSave(series, full(1, 2, 1)));
  std::string comp = "Vargaze Ergebnisse f\xFCr ROI1 C1\r\nJD|Filename|Counts(star)|"
                     "Counts(background)|Star-Background|Max.counts|Mag|SNR|error|Airmass\r\n";
  for (const auto& [i, airmass] : {std::pair{0, "1,23"}, {1, "1,50"}, {2, "2,00"}}) {
    comp += jd(600 * i, ',') + "|" + files[static_cast<std::size_t>(i)] +
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
  EXPECT_EQ(ui.messages.back(), "Fehler beim Laden der Datei " + files[1]);
}

TEST_F(Exports, SavesThatFailAndTheShortExportOfTheLightCurve) {
  settings.JDCurveoffset = 2460000.5;
  ASSERT_TRUE(openThree());
  series.ProjectFilename = dir.file("night.vgp");
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  // Each save under every fault kind: reported, and the previous file stays as it was.
  form.rows.assign(2000, AavsoRow{});  // 32 kB, more than a write buffer holds
  test::expectSaveFaultsReported(
      dir, "aavso.csv", save([&](auto& to) { return form.SaveButtonClick(to); }));
  test::expectSaveFaultsReported(
      dir, "full.csv", save([&](auto& to) { return FullExportSave(series, {to, 2, 0, 0}); }));
  test::expectSaveFaultsReported(
      dir, "short.csv", save([&](auto& to) { return ShortExport(series, {.FilenameEdit = to}); }));

  const std::string first = jd(0) + ",13.260\r\n" + jd(600) + ",11.953\r\n";
  const struct { const char* what; std::int32_t roi2; bool airmass; std::int32_t decimal,
                 delimiter, points; std::size_t frames; std::string expected; } cases[] = {
      {"Julian Date and one magnitude", 0, false, 0, 0, 3, 3, first + jd(1200) + ",14.012\r\n"},
      {"decimal comma, second ROI and airmass", 1, true, 1, 1, 3, 3,
       jd(0, ',') + ";13,260;11,200;1,23\r\n" + jd(600, ',') + ";11,953;11,200;1,50\r\n" +
           jd(1200, ',') + ";14,012;11,200;2,00\r\n"},
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
  ShortExportFields fields{.DecimalGroup = 1, .FilenameEdit = ""};
  ShortExportDecimalGroupClick(fields, ui);  // the window's click moves the delimiter
  EXPECT_EQ(fields.DelimiterGroup, 1);
}

TEST_F(Exports, HeaderTemplateWrittenWhenMissingKeptWhenEditedAndFailuresReported) {
  const std::string name = dir.file("exportfileheader.txt");
  const Lines fallback = {"#TYPE=EXTENDED", "#DELIM=;", "#BAVOBS=MUS", "#OBSCODE=XMU",
                          "#OBSTYPE=CCD", "#DATE=JD", "#SOFTWARE=VARGAZE 3.9.9", "#BAVCAT="};
  EXPECT_EQ(loadHeaderTemplate(dir.path().string(), settings, ';', ui), fallback);
  EXPECT_EQ(test::crlfLines(test::readBytes(name)), fallback);
  // A hand-edited template is never written back; the window keeps its observer lines up
  // to date and puts a missing delimiter line second (or alone).
  const std::string edit = "#TYPE=EXTENDED\r\n#OBSCODE=OLD\n#OBSTYPE=OLD\r\n#MYKEY=kept\r\n";
  test::writeBytes(name, edit);
  Lines edited = loadHeaderTemplate(dir.path().string() + "/", settings, ',', ui), none;
  EXPECT_EQ(edited, (Lines{"#TYPE=EXTENDED", "#OBSCODE=OLD", "#OBSTYPE=OLD", "#MYKEY=kept"}));
  EXPECT_EQ(test::readBytes(name), edit);
  EXPECT_TRUE(ui.messages.empty());
  updateHeaderLines(edited, settings);
  setHeaderDelimiter(edited, '|');
  setHeaderDelimiter(none, ',');
  EXPECT_EQ(edited, (Lines{"#TYPE=EXTENDED", "#DELIM=|", "#OBSCODE=XMU", "#OBSTYPE=CCD",
                           "#MYKEY=kept"}));
  EXPECT_EQ(none, Lines{"#DELIM=,"});

  // A template that cannot be written is reported, and the default header serves.
  std::filesystem::remove(name);
  const test::SaveAction write = save([&](const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    EXPECT_EQ(loadHeaderTemplate(folder, settings, ';', ui), fallback);
    return ui.messages.empty();
  });
  test::expectMissingFolderReported(dir, "exportfileheader.txt", write);
  test::expectParentFileReported(dir, "exportfileheader.txt", write);
  test::expectFolderTargetReported(dir, "exportfileheader.txt", write);
  test::expectFullDiskKeepsFile(name, 16, write);  // none before, none torn after
}

struct Report {
  Lines header = {"#TYPE=EXTENDED", "#OBSCODE=XMU", "#SOFTWARE=VARGAZE", "#DELIM=,",
                  "#DATE=JD", "#OBSTYPE=CCD"};
  std::vector<Lines> rows = {
      2, {"RR Lyr", "2460371.33333", "13.260", "0.029", "V", "NO", "STD", "C1", "-6.307", "K1",
          "-4.802", "1.23", "na", "X12345AB", "na"}};
  char delimiter = ',';
  bool exposureStarts = false;
};
using Change = std::function<void(Report&)>;

// Fields of the second row (1-based numbers).
Change fields(std::vector<std::pair<int, std::string>> values) {
  return [values](Report& r) {
    for (const auto& [n, text] : values) r.rows[1][static_cast<std::size_t>(n - 1)] = text;
  };
}
Change field(int n, std::string text) { return fields({{n, std::move(text)}}); }
Change line(std::size_t i, std::string text) { return [=](Report& r) { r.header[i] = text; }; }
Change delimiter(char d) {
  return [d](Report& r) { r.delimiter = d; r.header[3] = std::string("#DELIM=") + d; };
}

TEST(ReportCheck, FindingsOfEachCondition) {
  const std::string head = "error: report: ", missing = head + "The header has no #";
  const std::string row2 = "error: row 2, field ", notAavso = "\" is not accepted by AAVSO; "
                                                              "use a comma or a semicolon.";
  const std::string s31(31, 'S');
  const struct { const char* condition; Change change; Lines findings; } cases[] = {
      {"valid report, heliocentric dates", line(4, "#DATE=HJD"), {}},
      {"no header", [](Report& r) { r.header.clear(); },
       {missing + "TYPE= line.", missing + "OBSCODE= line.", missing + "SOFTWARE= line.",
        missing + "DELIM= line.", missing + "DATE= line.", missing + "OBSTYPE= line."}},
      {"empty value", line(1, "#OBSCODE= "),
       {head + "The header line #OBSCODE= has no value. Your AAVSO observer code is set in the "
               "setup (\"AAVSO Observer code\"), as OBSCODE in section [Export] of vargaze1.ini, "
               "or for one report with --obscode CODE."}},
      {"type", line(0, "#TYPE=VISUAL"), {head + "#TYPE= must be EXTENDED, not \"VISUAL\"."}},
      {"delimiter line differs", line(3, "#DELIM=;"),
       {head + "#DELIM= says \";\" but the fields are separated by \",\"."}},
      {"date kind", line(4, "#DATE=MJD"),
       {head + "#DATE= must be JD, HJD or EXCEL, not \"MJD\"."}},
      {"header line without #", [](Report& r) { r.header.push_back("no hash here"); },
       {head + "The header line \"no hash here\" does not start with #."}},
      {"pipe", delimiter('|'), {"warning: report: The delimiter \"|\" is meant for BAV reports; "
                                "for AAVSO use a comma or a semicolon."}},
      {"hash", delimiter('#'), {"warning: report: The delimiter \"#" + notAavso}},
      {"blank", delimiter(' '),
       {head + "The header line #DELIM= has no value.",
        "warning: report: The delimiter \" " + notAavso,
        "error: row 1, field 1 (STARID): The field contains the delimiter \" \".",
        row2 + "1 (STARID): The field contains the delimiter \" \"."}},
      {"no rows, exposure starts", [](Report& r) { r.rows.clear(); r.exposureStarts = true; },
       {head + "The report has no observations.",
        head + "The dates are exposure starts (JD(begin)); AAVSO wants the middle of the "
               "exposure. Switch on the mid-exposure time correction and fill the table again."}},
      {"14 fields", [](Report& r) { r.rows[1].pop_back(); },
       {"error: row 2: The line has 14 fields instead of 15."}},
      {"longest and other accepted values",
       fields({{1, std::string(30, 'S')}, {2, "2460371.33333333"}, {5, "TG"}, {6, "YES"},
               {7, "DIF"}, {8, "ENSEMBLE"}, {9, "na"}, {12, "1.23456"}, {13, "12345"}}), {}},
      {"one character too long", fields({{1, s31}, {12, "1.234567"}}),
       {row2 + "1 (STARID): \"" + s31 + "\" is longer than 30 characters.",
        row2 + "12 (AIRMASS): \"1.234567\" is longer than 7 characters."}},
      {"ensemble with a magnitude", field(8, "ENSEMBLE"),
       {row2 + "9 (CMAG): With the comparison star ENSEMBLE, CMAG must be \"na\"."}},
      {"no decimal point", field(3, "12"),
       {row2 + "3 (MAGNITUDE): The magnitude \"12\" has no decimal point."}},
      {"not a number", field(3, "?"), {row2 + "3 (MAGNITUDE): \"?\" is not a number."}},
      {"required na", field(3, "na"),
       {row2 + "3 (MAGNITUDE): The field is required; \"na\" is not allowed."}},
      {"optional empty", field(4, ""),
       {row2 + "4 (MAGERR): The field is empty; write \"na\" instead."}},
      {"required empty", field(5, " "), {row2 + "5 (FILTER): The field is empty."}},
      {"filter", field(5, "Vj"), {row2 + "5 (FILTER): \"Vj\" is not an AAVSO filter."}},
      {"trans", field(6, "MAYBE"), {row2 + "6 (TRANS): TRANS must be YES or NO, not \"MAYBE\"."}},
      {"mtype", field(7, "ABS"), {row2 + "7 (MTYPE): MTYPE must be STD or DIF, not \"ABS\"."}},
      {"delimiter in a field", field(15, "thin clouds, moon"),
       {row2 + "15 (NOTES): The field contains the delimiter \",\"."}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.condition);
    Report r;
    c.change(r);
    Lines found;
    for (const Finding& f : checkAavsoReport(r.header, r.rows, r.delimiter, r.exposureStarts)) {
      found.push_back(describeFinding(f));
    }
    EXPECT_EQ(found, c.findings);
  }
}

}  // namespace
}  // namespace vargaze
