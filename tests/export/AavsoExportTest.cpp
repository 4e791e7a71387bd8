// The AAVSO/BAV export window: the fill over a series, the saved file, its
// refusals, and the colour transformation.
#include <gtest/gtest.h>

#include "ExportRig.h"
#include "base/Errors.h"
#include "export/Transform.h"

namespace vargaze {
namespace {

class AavsoExport : public ::testing::Test, public test::ExportRig {};

TEST_F(AavsoExport, FilledTableSavedWithTheChosenDelimiter) {
  // Frame 2: RR Lyr of 10000, no exposure time (counted as one second, never divided by).
  ASSERT_TRUE(openWindow({{}, {.minutes = 10, .exposure = 0, .variable = 10000, .airmass = "2"}}));
  ASSERT_EQ(form.FillButtonClick(), FillResult::Completed);
  EXPECT_TRUE(form.timesAtExposureStart);
  EXPECT_FALSE(form.TransformButtonEnabled || form.TableCleared || form.StopButtonVisible);
  EXPECT_EQ(form.OBSTYPEselect, "CCD");  // the frames say none
  EXPECT_EQ(delimiterIndexOf('#'), -1);
  form.DelimiterGroupClick(delimiterIndexOf(';'));
  const std::string file = dir.file("night.csv");
  ASSERT_TRUE(form.SaveButtonClick(file));
  // Mag 11.2 + 2.5 log10(20000 / net); S/N = net / sqrt(2500/176 (1 + 25/176) 25 + 2500 + net)
  // (box 25 pixels, ring 176) is 39 and 88, 132 for C1; error 1.086 sqrt(1/SN^2 +
  // (1.0857/132)^2) with the S/N as shown; Cmag -2.5 log10(20000 / exposure), Kmag of 5000.
  const std::string saved =
      "#TYPE=EXTENDED\r\n#DELIM=;\r\n#BAVOBS=MUS\r\n#OBSCODE=XMU\r\n#OBSTYPE=CCD\r\n#DATE=JD\r\n"
      "#SOFTWARE=VARGAZE V.3.9.9\r\n#BAVCAT=\r\n#Var name;JD date;mag;error;Filter;Htrans;Htype;"
      "Cname;Cmag;Kname;Kmag;Airmass;Group;Chart;Comment\r\nRR Lyr;" + test::jd(0) +
      ";13.260;0.029;V;NO;STD;C1;-6.307;K1;-4.802;1.23;na;X12345AB;na\r\nRR Lyr;" + test::jd(600) +
      ";11.953;0.015;V;NO;STD;C1;-10.753;K1;-9.247;2.00;na;X12345AB;na\r\n";
  EXPECT_EQ(test::readBytes(file), saved);
  EXPECT_TRUE(ui.messages.empty());

  // Cells are written unquoted: one holding the delimiter is refused.
  form.rows[1][7] = "C1; 000-BBC-123";
  EXPECT_FALSE(form.SaveButtonClick(file));
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Feld \"Cname\" in Zeile 2 enthält das "
                                                  "Trennzeichen \";\" - Datei nicht gespeichert."});
  EXPECT_EQ(test::readBytes(file), saved);
  form.DelimiterIndex = 2;  // the delimiter chosen applies on saving
  ASSERT_TRUE(form.SaveButtonClick(file));
  EXPECT_NE(test::readBytes(file).find("\r\n#DELIM=|\r\n"), std::string::npos);
  EXPECT_NE(test::readBytes(file).find("|C1; 000-BBC-123|"), std::string::npos);
  form.TableReset();  // one empty row
  ASSERT_TRUE(form.SaveButtonClick(file));
  const std::string cleared = test::readBytes(file);
  EXPECT_EQ(cleared.substr(cleared.size() - 18), "\r\n||||||||||||||\r\n");

  // Mid-exposure times (the JD text cut to 13 characters) with a correction in seconds;
  // standardized: catalogue 11.2 up to the "*" of its Mag cell, and 11.2 + 2.5 log10(4).
  settings.MiddletimeCorrection = true;
  settings.JDprecision = 7;
  form.Comp_check_mags = CompCheckMags::Standardized;
  for (const auto& [corr, seconds] : {std::pair{"0.0", 30.0}, {"-30", 0.0}, {"43.2", 73.2}}) {
    form.JDcorrEdit = corr;
    ASSERT_EQ(form.FillButtonClick(), FillResult::Completed);
    EXPECT_EQ(form.rows[0][1], test::jd(seconds)) << corr;
  }
  EXPECT_EQ(form.rows[0][8] + " " + form.rows[0][10], "11.200 12.705");
  EXPECT_FALSE(form.timesAtExposureStart);

