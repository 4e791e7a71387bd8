// vargaze-cli sample: a small synthetic star frame, so the program can show
// what it reads without any camera file at hand.
#include <cmath>
#include <random>

#include "cli/Commands.h"
#include "image/Astro.h"
#include "image/Imgbuffer.h"

namespace vargaze::cli {

namespace {

struct Star {
  double x, y;  // 1-based pixel position
  double flux;  // total counts
};

constexpr int kSize = 256;
constexpr double kSky = 800.0;
constexpr double kSigma = 1.8;  // Gaussian width of the stars in pixels

double starLight(const Star& s, int x, int y) {
  const double dx = x - s.x;
  const double dy = y - s.y;
  return s.flux / (2 * M_PI * kSigma * kSigma) * std::exp(-(dx * dx + dy * dy) / (2 * kSigma * kSigma));
}

}  // namespace

int sampleCommand(const Args& args) {
  if (args.size() != 1) return reportError("usage: vargaze-cli sample OUT");
  const Star stars[] = {{64.3, 70.8, 250000}, {150.6, 120.2, 90000}, {200.1, 40.5, 40000},
                        {90.7, 200.4, 15000}, {180.2, 210.9, 120000}};
  Timgbuffer img;
  img.init(kSize, kSize, kPixel16);
  std::mt19937 random(20231005);  // fixed seed: the same frame on every run
  for (int y = 1; y <= kSize; ++y) {
    for (int x = 1; x <= kSize; ++x) {
      double light = kSky + 0.5 * x;  // a gentle sky gradient
      for (const Star& s : stars) light += starLight(s, x, y);
      std::poisson_distribution<int> photons(light);
      std::normal_distribution<double> readNoise(0.0, 6.0);
      img.putpixel(x, y, static_cast<int>(std::lround(photons(random) + readNoise(random))));
    }
  }
  img.Datetime = GetDatetime(2023, 10, 5, 21, 13, 45.5f);
  img.JDstart = JD(5, 10, 2023, 21 + 13 / 60.0 + 45.5 / 3600.0);
  img.Exposure = 30.0;
  img.FilterName = "V";
  img.FilterType = 3;
  img.Instrument = "Vargaze synthetic camera";
  setFitskey(img.fitsheader, "AIRMASS", "1.234", "Airmass at the start");
  std::string error;
  if (!img.Writefitsfile(args[0], error)) return reportError(args[0] + ": " + error);
  return 0;
}

}  // namespace vargaze::cli
