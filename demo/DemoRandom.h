// Random numbers for the demo series that come out the same on every machine.
//
// std::mt19937 gives the same numbers with every standard library, its
// distributions do not (each library draws normal and Poisson numbers its own
// way). So the uniform, normal and Poisson numbers are built here from the raw
// engine output.
#pragma once

#include <cstdint>
#include <random>

namespace vargaze::demo {

class DemoRandom {
 public:
  explicit DemoRandom(std::uint32_t seed) : engine_(seed) {}

  // Uniform in [0, 1) with 53 random bits.
  double uniform();
  // Standard normal (mean 0, standard deviation 1), Marsaglia's polar method.
  double normal();
  // Poisson with the given mean (>= 0): multiplication method below 10,
  // Hörmann's transformed rejection (PTRS) from 10 on.
  std::int64_t poisson(double mean);

 private:
  std::int64_t poissonSmall(double mean);
  std::int64_t poissonLarge(double mean);

  std::mt19937 engine_;
  double spareNormal_ = 0.0;
  bool hasSpare_ = false;
};

}  // namespace vargaze::demo
