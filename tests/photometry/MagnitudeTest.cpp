// Zero point, magnitudes, signal-to-noise and the table refresh, against
// figures worked out by hand from the physical formulas.
#include <gtest/gtest.h>

#include "PhotometryRig.h"
#include "base/Errors.h"
#include "photometry/SignalNoise.h"

namespace vargaze {
namespace {

class TableRefreshTest : public ::testing::Test, public test::Rig {};

TEST(MagnitudeTest, ZeroPointFromComparisonStars) {
  // A comparison of net 10000 and magnitude 10 gives 10 + 2.5 * 4 = 20; the target has net 1000.
  struct Case { const char* what; int compNet; float rmag; double exposure; float magcal, target; bool diff, instr; };
  const Case cases[] = {
      {"calibrated", 10000, 10, 0, 20, 12.5f, false, false},
      {"per second: 10 + 2.5 * 3", 10000, 10, 10, 17.5f, 12.5f, false, false},
      {"comparison of net 100 is usable", 100, 10, 0, 15, 7.5f, false, false},
      {"net 99 falls back to instrumental", 99, 10, 0, 0, -7.5f, true, true},
      {"differential: 2.5 mag fainter", 10000, 0, 0, 10, 2.5f, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::Rig rig;
    rig.settings.InstmagCorr = c.exposure > 0;
    rig.exposure = c.exposure;
    const auto comp = rig.addStar(20, 20, c.compNet);
    const auto target = rig.addStar(60, 20, 1000);
    rig.makeComparison(comp, c.rmag);
    rig.flags.Blinkmode = true;
    rig.win.UpdateROItable(0);
    EXPECT_FLOAT_EQ(rig.win.Magcal, c.magcal);
    EXPECT_FLOAT_EQ(rig.win.roi(target).mag, c.target);
    // An unusable comparison stops the blinking and counts as an error.
    std::int32_t refstarerror = 0;
    rig.win.getmag(rig.win.roi(target), refstarerror);
    EXPECT_EQ(std::vector({rig.win.Diffmag, rig.win.InstrMag, rig.flags.Blinkmode, refstarerror == 1}),
              std::vector({c.diff, c.instr, !c.instr, c.instr}));
  }
}

TEST_F(TableRefreshTest, AveragedZeroPointDoublingAndFaintTargets) {
  makeComparison(addStar(20, 20, 10000), 10.0f);  // zero point 20
  makeComparison(addStar(60, 20, 1000), 12.0f);   // zero point 19.5
  const auto single = addStar(100, 40, 100000), twice = addStar(100, 60, 200000);
  const auto faint = addStar(20, 60, 10), least = addStar(60, 60, 11);  // the least signal is 11
  stars[{60, 40}] = 5000;
  draw();
  const auto bare = win.Newroi(59, 39);  // background never placed
  win.UpdateROItable(0);
  EXPECT_EQ(std::pair(win.Magcal, win.MagCalEdit), std::pair(19.75f, std::string("19.75")));
  EXPECT_FLOAT_EQ(win.roi(single).mag, 19.75f - 12.5f);
  EXPECT_NEAR(win.roi(single).mag - win.roi(twice).mag, 0.7525750, 1e-5);  // 2.5 lg 2
  EXPECT_NEAR(win.roi(least).mag, 19.75 - 2.6034817, 1e-5);
  EXPECT_EQ(std::vector({win.roi(faint).mag, win.roi(bare).mag, float(win.roi(bare).SN)}), std::vector({99.0f, 99.0f, 0.0f}));
  for (const auto n : {faint, least, bare}) EXPECT_EQ(win.table1.cell(n, 5), "?") << n;
  // 0.5 counts per second still gets its magnitude, +0.753.
  test::Rig perSecond;
  perSecond.settings.InstmagCorr = true;
  perSecond.exposure = 100.0;
  const auto target = perSecond.addStar(60, 20, 50);
  perSecond.win.UpdateROItable(0);
  EXPECT_NEAR(perSecond.win.roi(target).mag, 0.7525750, 1e-5);
}

TEST(SignalNoiseTest, NoiseModelWorkedFigures) {
  TRoi1 roi;  // 25 star pixels holding 10000 counts, 2000 of them sky measured on 56 ring pixels
  std::tie(roi.acounts, roi.bcounts, roi.npixa, roi.npixb) = std::tuple(10000, 2000, 25, 56);
  Settings s;
  s.ReadnoiseElectrons = s.DarkElectronsPerSec = 0.0;
  const auto sn = [&](double gain, double readNoise, std::int32_t stacking, std::int32_t frames) {
    s.ElectronsPerCount = gain;
    s.ReadnoiseElectrons = readNoise;
    SnrModel model;
    model.SNRspecial = frames > 0;
    model.Stackingtype = stacking;
    model.Nstack = std::max(frames, 1);
    return signalToNoise(roi, 1.0, s, model, 0.0);
  };
  // 8000 / sqrt(2000/56 * (1 + 25/56) * 25 + 10000) = 8000 / 106.26 = 75.29
  EXPECT_EQ(sn(1, 0, 0, 0), 75);
  EXPECT_EQ(sn(1, 0, 1, 4), 151);  // four averaged frames: twice 75.29
  EXPECT_EQ(sn(1, 10, 0, 0), 66);  // 100 e² read variance per pixel: 65.52
  EXPECT_EQ(sn(1, 10, 0, 3), 54);  // three summed frames read three times: 53.77
  EXPECT_EQ(sn(0, 0, 0, 0), sn(2, 0, 0, 0));  // an unusable gain counts as 2
  EXPECT_NE(sn(2, 0, 0, 0), 75);
  roi.npixb = 0;  // background never placed
  EXPECT_EQ(sn(1, 0, 0, 0), 0);
  std::tie(roi.npixb, roi.acounts) = std::tuple(56, 0);
  EXPECT_EQ(sn(1, 0, 0, 0), 0);
  // S/N 50 against one comparison of S/N 100: 1.086 sqrt(0.02² + 0.010857²) = 0.0247.
  EXPECT_NEAR(magnitudeError(50, float(std::pow(1.0857 / 100, 2)), 1), 0.0247, 0.00005);

  // Scintillation 0.00395 / 0.2^(2/3) at airmass 1 and sea level; shorter
  // than a tenth of the aperture counts as that tenth; the frame's airmass
  // wins with the exponent 1.5; at 8000 m it is 1/e of that.
  SnrModel model;
  model.SNRspecial = true;
  const double sigma = SigmaScint(1.0, model, 1.0);
  EXPECT_NEAR(sigma, 0.011558, 1e-6);
  EXPECT_DOUBLE_EQ(SigmaScint(0.01, model, 1.0), myoung(0.02, model, 1.0));
  EXPECT_NEAR(myoung(1.0, model, 2.0) / sigma, std::pow(2.0, 1.5), 1e-12);
  model.LocationHeight = 8000;
  EXPECT_NEAR(myoung(1.0, model, 1.0) / sigma, std::exp(-1.0), 1e-12);
  model.LocationHeight = 0;
  // A star of S/N 1000 ends at 1 / sqrt(0.001² + 0.011558²) = 86.
  std::tie(roi.acounts, roi.bcounts, roi.npixa, roi.npixb) = std::tuple(1000000, 0, 1, 1000000);
  s.ElectronsPerCount = 1.0;
  s.ReadnoiseElectrons = 0.0;
  EXPECT_EQ(signalToNoise(roi, 1.0, s, SnrModel{}, 0.0), 1000);
  EXPECT_EQ(signalToNoise(roi, 1.0, s, model, sigma), 86);
  roi.acounts = 1000000000;
  EXPECT_NEAR(signalToNoise(roi, 1.0, s, SnrModel{}, 0.0), 31623, 1);
  model.DScope_m = 0.0;
  EXPECT_EQ(SigmaScint(1.0, model, 1.0), 0.0);
}

// Variable of net 4000 and comparison of net 9000 on a sky of 100: boxes of
// 25 pixels (sky 2500), rings 7 x 7 minus 3 x 3. S/N by hand: 42.07 and 75.96.
TEST_F(TableRefreshTest, RowsAsTheWindowShowsThem) {
  settings.ArcsecPerPixel = 2.0;
  const auto var = addStar(20, 20, 4000), comp = addStar(60, 20, 9000);
  const auto faint = addStar(100, 20, 750);  // S/N 750 / sqrt(2539 + 2500 + 750) = 9.86
  makeComparison(comp, 10.0f);
  win.bvri(comp) = BVRIRec{10.65f, 10.0f, 99.0f, 9.5f};
  win.bvri(var) = BVRIRec{12.0f, 11.0f, 10.5f, 10.0f};  // Var: no catalogue shown
  win.UpdateROItable(0);
  // Error 1.086 sqrt(1/42² + (1.0857/76)²) = 0.0302.
  EXPECT_EQ(win.table1.row(var), (RoiTableRow{"1", "6500", "2500", "4000", "4100", "10.880", "", "42 (0.030)", "", "", "", ""}));
  EXPECT_EQ(win.table1.row(comp),
            (RoiTableRow{"2", "11500", "2500", "9000", "9100", "10.000*", "0.000", "76", "0.650", "10.000", "", "9.500"}));
  // Sky 2500 per 10" x 10" box: 25 per square arcsecond below the zero
  // point 19.8856: 16.3908, shown with five significant digits.
  EXPECT_EQ(win.SkymagEdit, "16.39");
  EXPECT_EQ(win.table1.cell(faint, 7), "10 (0.110)");  // 1.086 sqrt(1/10² + (1.0857/76)²) = 0.10970
  // Without a comparison star: 1.086 / S/N, no sky brightness; raw camera frames show no S/N.
  win.roi(comp).ref = false;
  win.roi(comp).rmag = 0.0f;
  win.UpdateROItable(0);
  EXPECT_EQ(win.table1.cell(var, 7) + "|" + win.table1.cell(faint, 7) + "|" + win.SkymagEdit, "42 (0.026)|10 (0.109)|");
  img.OBSTYPE = "DSLR";
  win.UpdateROItable(0);
  EXPECT_EQ(win.table1.cell(var, 7), "");
}

TEST_F(TableRefreshTest, DriftOfTheFieldIsFollowed) {
  win.AutocenterCheckBox = true;
  const auto frame = [&](std::int32_t number, int dx, int dy) {
    flags.Activeframe = number;
    stars = {{{30 + dx, 30 + dy}, 30000}, {{70 + dx, 40 + dy}, 20000}};
    draw();
  };
  const auto a = addStar(30, 30, 30000), b = addStar(70, 40, 20000);
  frame(2, 2, -3);  // moved by (+2, -3), within the search half-size of round(0.75 * 4) = 3
  win.UpdateROItable(0);
  EXPECT_EQ(std::vector({win.roi(a).xa, win.roi(a).ya, win.roi(b).xa}), std::vector({32, 27, 72}));
  EXPECT_EQ(std::pair(imgwin.Vx, imgwin.Vy), std::pair(2.0, -3.0));
  EXPECT_EQ(win.roi(a).net(), 30000);
  frame(1, 0, 0);  // frame 1 again: positions reset to the start before measuring
  win.UpdateROItable(0);
  EXPECT_EQ(win.roi(a).xa, 30);
}

TEST_F(TableRefreshTest, EmptyRingIsReportedOncePerCommand) {
  addStar(20, 20, 4000);
  addStar(60, 20, 4000);
  win.BGinnerEdit.value = 13;  // inner larger than outer: no ring
  win.BGsizeEdit.value = 7;
  win.startCommand();
  win.UpdateROItable(0);
  win.UpdateROItable(0);
  EXPECT_EQ(ui.messages, std::vector<std::string>{"error imgwin:191"});
  EXPECT_EQ(win.roi(1).mag, 99.0f);
}

TEST(RoiTableTest, GrowthClearingAndTheFixedHeader) {
  RoiTable table(3);
  EXPECT_EQ(std::pair(table.rowCount(), table.cell(0, 7)), std::pair(4, std::string("S/N (error)")));
  table.setCell(10, 5, "12.500");  // a ROI number beyond the rows adds rows
  EXPECT_EQ(std::pair(table.rowCount(), table.cell(10, 5)), std::pair(11, std::string("12.500")));
  EXPECT_EQ(table.cell(50, 5), "");
  table.clearCells(10, 1, 11);
  EXPECT_EQ(table.cell(10, 5), "");
  EXPECT_THROW(table.setCell(0, 1, "x"), RangeError);
  EXPECT_THROW(table.cell(1, 12), RangeError);
}

}  // namespace
}  // namespace vargaze
