// The demo's own random numbers: the right distributions and the same
// sequence for the same seed.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "demo/DemoRandom.h"

namespace vargaze::demo {
namespace {

struct Moments {
  double mean = 0.0;
  double variance = 0.0;
};

template <typename Draw>
Moments moments(int n, Draw draw) {
  double sum = 0.0;
  double sumSquares = 0.0;
  for (int i = 0; i < n; ++i) {
    const double v = draw();
    sum += v;
    sumSquares += v * v;
  }
  const double mean = sum / n;
  return {mean, sumSquares / n - mean * mean};
}

TEST(DemoRandomTest, SameSeedGivesSameSequence) {
  DemoRandom a(42);
  DemoRandom b(42);
  DemoRandom c(43);
  bool differs = false;
  for (int i = 0; i < 100; ++i) {
    const double u = a.uniform();
    EXPECT_EQ(u, b.uniform());
    differs = differs || u != c.uniform();
    EXPECT_EQ(a.poisson(1500.0), b.poisson(1500.0));
  }
  EXPECT_TRUE(differs);
}

TEST(DemoRandomTest, UniformStaysInUnitIntervalWithMeanOneHalf) {
  DemoRandom random(1);
  const Moments m = moments(200000, [&] {
    const double u = random.uniform();
    EXPECT_GE(u, 0.0);
    EXPECT_LT(u, 1.0);
    return u;
  });
  EXPECT_NEAR(m.mean, 0.5, 0.003);
  EXPECT_NEAR(m.variance, 1.0 / 12.0, 0.001);
}

TEST(DemoRandomTest, NormalHasMeanZeroAndUnitSpread) {
  DemoRandom random(2);
  const Moments m = moments(200000, [&] { return random.normal(); });
  EXPECT_NEAR(m.mean, 0.0, 0.01);
  EXPECT_NEAR(m.variance, 1.0, 0.015);
}

// Mean and variance of a Poisson distribution both equal its parameter; the
// tolerances are about five standard errors for 200000 draws.
TEST(DemoRandomTest, PoissonMomentsForSmallAndLargeMeans) {
  for (const double lambda : {0.5, 4.0, 9.5, 10.0, 37.0, 1664.0, 120000.0}) {
    DemoRandom random(3);
    const Moments m =
        moments(200000, [&] { return static_cast<double>(random.poisson(lambda)); });
    const double meanTolerance = 5.0 * std::sqrt(lambda / 200000.0);
    EXPECT_NEAR(m.mean, lambda, meanTolerance) << "lambda " << lambda;
    EXPECT_NEAR(m.variance / lambda, 1.0, 0.02) << "lambda " << lambda;
  }
}

TEST(DemoRandomTest, PoissonProbabilitiesOfSmallCounts) {
  // P(k) = e^-2 2^k / k! for k = 0, 1, 2, 3.
  DemoRandom random(4);
  std::vector<int> counts(4, 0);
  const int n = 200000;
  for (int i = 0; i < n; ++i) {
    const auto k = random.poisson(2.0);
    if (k < 4) ++counts[static_cast<std::size_t>(k)];
  }
  const double expected[] = {0.135335, 0.270671, 0.270671, 0.180447};
  for (std::size_t k = 0; k < 4; ++k) {
    EXPECT_NEAR(counts[k] / double(n), expected[k], 0.005) << "k " << k;
  }
}

TEST(DemoRandomTest, PoissonOfZeroIsZeroAndNegativeMeansAreRefused) {
  DemoRandom random(5);
  EXPECT_EQ(random.poisson(0.0), 0);
  EXPECT_THROW(random.poisson(-1.0), std::invalid_argument);
  EXPECT_THROW(random.poisson(std::nan("")), std::invalid_argument);
}

}  // namespace
}  // namespace vargaze::demo
