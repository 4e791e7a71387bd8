// Zero point and magnitudes through the ROI window, with the worked figures.
#include <gtest/gtest.h>

#include "RoiWindowFixture.h"

namespace vargaze {
namespace {

class MagnitudeTest : public test::RoiWindowFixture {};

TEST_F(MagnitudeTest, OneComparisonStarSetsTheZeroPoint) {
  const auto comp = addStar(20, 20, 10000);
  const auto target = addStar(60, 20, 1000);
  makeComparison(comp, 10.0f);
  window.UpdateROItable(0);
  EXPECT_FLOAT_EQ(window.Magcal, 20.0f);  // 10 + 2.5 * 4
  EXPECT_FLOAT_EQ(window.roi(target).mag, 12.5f);
  EXPECT_EQ(window.MagCalEdit, "20.00");
  EXPECT_EQ(window.table1.cell(target, 5), "12.500");
  EXPECT_EQ(window.table1.cell(comp, 5), "10.000*");
  EXPECT_FALSE(window.Diffmag);
  EXPECT_FALSE(window.InstrMag);
}

TEST_F(MagnitudeTest, TimeCorrectionDividesByTheExposure) {
  settings.InstmagCorr = true;
  exposure = 10.0;
  const auto comp = addStar(20, 20, 10000);
  const auto target = addStar(60, 20, 1000);
  makeComparison(comp, 10.0f);
  window.UpdateROItable(0);
  EXPECT_FLOAT_EQ(window.Magcal, 17.5f);  // 10 + 2.5 * 3
  EXPECT_FLOAT_EQ(window.roi(target).mag, 12.5f);
}

TEST_F(MagnitudeTest, TwoComparisonStarsAverageTheirZeroPoints) {
  const auto a = addStar(20, 20, 10000);  // zero point 10 + 10 = 20
  const auto b = addStar(60, 20, 1000);   // zero point 12 + 7.5 = 19.5
  addStar(100, 40, 100000);
  makeComparison(a, 10.0f);
  makeComparison(b, 12.0f);
  window.UpdateROItable(0);
  EXPECT_FLOAT_EQ(window.Magcal, 19.75f);
  EXPECT_FLOAT_EQ(window.roi(3).mag, 19.75f - 12.5f);
}

TEST_F(MagnitudeTest, FaintComparisonStarFallsBackToInstrumental) {
  const auto comp = addStar(20, 20, 99);
  const auto target = addStar(60, 20, 1000);
  makeComparison(comp, 10.0f);
  flags.Blinkmode = true;
  window.UpdateROItable(0);
  EXPECT_TRUE(window.InstrMag);
  EXPECT_TRUE(window.Diffmag);
  EXPECT_EQ(window.Magcal, 0.0f);
  EXPECT_FLOAT_EQ(window.roi(target).mag, -7.5f);
  EXPECT_FALSE(flags.Blinkmode);  // a faint comparison star stops the blinking
  std::int32_t refstarerror = 0;
  window.getmag(window.roi(target), refstarerror);
  EXPECT_EQ(refstarerror, 1);
}

TEST_F(MagnitudeTest, DifferentialAgainstAComparisonOfUnknownMagnitude) {
  const auto comp = addStar(20, 20, 10000);
  const auto target = addStar(60, 20, 1000);
  makeComparison(comp, 0.0f);
  window.UpdateROItable(0);
  EXPECT_TRUE(window.Diffmag);
  EXPECT_FALSE(window.InstrMag);
  EXPECT_FLOAT_EQ(window.roi(target).mag, 2.5f);  // 2.5 mag fainter than the comparison
}

TEST_F(MagnitudeTest, TooFaintOrUnmeasuredTargetsGetNoMagnitude) {
  const auto faint = addStar(20, 20, 10);
  window.UpdateROItable(0);
  EXPECT_EQ(window.roi(faint).mag, 99.0f);
  EXPECT_EQ(window.table1.cell(faint, 5), "?");
  // A ROI whose background was never placed.
  stars[{60, 40}] = 5000;
  draw();
  const auto bare = window.Newroi(59, 39);
  window.UpdateROItable(0);
  EXPECT_EQ(window.roi(bare).npixb, 0);
  EXPECT_EQ(window.roi(bare).mag, 99.0f);
  EXPECT_EQ(window.roi(bare).SN, 0);
  EXPECT_EQ(window.table1.cell(bare, 5), "?");
}

TEST_F(MagnitudeTest, FaintSignalsBelowOneCountPerSecondStillGetTheirMagnitude) {
  settings.InstmagCorr = true;
  exposure = 100.0;
  const auto target = addStar(60, 20, 50);  // 0.5 counts per second
  window.UpdateROItable(0);
  EXPECT_NEAR(window.roi(target).mag, -2.5 * std::log10(0.5), 1e-5);
}

}  // namespace
}  // namespace vargaze
