#include "demo/DemoRandom.h"

#include <cmath>
#include <stdexcept>

namespace vargaze::demo {

double DemoRandom::uniform() {
  const std::uint64_t high = engine_() >> 5;  // 27 bits
  const std::uint64_t low = engine_() >> 6;   // 26 bits
  return static_cast<double>((high << 26) | low) * 0x1.0p-53;
}

double DemoRandom::normal() {
  if (hasSpare_) {
    hasSpare_ = false;
    return spareNormal_;
  }
  double u = 0.0;
  double v = 0.0;
  double s = 0.0;
  do {
    u = 2.0 * uniform() - 1.0;
    v = 2.0 * uniform() - 1.0;
    s = u * u + v * v;
  } while (s >= 1.0 || s == 0.0);
  const double factor = std::sqrt(-2.0 * std::log(s) / s);
  spareNormal_ = v * factor;
  hasSpare_ = true;
  return u * factor;
}

std::int64_t DemoRandom::poisson(double mean) {
  if (!(mean >= 0.0) || !std::isfinite(mean)) {
    throw std::invalid_argument("Poisson mean must be finite and not negative");
  }
  return mean < 10.0 ? poissonSmall(mean) : poissonLarge(mean);
}

std::int64_t DemoRandom::poissonSmall(double mean) {
  const double limit = std::exp(-mean);
  std::int64_t k = 0;
  double product = uniform();
  while (product > limit) {
    ++k;
    product *= uniform();
  }
  return k;
}

// W. Hörmann, "The transformed rejection method for generating Poisson random
// variables", Insurance: Mathematics and Economics 12 (1993), algorithm PTRS.
std::int64_t DemoRandom::poissonLarge(double mean) {
  const double slam = std::sqrt(mean);
  const double loglam = std::log(mean);
  const double b = 0.931 + 2.53 * slam;
  const double a = -0.059 + 0.02483 * b;
  const double invalpha = 1.1239 + 1.1328 / (b - 3.4);
  const double vr = 0.9277 - 3.6224 / (b - 2.0);
  for (;;) {
    const double u = uniform() - 0.5;
    const double v = uniform();
    const double us = 0.5 - std::fabs(u);
    if (us <= 0.0) continue;  // u == -0.5 exactly: no finite candidate
    const double k = std::floor((2.0 * a / us + b) * u + mean + 0.43);
    if (us >= 0.07 && v <= vr) return static_cast<std::int64_t>(k);
    if (k < 0.0 || (us < 0.013 && v > us)) continue;
    if (std::log(v) + std::log(invalpha) - std::log(a / (us * us) + b) <=
        -mean + k * loglam - std::lgamma(k + 1.0)) {
      return static_cast<std::int64_t>(k);
    }
  }
}

}  // namespace vargaze::demo
