// The demo frames as read back from their files: header values, sky, noise,
// star light, drift; and the noise-free model they are drawn from.
#include <gtest/gtest.h>

#include <cmath>

#include "DemoFolder.h"
#include "FrameMeasure.h"
#include "demo/DemoSky.h"
#include "image/Imgbuffer.h"

namespace vargaze::test {
namespace {

// Design values: zero point 22 (electrons per second), 30 s, 2 e-/ADU,
// 8 e- read noise, sky 800 ADU at the centre with 0.25 and -0.15 ADU per pixel.
constexpr double kZeroPoint = 22.0;
constexpr double kExposure = 30.0;
constexpr double kGain = 2.0;
constexpr double kReadNoise = 8.0;

double expectedAdu(double vmag) {
  return std::pow(10.0, 0.4 * (kZeroPoint - vmag)) * kExposure / kGain;
}

double designSky(int x, int y) { return 800.0 + 0.25 * (x - 256.5) - 0.15 * (y - 192.5); }

class DemoFrameTest : public DemoFolder {
 protected:
  static Timgbuffer read(int frame) {
    Timgbuffer img;
    char name[32];
    std::snprintf(name, sizeof name, "demo_%03d.fit", frame);
    EXPECT_TRUE(img.Readfitsfile(file(name))) << img.readError;
    return img;
  }

  const demo::DemoDesign design = demo::makeDemoDesign(kOptions);
};

TEST_F(DemoFrameTest, HeaderValuesReadBack) {
  const char* dates[] = {"2024-03-15T20:00:00.000", "2024-03-15T20:01:00.000",
                         "2024-03-15T20:02:00.000"};
  double previousAirmass = 0.0;
  for (int frame = 1; frame <= 3; ++frame) {
    const Timgbuffer img = read(frame);
    EXPECT_EQ(img.xsize, 512);
    EXPECT_EQ(img.ysize, 384);
    EXPECT_EQ(img.bufferbyte, kPixel16);
    EXPECT_EQ(img.Datetime, dates[frame - 1]);
    EXPECT_NEAR(img.JDstart, 2460384.5 + 20.0 / 24.0 + (frame - 1) / 1440.0, 1e-6);
    EXPECT_DOUBLE_EQ(img.Exposure, 30.0);
    EXPECT_EQ(img.FilterName, "V");
    EXPECT_EQ(img.FilterType, 3);
    EXPECT_NEAR(img.Airmass, 1.2, 0.01);
    EXPECT_GT(img.Airmass, previousAirmass);
    previousAirmass = img.Airmass;
  }
}

// Pixels well away from every star: their mean follows the designed sky and
// their spread is photon plus read noise, sqrt(800 * 2 + 8^2) / 2 ADU.
TEST_F(DemoFrameTest, SkyLevelAndNoiseAsDesigned) {
  const Timgbuffer img = read(1);
  std::vector<std::pair<double, double>> stars;
  for (const auto& s : design.field) stars.emplace_back(s.x, s.y);
  for (const auto& s : design.named) stars.emplace_back(s.x, s.y);
  double sum = 0.0, sumSquares = 0.0;
  int n = 0;
  for (int y = 1; y <= img.ysize; ++y) {
    for (int x = 1; x <= img.xsize; ++x) {
      bool clear = true;
      for (const auto& [sx, sy] : stars) clear = clear && std::hypot(x - sx, y - sy) > 15.0;
      if (!clear) continue;
      const double r = pixel(img, x, y) - designSky(x, y);
      sum += r;
      sumSquares += r * r;
      ++n;
    }
  }
  ASSERT_GT(n, 100000);
  const double mean = sum / n;
  const double sigma = std::sqrt(sumSquares / n - mean * mean);
  EXPECT_NEAR(mean, 0.0, 0.3);
  EXPECT_NEAR(sigma, std::sqrt(800.0 * kGain + kReadNoise * kReadNoise) / kGain, 0.3);
}

// The whole light of each star above the sky, measured plainly, is
// 10^(0.4 (22 - V)) * 30 s / 2 e-/ADU within the noise.
TEST_F(DemoFrameTest, StarLightFollowsTheZeroPoint) {
  const double vmag[] = {0.0, 11.74, 12.12, 12.58, 12.41};
  const Timgbuffer img = read(1);
  for (std::size_t i = 1; i < 5; ++i) {
    const auto& s = design.named[i];
    EXPECT_NEAR(starLight(img, s.x, s.y) / expectedAdu(vmag[i]), 1.0, 0.02) << s.name;
  }
}

TEST_F(DemoFrameTest, VariableIsFaintestAtTheMiddleFrame) {
  const auto& v = design.named[demo::kVariable];
  const Timgbuffer first = read(1);
  const Timgbuffer middle = read(2);
  EXPECT_NEAR(starLight(first, v.x, v.y) / expectedAdu(12.30), 1.0, 0.02);
  EXPECT_NEAR(starLight(middle, v.x + 1.5, v.y - 1.0) / expectedAdu(13.10), 1.0, 0.03);
}

TEST_F(DemoFrameTest, FieldDriftsThreePixelsRightAndTwoUp) {
  const auto& c = design.named[1];
  const Timgbuffer first = read(1);
  const Timgbuffer last = read(3);
  double x1 = 0, y1 = 0, x3 = 0, y3 = 0;
  centroid(first, c.x, c.y, x1, y1);
  centroid(last, c.x + 3.0, c.y - 2.0, x3, y3);
  EXPECT_NEAR(x1, c.x, 0.05);
  EXPECT_NEAR(y1, c.y, 0.05);
  EXPECT_NEAR(x3 - x1, 3.0, 0.05);
  EXPECT_NEAR(y3 - y1, -2.0, 0.05);
}

TEST_F(DemoFrameTest, ModelHoldsTheWholeStarLightOnThePixels) {
  const std::vector<double> model = demo::expectedFrame(design, 0);
  const auto& s = design.named[2];  // C2, V 12.12
  const auto px = static_cast<int>(std::lround(s.x));
  const auto py = static_cast<int>(std::lround(s.y));
  double light = 0.0;
  for (int y = py - 14; y <= py + 14; ++y) {
    for (int x = px - 14; x <= px + 14; ++x) {
      light += model[std::size_t(y - 1) * 512 + std::size_t(x - 1)] - designSky(x, y);
    }
  }
  EXPECT_NEAR(light / expectedAdu(12.12), 1.0, 1e-6);
  // The peak lies on the star's own pixel.
  const double peak = model[std::size_t(py - 1) * 512 + std::size_t(px - 1)];
  for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
    EXPECT_GT(peak, model[std::size_t(py - 1 + dy) * 512 + std::size_t(px - 1 + dx)]);
  }
}

TEST_F(DemoFrameTest, SameFrameEveryTimeAndDifferentNoisePerFrame) {
  const Timgbuffer a = demo::renderFrame(design, 0);
  const Timgbuffer b = demo::renderFrame(design, 0);
  const Timgbuffer c = demo::renderFrame(design, 1);
  const Timgbuffer fromFile = read(1);
  const std::size_t n = 512 * 384;
  EXPECT_TRUE(std::equal(a.data16(), a.data16() + n, b.data16()));
  EXPECT_TRUE(std::equal(a.data16(), a.data16() + n, fromFile.data16()));
  // Same sky, new noise: a corner pixel with no star differs somewhere.
  int differing = 0;
  for (std::size_t i = 0; i < 1000; ++i) differing += a.data16()[i] != c.data16()[i] ? 1 : 0;
  EXPECT_GT(differing, 900);
}

}  // namespace
}  // namespace vargaze::test
