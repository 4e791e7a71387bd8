// Signal-to-noise and errors, with the worked figures computed by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "config/Settings.h"
#include "photometry/SignalNoise.h"

namespace vargaze {
namespace {

class SignalNoiseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings.ElectronsPerCount = 1.0;
    settings.ReadnoiseElectrons = 0.0;
    settings.DarkElectronsPerSec = 0.0;
    roi.acounts = 10000;
    roi.bcounts = 2000;
    roi.npixa = 25;
    roi.npixb = 56;
  }
  Settings settings;
  SnrModel model;
  TRoi1 roi;
};

TEST_F(SignalNoiseTest, BasicModel) {
  // sqrt(2000/56 * (1 + 25/56) * 25 + 10000) = 106.26; 8000 / 106.26 = 75.28
  EXPECT_EQ(signalToNoise(roi, 1.0, settings, model, 0.0), 75);
}

TEST_F(SignalNoiseTest, AveragedStackGainsTheSquareRootOfN) {
  model.SNRspecial = true;
  model.Stackingtype = 1;
  model.Nstack = 4;
  EXPECT_EQ(signalToNoise(roi, 1.0, settings, model, 0.0), 151);
}

TEST_F(SignalNoiseTest, SummedStackAddsReadNoisePerFrame) {
  settings.ReadnoiseElectrons = 10.0;
  const double a = 25, b = 56, A = 10000, B = 2000;
  const auto expected = [&](double readVariance) {
    return std::nearbyint((A - B) / std::sqrt((readVariance + B / b) * (1 + a / b) * a + A));
  };
  EXPECT_EQ(signalToNoise(roi, 1.0, settings, model, 0.0), expected(100));
  model.SNRspecial = true;
  model.Nstack = 3;
  EXPECT_EQ(signalToNoise(roi, 1.0, settings, model, 0.0), expected(300));
}

TEST_F(SignalNoiseTest, ScintillationLimitsBrightStars) {
  model.SNRspecial = true;
  model.DScope_m = 0.2;
  model.LocationHeight = 0;
  const double sigma = SigmaScint(1.0, model, 1.0);
  EXPECT_NEAR(sigma, 0.003952847075 * std::pow(0.2, -2.0 / 3.0), 1e-12);
  EXPECT_NEAR(sigma, 0.011558, 1e-6);
  // A star of S/N 1000 without scintillation ends at 86.
  TRoi1 bright;
  bright.acounts = 1000000000;
  bright.bcounts = 0;
  bright.npixa = 1;
  bright.npixb = 1000000;
  settings.ElectronsPerCount = 1.0;
  EXPECT_NEAR(signalToNoise(bright, 1.0, settings, SnrModel{}, 0.0), 31623, 1);
  // Feed the rounding step directly with an S/N of 1000.
  bright.acounts = 1000000;
  EXPECT_EQ(signalToNoise(bright, 1.0, settings, SnrModel{}, 0.0), 1000);
  EXPECT_EQ(signalToNoise(bright, 1.0, settings, model, sigma), 86);
}

TEST_F(SignalNoiseTest, ShortExposuresUseATenthOfTheAperture) {
  model.DScope_m = 0.2;
  EXPECT_DOUBLE_EQ(SigmaScint(0.01, model, 1.0), myoung(0.02, model, 1.0));
  // The frame's airmass wins when it is known; the exponent is 1.5.
  EXPECT_NEAR(myoung(1.0, model, 2.0) / myoung(1.0, model, 1.0), std::pow(2.0, 1.5), 1e-12);
  model.DScope_m = 0.0;
  EXPECT_EQ(SigmaScint(1.0, model, 1.0), 0.0);
}

TEST_F(SignalNoiseTest, NoSignalOrNoBackgroundGivesZero) {
  roi.npixb = 0;  // background never placed
  EXPECT_EQ(signalToNoise(roi, 1.0, settings, model, 0.0), 0);
  roi.npixb = 56;
  roi.acounts = 0;
  EXPECT_EQ(signalToNoise(roi, 1.0, settings, model, 0.0), 0);
  roi.acounts = 10000;
  settings.ElectronsPerCount = 0.0;  // an unusable gain falls back to 2
  Settings two = settings;
  two.ElectronsPerCount = 2.0;
  EXPECT_EQ(signalToNoise(roi, 1.0, settings, model, 0.0),
            signalToNoise(roi, 1.0, two, model, 0.0));
}

TEST_F(SignalNoiseTest, MagnitudeErrorOfTheWorkedExample) {
  const auto compSum = static_cast<float>(std::pow(1.0857 / 100, 2));
  const double error = magnitudeError(50, compSum, 1);
  EXPECT_NEAR(error, 0.0247, 0.00005);
}

}  // namespace
}  // namespace vargaze