  EXPECT_EQ(form.proposedFileName(), "");  // without a project
  series.ProjectFilename = "/data/v.1/night.vgp";
  EXPECT_EQ(form.proposedFileName(), "/data/v.1/night.csv");
  series.ProjectFilename = "/data/v.1/night";
  EXPECT_EQ(form.proposedFileName(), "/data/v.1/night.csv");
}

TEST_F(AavsoExport, RefusedFillsAndTheEnsemble) {
  ASSERT_TRUE(openWindow({{}, {.minutes = 10, .filter = "B"}}));
  ASSERT_EQ(form.FillButtonClick(), FillResult::Completed);
  EXPECT_TRUE(form.TransformButtonEnabled);  // a V and a B row
  const auto filled = form.rows;
  const struct { const char* jdCorr; std::int32_t var, check; } refused[] = {
      {"1,5", 2, 3}, {"0.0", 0, 3}, {"0.0", 2, 4}, {"0.0", 2, 1}};
  for (const auto& c : refused) {
    form.JDcorrEdit = c.jdCorr;
    form.ROIEdit1 = c.var;
    form.ROIEdit2 = c.check;
    EXPECT_EQ(form.FillButtonClick(), FillResult::Refused) << c.var << "/" << c.check;
    if (c.check != 1) {
      EXPECT_EQ(form.rows, filled);
    }
  }
  // A check star that is a comparison star, alone or in the ensemble, clears the table.
  EXPECT_EQ(form.rows, std::vector<AavsoRow>(1));
  addRoi(20, 60, "C2", 10.7f, true);
  form.ROIEdit2 = 3;
  ASSERT_EQ(form.FillButtonClick(), FillResult::Completed);
  for (const AavsoRow& row : form.rows) EXPECT_EQ(row[7] + " " + row[8], "ENSEMBLE na");
  EXPECT_FALSE(form.TransformButtonEnabled);
  form.ROIEdit2 = 4;
  EXPECT_EQ(form.FillButtonClick(), FillResult::Refused);
  EXPECT_EQ(form.rows, std::vector<AavsoRow>(1));
  EXPECT_TRUE(form.TableCleared);
  const std::string same = "Kontrollstern = Vergleichsstern!";
  EXPECT_EQ(ui.messages, (std::vector<std::string>{
                             "JD corr. in sec inkorrekt!", "ROI Nr. (Variabler) nicht vorhanden!",
                             "ROI Nr. (Kontrollstern) nicht vorhanden!", same, same}));
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
  EXPECT_FALSE(form.StopButtonVisible || series.runActive);
  ASSERT_EQ(form.rows.size(), 2u);
  EXPECT_EQ(form.rows[1][1], test::jd(120));
  EXPECT_TRUE(form.TableCleared);  // a stopped fill keeps it
}

Settings coefficients() {
  Settings s;
  s.TF_Tb = 0.1;
  s.TF_Tbv = 1.1;
  s.TF_Tv = -0.05;
  s.TF_Tr = 0.03;
  s.TF_Tvr = 0.95;
  s.TF_Tv2 = 0.04;
  return s;
}

TEST(TransformFormulas, BVAndVRPairs) {
  // mag, err, Cmag, Kmag of the V, B and R frames: Bc-Vc = 0.6, B-V = 0.8, Vc-Rc = 0.4,
  // V-R = 0.5; the check star has the comparison's colour. BV = 0.6 + 1.1 * 0.2, Vt = 12 -
  // 0.05 (BV - 0.6); Tv*Tbv = -0.055: eVt = sqrt((0.945*0.01)^2 + (0.055*0.02)^2), eBt =
  // sqrt((0.155*0.01)^2 + (1.045*0.02)^2). VR = 0.4 + 0.95 * 0.1, V2t = 12 + 0.04 (VR - 0.4);
  // Tv2*Tvr = 0.038: eV2t = sqrt((1.038*0.01)^2 + (0.038*0.015)^2), eRt = sqrt((0.088*0.01)^2
  // + (0.988*0.015)^2).
  const FilterReading v{12.0, 0.010, 11.0, 12.5}, b{12.8, 0.020, 11.6, 13.1},
      r{11.5, 0.015, 10.6, 12.0};
  const BVTransform bv = transformBV(v, b, coefficients());
  const VRTransform vr = transformVR(v, r, coefficients());
  const struct { const char* name; double got, expected; } values[] = {
      {"Vt", bv.Vt, 11.989},    {"Bt", bv.Bt, 12.809},         {"Vkt", bv.Vkt, 12.5},
      {"Bkt", bv.Bkt, 13.1},    {"eVt", bv.eVt, 0.00951381},   {"eBt", bv.eBt, 0.0209574},
      {"V2t", vr.V2t, 12.0038}, {"Rt", vr.Rt, 11.5088},        {"V2kt", vr.V2kt, 12.5038},
      {"Rkt", vr.Rkt, 12.0088}, {"eV2t", vr.eV2t, 0.01039564}, {"eRt", vr.eRt, 0.01484611}};
  for (const auto& value : values) EXPECT_NEAR(value.got, value.expected, 1e-8) << value.name;
}

