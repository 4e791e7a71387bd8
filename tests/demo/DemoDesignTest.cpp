// The demo design as plain data: option limits, star layout, frame times and
// the injected light curve, checked against what each value is said to mean;
// and the demo's own random numbers against their distributions' formulas.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>

#include "demo/DemoRandom.h"
#include "demo/DemoSeries.h"

namespace vargaze::demo {
namespace {

// Julian Date of an ISO date-time, from the C library's calendar.
double jdOf(const std::string& iso) {
  std::tm tm{};
  double seconds = 0.0;
  EXPECT_EQ(std::sscanf(iso.c_str(), "%d-%d-%dT%d:%d:%lf", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                        &tm.tm_hour, &tm.tm_min, &seconds), 6) << iso;
  tm.tm_year -= 1900;
  --tm.tm_mon;
  return 2440587.5 + (static_cast<double>(timegm(&tm)) + seconds) / 86400.0;
}

TEST(DemoDesignTest, OptionLimits) {
  const std::pair<DemoOptions, bool> cases[] = {
      {{2, 128, 128}, true},   {{999, 4096, 4096}, true}, {{1, 512, 384}, false},  {{1000, 512, 384}, false},
      {{40, 127, 384}, false}, {{40, 512, 127}, false},   {{40, 4097, 384}, false}, {{40, 512, 4097}, false}};
  for (const auto& [o, valid] : cases) {
    SCOPED_TRACE(std::to_string(o.frames) + " of " + std::to_string(o.width) + "x" + std::to_string(o.height));
    EXPECT_EQ(checkDemoOptions(o).empty(), valid);
    if (!valid) {
      EXPECT_THROW(makeDemoDesign(o), std::invalid_argument);
    }
  }
}

// Every ROI with its 19-pixel ring, shifted by the drift, stays inside the
// frame and apart from the others at every allowed size; background stars lie
// in the frame and keep out of the rings by 3 sigma of their light.
TEST(DemoDesignTest, StarsFitEveryFrameSize) {
  for (const DemoOptions o : {DemoOptions{2, 128, 128}, DemoOptions{40, 512, 384}, DemoOptions{2, 128, 4096},
                              DemoOptions{2, 4096, 128}, DemoOptions{2, 4096, 4096}}) {
    const DemoDesign d = makeDemoDesign(o);
    SCOPED_TRACE(std::to_string(o.width) + "x" + std::to_string(o.height));
    for (const NamedStar& s : d.named) {
      for (const double x : {s.x, s.x + d.driftX}) EXPECT_TRUE(x >= 20 && x <= d.width - 20) << s.name;
      for (const double y : {s.y, s.y + d.driftY}) EXPECT_TRUE(y >= 20 && y <= d.height - 20) << s.name;
      for (const NamedStar& other : d.named) {
        EXPECT_TRUE(&other == &s || std::hypot(s.x - other.x, s.y - other.y) >= 25.0) << s.name;
      }
      for (const FieldStar& f : d.field) {
        EXPECT_GE(std::hypot(f.x - s.x, f.y - s.y), 10.0 + 3.0 * d.camera.psfSigma) << s.name;
        EXPECT_TRUE(f.x >= 1 && f.x <= d.width && f.y >= 1 && f.y <= d.height);
      }
    }
  }
}

// A long series, past midnight: names with three digits in frame order,
// starts one cadence apart whose date text says the same instant, airmass
// and drift growing evenly to the last frame, and the variable following the
// eclipse at mid-exposure, with the minimum in the middle of the night.
TEST(DemoDesignTest, FramesFollowTheCadenceFromTheFirstStart) {
  const DemoDesign d = makeDemoDesign({999, 128, 128});
  const FrameTruth first = frameTruth(d, 0), last = frameTruth(d, d.frames - 1);
  EXPECT_TRUE(first.jdStart == d.startJD && first.shiftX == 0.0 && first.shiftY == 0.0);
  EXPECT_NEAR(last.shiftX, d.driftX, 1e-12);
  EXPECT_NEAR(last.shiftY, d.driftY, 1e-12);
  EXPECT_NEAR(d.eclipse.minimumJD, 0.5 * (first.jdMiddle + last.jdMiddle), 1e-9);
  EXPECT_GT(d.eclipse.minimumJD - d.eclipse.halfDuration, first.jdMiddle);
  for (int i = 0; i < d.frames; ++i) {
    const FrameTruth t = frameTruth(d, i);
    SCOPED_TRACE(t.dateObs);
    char name[32];
    std::snprintf(name, sizeof name, "demo_%03d.fit", i + 1);
    EXPECT_EQ(t.fileName, name);
    EXPECT_NEAR(jdOf(t.dateObs), t.jdStart, 0.5e-3 / 86400);  // the text holds milliseconds
    EXPECT_NEAR((t.jdMiddle - t.jdStart) * 86400, 0.5 * d.camera.exposure, 1e-4);
    EXPECT_NEAR(t.airmass - d.airmassStart, d.airmassPerHour * (t.jdMiddle - d.startJD) * 24, 1e-9);
    if (i > 0) {
      const FrameTruth before = frameTruth(d, i - 1);
      EXPECT_NEAR((t.jdStart - before.jdStart) * 86400, d.cadenceSeconds, 1e-3);
      EXPECT_NEAR(t.shiftX - before.shiftX, d.driftX / (d.frames - 1), 1e-12);
      EXPECT_NEAR(t.shiftY - before.shiftY, d.driftY / (d.frames - 1), 1e-12);
    }
    ASSERT_EQ(t.vmag.size(), d.named.size());
    EXPECT_EQ(t.vmag[kVariable], eclipseMagnitude(d.eclipse, t.jdMiddle));
    for (std::size_t k = kFirstComparison; k <= kCheck; ++k) EXPECT_EQ(t.vmag[k], double(d.named[k].catalogue.Vmag));
  }
  EXPECT_THROW(frameTruth(d, -1), std::out_of_range);
  EXPECT_THROW(frameTruth(d, d.frames), std::out_of_range);
}

// The eclipse against cos^2 of the phase, flat outside, without a step at
// the contacts; the sky at its level in the frame centre, rising by
// skyRiseX / skyRiseY from edge to edge.
TEST(DemoDesignTest, EclipseAndSkyShapes) {
  const Eclipse e{12.3, 0.8, 2460385.35, 0.01};
  const double cases[][3] = {{0.0, 13.1, 1e-12},    {-0.01, 12.3, 1e-12}, {0.02, 12.3, 1e-12},
                             {-0.5, 12.3, 1e-12},   {0.005, 12.7, 1e-7},  {-0.005, 12.7, 1e-7},
                             {0.0099, 12.3, 1e-3}};  // days from the minimum, magnitude, tolerance
  for (const auto& c : cases) EXPECT_NEAR(eclipseMagnitude(e, e.minimumJD + c[0]), c[1], c[2]) << c[0];
  const Camera c;
  for (const int w : {128, 511, 512}) {
    const int h = w * 3 / 4;
    EXPECT_NEAR(skyLevel(c, w, h, 0.5 * (w + 1), 0.5 * (h + 1)), c.skyLevel, 1e-9) << w;
    EXPECT_NEAR(skyLevel(c, w, h, w + 0.5, 9) - skyLevel(c, w, h, 0.5, 9), c.skyRiseX, 1e-9);
    EXPECT_NEAR(skyLevel(c, w, h, 9, h + 0.5) - skyLevel(c, w, h, 9, 0.5), c.skyRiseY, 1e-9);
  }
}

// Mean and variance of kDraws draws of the demo's own random numbers.
constexpr int kDraws = 200000;
std::pair<double, double> moments(const std::function<double()>& draw) {
  double sum = 0.0, sumSquares = 0.0;
  for (int i = 0; i < kDraws; ++i) {
    const double v = draw();
    sum += v;
    sumSquares += v * v;
  }
  return {sum / kDraws, sumSquares / kDraws - sum * sum / kDraws / kDraws};
}

// The same seed gives the same numbers (the frames show that other seeds do
// not). Uniform in [0, 1) and standard normal; Poisson mean and variance equal
// its parameter (five standard errors of tolerance) on both sides of the
// switch of method at 10, with the probabilities e^-2 2^k / k! of small counts.
TEST(DemoRandomTest, DistributionsFollowTheirFormulas) {
  DemoRandom random(1), again(1);
  for (int i = 0; i < 100; ++i) {
    EXPECT_TRUE(random.uniform() == again.uniform() && random.normal() == again.normal() &&
                random.poisson(1500.0) == again.poisson(1500.0));
  }
  const auto [mean, variance] = moments([&] {
    const double u = random.uniform();
    EXPECT_TRUE(u >= 0.0 && u < 1.0) << u;
    return u;
  });
  EXPECT_NEAR(mean, 0.5, 0.003);
  EXPECT_NEAR(variance, 1.0 / 12.0, 0.001);
  const auto [normalMean, normalVariance] = moments([&] { return random.normal(); });
  EXPECT_NEAR(normalMean, 0.0, 0.01);
  EXPECT_NEAR(normalVariance, 1.0, 0.015);
  for (const double lambda : {0.5, 4.0, 9.5, 10.0, 37.0, 1664.0, 120000.0}) {
    const auto [m, v] = moments([&] { return double(random.poisson(lambda)); });
    EXPECT_NEAR(m, lambda, 5.0 * std::sqrt(lambda / kDraws)) << "lambda " << lambda;
    EXPECT_NEAR(v / lambda, 1.0, 0.02) << "lambda " << lambda;
  }
  int counts[4] = {};
  for (int i = 0; i < kDraws; ++i) {
    const auto k = random.poisson(2.0);
    if (k < 4) ++counts[k];
  }
  for (int k = 0; k < 4; ++k) {
    EXPECT_NEAR(counts[k] / double(kDraws), std::exp(-2.0) * std::pow(2.0, k) / std::tgamma(k + 1), 0.005) << k;
  }
  EXPECT_EQ(random.poisson(0.0), 0);
  EXPECT_THROW(random.poisson(-1.0), std::invalid_argument);
  EXPECT_THROW(random.poisson(std::nan("")), std::invalid_argument);
}

}  // namespace
}  // namespace vargaze::demo
