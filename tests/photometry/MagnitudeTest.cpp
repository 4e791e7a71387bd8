// Zero point, magnitudes, signal-to-noise and the table refresh, against
// figures worked out by hand from the physical formulas.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "PhotometryRig.h"
#include "base/Errors.h"
#include "photometry/SignalNoise.h"

namespace vargaze {
namespace {

TEST(MagnitudeTest, ZeroPointFromComparisonStars) {
  // Net counts: comparison 10000 of magnitude 10 gives 10 + 2.5 * 4 = 20.
  struct Case { const char* what; int compNet; float rmag; double exposure; bool corr;
                float magcal; float target; bool diff, instr; };
  const Case cases[] = {
      {"calibrated", 10000, 10.0f, 0, false, 20.0f, 12.5f, false, false},
      {"per second: 10 + 2.5 * 3", 10000, 10.0f, 10, true, 17.5f, 12.5f, false, false},
      {"comparison of net 100 is usable", 100, 10.0f, 0, false, 15.0f, 7.5f, false, false},
      {"net 99 falls back to instrumental", 99, 10.0f, 0, false, 0.0f, -7.5f, true, true},
      {"differential: 2.5 mag fainter", 10000, 0.0f, 0, false, 10.0f, 2.5f, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::Rig rig;
    rig.settings.InstmagCorr = c.corr;
    rig.exposure = c.exposure;
    const auto comp = rig.addStar(20, 20, c.compNet);
    const auto target = rig.addStar(60, 20, 1000);
    rig.makeComparison(comp, c.rmag);
    rig.flags.Blinkmode = true;
    rig.win.UpdateROItable(0);
    EXPECT_FLOAT_EQ(rig.win.Magcal, c.magcal);
    EXPECT_FLOAT_EQ(rig.win.roi(target).mag, c.target);
    EXPECT_EQ(rig.win.Diffmag, c.diff);
    EXPECT_EQ(rig.win.InstrMag, c.instr);
    EXPECT_EQ(rig.flags.Blinkmode, !c.instr);  // an unusable comparison stops the blinking
    std::int32_t refstarerror = 0;
    rig.win.getmag(rig.win.roi(target), refstarerror);
    EXPECT_EQ(refstarerror, c.instr ? 1 : 0);
  }
}

TEST(MagnitudeTest, AveragedZeroPointDoublingAndFaintTargets) {
  test::Rig rig;
  rig.makeComparison(rig.addStar(20, 20, 10000), 10.0f);  // zero point 20
  rig.makeComparison(rig.addStar(60, 20, 1000), 12.0f);   // zero point 19.5
  const auto single = rig.addStar(100, 40, 100000);
  const auto twice = rig.addStar(100, 60, 200000);
  const auto faint = rig.addStar(20, 60, 10);  // below the least signal of 11
  const auto least = rig.addStar(60, 60, 11);
  rig.stars[{60, 40}] = 5000;
  rig.draw();
  const auto bare = rig.win.Newroi(59, 39);  // background never placed
  rig.win.UpdateROItable(0);
  EXPECT_FLOAT_EQ(rig.win.Magcal, 19.75f);
  EXPECT_EQ(rig.win.MagCalEdit, "19.75");
  EXPECT_FLOAT_EQ(rig.win.roi(single).mag, 19.75f - 12.5f);
  EXPECT_NEAR(rig.win.roi(single).mag - rig.win.roi(twice).mag, 0.7525750, 1e-5);
  EXPECT_EQ(rig.win.roi(faint).mag, 99.0f);
  EXPECT_NEAR(rig.win.roi(least).mag, 19.75 - 2.6034817, 1e-5);
  EXPECT_EQ(rig.win.roi(bare).mag, 99.0f);
  EXPECT_EQ(rig.win.roi(bare).SN, 0);
  for (const auto n : {faint, least, bare}) EXPECT_EQ(rig.win.table1.cell(n, 5), "?") << n;

  // 0.5 counts per second still gets its magnitude, +0.753.
  test::Rig perSecond;
  perSecond.settings.InstmagCorr = true;
  perSecond.exposure = 100.0;
  const auto target = perSecond.addStar(60, 20, 50);
  perSecond.win.UpdateROItable(0);
  EXPECT_NEAR(perSecond.win.roi(target).mag, 0.7525750, 1e-5);
}

// Star box of 25 pixels holding 10000 counts, 2000 of them background
// measured on 56 ring pixels; gain 1.
TEST(SignalNoiseTest, NoiseModelWorkedFigures) {
  TRoi1 roi;
  roi.acounts = 10000;
  roi.bcounts = 2000;
  roi.npixa = 25;
  roi.npixb = 56;
  Settings s;
  s.ElectronsPerCount = 1.0;
  s.ReadnoiseElectrons = 0.0;
  s.DarkElectronsPerSec = 0.0;
  const auto sn = [&](const Settings& settings, std::int32_t stacking, std::int32_t n) {
    SnrModel model;
    model.SNRspecial = n > 0;
    model.Stackingtype = stacking;
    model.Nstack = std::max(n, 1);
    return signalToNoise(roi, 1.0, settings, model, 0.0);
  };
  // 8000 / sqrt(2000/56 * (1 + 25/56) * 25 + 10000) = 8000 / 106.26 = 75.29
  EXPECT_EQ(sn(s, 0, 0), 75);
  EXPECT_EQ(sn(s, 1, 4), 151);  // four averaged frames: twice 75.29
  Settings noisy = s;
  noisy.ReadnoiseElectrons = 10.0;
  EXPECT_EQ(sn(noisy, 0, 0), 66);  // 100 e² read variance per pixel: 65.52
  EXPECT_EQ(sn(noisy, 0, 3), 54);  // three summed frames read three times: 53.77
  Settings badGain = s;
  badGain.ElectronsPerCount = 0.0;  // an unusable gain counts as 2
  Settings two = s;
  two.ElectronsPerCount = 2.0;
  EXPECT_EQ(sn(badGain, 0, 0), sn(two, 0, 0));
  EXPECT_NE(sn(two, 0, 0), sn(s, 0, 0));
  roi.npixb = 0;  // background never placed
  EXPECT_EQ(sn(s, 0, 0), 0);
  roi.npixb = 56;
  roi.acounts = 0;
  EXPECT_EQ(sn(s, 0, 0), 0);
  // The error of S/N 50 against one comparison of S/N 100:
  // 1.086 * sqrt(0.02^2 + 0.010857^2) = 0.0247.
  EXPECT_NEAR(magnitudeError(50, static_cast<float>(std::pow(1.0857 / 100, 2)), 1), 0.0247, 0.00005);
}

TEST(SignalNoiseTest, ScintillationLimitsBrightStars) {
  SnrModel model;
  model.SNRspecial = true;
  model.DScope_m = 0.2;
  const double sigma = SigmaScint(1.0, model, 1.0);
  EXPECT_NEAR(sigma, 0.011558, 1e-6);  // 0.00395 / 0.2^(2/3) at airmass 1, sea level
  // Shorter than a tenth of the aperture: that tenth counts. The frame's
  // airmass wins when known, with the exponent 1.5; height 8000 m is 1/e.
  EXPECT_DOUBLE_EQ(SigmaScint(0.01, model, 1.0), myoung(0.02, model, 1.0));
  EXPECT_NEAR(myoung(1.0, model, 2.0) / sigma, std::pow(2.0, 1.5), 1e-12);
  model.LocationHeight = 8000;
  EXPECT_NEAR(myoung(1.0, model, 1.0) / sigma, std::exp(-1.0), 1e-12);
  model.DScope_m = 0.0;
  EXPECT_EQ(SigmaScint(1.0, model, 1.0), 0.0);
  // A star of S/N 1000 ends at 1 / sqrt(0.001^2 + 0.011558^2) = 86.
  TRoi1 bright;
  bright.acounts = 1000000;
  bright.npixa = 1;
  bright.npixb = 1000000;
  Settings s;
  s.ElectronsPerCount = 1.0;
  s.ReadnoiseElectrons = s.DarkElectronsPerSec = 0.0;
  EXPECT_EQ(signalToNoise(bright, 1.0, s, SnrModel{}, 0.0), 1000);
  model.DScope_m = 0.2;
  EXPECT_EQ(signalToNoise(bright, 1.0, s, model, sigma), 86);
  bright.acounts = 1000000000;
  EXPECT_NEAR(signalToNoise(bright, 1.0, s, SnrModel{}, 0.0), 31623, 1);
}

// Variable of net 4000 and comparison of net 9000 on a sky of 100: star
// boxes 25 pixels (sky 2500), rings 7 x 7 minus 3 x 3. S/N by hand: 42 and 76.
TEST(TableRefreshTest, RowsAsTheWindowShowsThem) {
  test::Rig rig;
  const auto var = rig.addStar(20, 20, 4000);
  const auto comp = rig.addStar(60, 20, 9000);
  rig.makeComparison(comp, 10.0f);
  rig.win.bvri(comp) = BVRIRec{10.65f, 10.0f, 99.0f, 9.5f};
  rig.win.bvri(var) = BVRIRec{12.0f, 11.0f, 10.5f, 10.0f};  // Var: no catalogue shown
  rig.win.UpdateROItable(0);
  const RoiTableRow varRow{"1", "6500", "2500", "4000", "4100", "10.880",
                           "", "42 (0.030)", "", "", "", ""};
  const RoiTableRow compRow{"2", "11500", "2500", "9000", "9100", "10.000*",
                            "0.000", "76", "0.650", "10.000", "", "9.500"};
  EXPECT_EQ(rig.win.table1.row(var), varRow);
  EXPECT_EQ(rig.win.table1.row(comp), compRow);
  // 1.086 / 42 without a comparison star; camera raw frames show no S/N.
  rig.win.roi(comp).ref = false;
  rig.win.roi(comp).rmag = 0.0f;
  rig.win.UpdateROItable(0);
  EXPECT_EQ(rig.win.table1.cell(var, 7), "42 (0.026)");
  rig.img.OBSTYPE = "DSLR";
  rig.win.UpdateROItable(0);
  EXPECT_EQ(rig.win.table1.cell(var, 7), "");
}

TEST(TableRefreshTest, SkyBrightnessPerSquareArcsecond) {
  test::Rig rig;
  rig.settings.ArcsecPerPixel = 2.0;
  const auto comp = rig.addStar(60, 20, 10000);
  rig.addStar(20, 20, 4000);
  rig.makeComparison(comp, 10.0f);
  rig.win.UpdateROItable(0);
  // 2500 counts per 10" x 10" star box: 25 per square arcsecond, zero point
  // 20: 16.50515, shown with five significant digits as 16.505, then 16.50.
  EXPECT_EQ(rig.win.SkymagEdit, "16.50");
  rig.makeComparison(comp, 0.0f);  // differential: no sky brightness
  rig.win.UpdateROItable(0);
  EXPECT_EQ(rig.win.SkymagEdit, "");
}

TEST(TableRefreshTest, DriftOfTheFieldIsFollowed) {
  test::Rig rig;
  rig.win.AutocenterCheckBox = true;
  rig.stars = {{{30, 30}, 30000}, {{70, 40}, 20000}};
  rig.draw();
  const auto a = rig.win.Newroi(29, 29);
  const auto b = rig.win.Newroi(69, 39);
  rig.win.BGROI1(a, 29, 29);
  rig.win.BGROI1(b, 69, 39);
  // The next frame: the field moved by (+2, -3), within the search
  // half-size of round(0.75 * (5 - 1)) = 3 pixels.
  rig.flags.Activeframe = 2;
  rig.stars = {{{32, 27}, 30000}, {{72, 37}, 20000}};
  rig.draw();
  rig.win.UpdateROItable(0);
  EXPECT_EQ(std::pair(rig.win.roi(a).xa, rig.win.roi(a).ya), std::pair(32, 27));
  EXPECT_EQ(rig.win.roi(b).xa, 72);
  EXPECT_EQ(std::pair(rig.imgwin.Vx, rig.imgwin.Vy), std::pair(2.0, -3.0));
  EXPECT_EQ(rig.win.roi(a).net(), 30000);
  // Frame 1 again: positions reset to the start before measuring.
  rig.flags.Activeframe = 1;
  rig.stars = {{{30, 30}, 30000}, {{70, 40}, 20000}};
  rig.draw();
  rig.win.UpdateROItable(0);
  EXPECT_EQ(rig.win.roi(a).xa, 30);
}

TEST(TableRefreshTest, EmptyRingIsReportedOncePerCommand) {
  test::Rig rig;
  rig.addStar(20, 20, 4000);
  rig.addStar(60, 20, 4000);
  rig.win.BGinnerEdit.value = 13;  // inner larger than outer: no ring
  rig.win.BGsizeEdit.value = 7;
  rig.win.startCommand();
  rig.win.UpdateROItable(0);
  rig.win.UpdateROItable(0);
  EXPECT_EQ(std::count(rig.ui.messages.begin(), rig.ui.messages.end(), "error imgwin:191"), 1);
  EXPECT_EQ(rig.win.roi(1).mag, 99.0f);
}

TEST(RoiTableTest, GrowthClearingAndTheFixedHeader) {
  RoiTable table(3);
  EXPECT_EQ(table.rowCount(), 4);
  EXPECT_EQ(table.cell(0, 7), "S/N (error)");
  table.setCell(10, 5, "12.500");  // a ROI number beyond the rows adds rows
  EXPECT_EQ(table.rowCount(), 11);
  EXPECT_EQ(table.cell(10, 5), "12.500");
  EXPECT_EQ(table.cell(50, 5), "");
  table.clearCells(10, 1, 11);
  EXPECT_EQ(table.cell(10, 5), "");
  EXPECT_THROW(table.setCell(0, 1, "x"), RangeError);
  EXPECT_THROW(table.cell(1, 12), RangeError);
}

}  // namespace
}  // namespace vargaze