AavsoRow row(const char* filter, const char* mag, const char* err, const char* cmag,
             const char* kmag) {
  return {"RR Lyr", "2460371.33333", mag, err, filter, "NO", "STD", "C1", cmag, "K1", kmag,
          "na",     "na",            "na", "na"};
}

TEST(TransformButton, AsksAndInsertsOrRefuses) {
  const AavsoRow v = row("V", "12.000", "0.010", "11.000", "12.500");
  const AavsoRow b = row("B", "12.800", "0.020", "11.600", "13.100");
  const AavsoRow r = row("R", "11.500", "0.015", "10.600", "12.000");
  Settings noTv2 = coefficients();
  noTv2.TF_Tv2 = kCoefficientUnset;
  const std::string ask = "; Transformierte Daten einfügen?";
  using R = TransformResult;
  // `after`: mag, error, Htrans and Kmag of each row; none when the table stays.
  const struct { const char* what; std::vector<AavsoRow> rows; bool standardized, yes;
                 Settings settings; R result; std::string shown;
                 std::vector<std::string> after; } cases[] = {
      // V: (11.989 + 12.0038) / 2, error (0.009514 + 0.010396) / 2, check (12.5 + 12.5038) / 2.
      {"B, V and R, standardized", {v, b, r}, true, true, coefficients(), R::Inserted,
       "Btrans= 12.809 Vtrans= 11.996 Rtrans= 11.509" + ask,
       {"11.996 0.010 YES 12.502", "12.809 0.021 YES 13.100", "11.509 0.015 YES 12.009"}},
      {"B and V", {b, v}, false, true, coefficients(), R::Inserted,
       "Btrans= 12.809 Vtrans= 11.989" + ask,
       {"12.809 0.021 YES 13.100", "11.989 0.010 YES 12.500"}},
      {"answered No", {b, v}, false, false, coefficients(), R::Declined,
       "Btrans= 12.809 Vtrans= 11.989" + ask, {}},
      {"V and R", {v, r}, false, true, coefficients(), R::Inserted,
       "Vtrans2= 12.004 Rtrans= 11.509" + ask,
       {"12.004 0.010 YES 12.500", "11.509 0.015 YES 12.000"}},
      {"V-R coefficient unset", {v, r}, false, true, noTv2, R::Refused,
       "Transformationskoeffizienten (V,R) nicht vorhanden (Setup/transformation)", {}},
      {"B-V coefficients unset", {v, b}, false, true, Settings{}, R::Refused,
       "Transformationskoeffizienten (B,V) nicht vorhanden (Setup/transformation)", {}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::ExportRig rig;
    rig.settings = c.settings;
    rig.ui.answers = {c.yes ? UiPort::Answer::Yes : UiPort::Answer::No};
    rig.form.rows = c.rows;
    rig.form.TransformButtonEnabled = true;
    if (c.standardized) rig.form.Comp_check_mags = CompCheckMags::Standardized;
    EXPECT_EQ(rig.form.TransformButtonClick(), c.result);
    std::vector<std::string> shown = rig.ui.questions, after;
    shown.insert(shown.end(), rig.ui.messages.begin(), rig.ui.messages.end());
    EXPECT_EQ(shown, std::vector<std::string>{c.shown});
    for (const AavsoRow& x : rig.form.rows) {
      after.push_back(x[2] + " " + x[3] + " " + x[5] + " " + x[10]);
    }
    if (c.after.empty()) {
      EXPECT_EQ(rig.form.rows, c.rows);
    } else {
      EXPECT_EQ(after, c.after);
    }
    EXPECT_EQ(rig.form.TransformButtonEnabled, c.result != R::Inserted);
  }
  // A cell that is not a number ends the command, naming it, before anything changes.
  test::ExportRig rig;
  rig.settings = coefficients();
  rig.form.TransformButtonEnabled = true;
  const std::vector<AavsoRow> table = {row("V", "12.000", "na", "11.000", "12.500"), b};
  rig.form.rows = table;
  try {
    rig.form.TransformButtonClick();
    ADD_FAILURE() << "a non-numeric error cell was accepted";
  } catch (const RangeError& e) {
    EXPECT_STREQ(e.what(), "'na' ist keine gültige Zahl (Zeile 1, error)");
  }
  EXPECT_EQ(rig.form.rows, table);
  EXPECT_TRUE(rig.ui.questions.empty());
}

}  // namespace
}  // namespace vargaze
