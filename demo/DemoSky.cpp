#include "demo/DemoSky.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "base/Numbers.h"
#include "demo/DemoRandom.h"
#include "image/FitsHeader.h"

namespace vargaze::demo {

namespace {

constexpr std::uint32_t kNoiseSeed = 7'000'001;
constexpr double kReach = 7.0;  // star profiles end this many sigma from the centre

// Share of a Gaussian profile centred at `centre` that falls on each pixel
// first..last along one axis.
std::vector<double> pixelShares(double centre, double sigma, int first, int last) {
  std::vector<double> shares;
  const double scale = 1.0 / (sigma * std::numbers::sqrt2);
  for (int p = first; p <= last; ++p) {
    shares.push_back(0.5 * (std::erf((p + 0.5 - centre) * scale) -
                            std::erf((p - 0.5 - centre) * scale)));
  }
  return shares;
}

void addStar(std::vector<double>& frame, int width, int height, double x, double y,
             double adu, double sigma) {
  const int x1 = std::max(1, static_cast<int>(std::floor(x - kReach * sigma)));
  const int x2 = std::min(width, static_cast<int>(std::ceil(x + kReach * sigma)));
  const int y1 = std::max(1, static_cast<int>(std::floor(y - kReach * sigma)));
  const int y2 = std::min(height, static_cast<int>(std::ceil(y + kReach * sigma)));
  if (x1 > x2 || y1 > y2) return;
  const std::vector<double> sx = pixelShares(x, sigma, x1, x2);
  const std::vector<double> sy = pixelShares(y, sigma, y1, y2);
  for (int row = y1; row <= y2; ++row) {
    double* line = &frame[std::size_t(row - 1) * std::size_t(width)];
    const double rowLight = adu * sy[std::size_t(row - y1)];
    for (int col = x1; col <= x2; ++col) line[col - 1] += rowLight * sx[std::size_t(col - x1)];
  }
}

}  // namespace

std::vector<double> expectedFrame(const DemoDesign& design, int index) {
  const FrameTruth truth = frameTruth(design, index);
  const Camera& cam = design.camera;
  const int w = design.width;
  const int h = design.height;
  std::vector<double> frame(std::size_t(w) * std::size_t(h));
  for (int y = 1; y <= h; ++y) {
    for (int x = 1; x <= w; ++x) {
      frame[std::size_t(y - 1) * std::size_t(w) + std::size_t(x - 1)] = skyLevel(cam, w, h, x, y);
    }
  }
  const auto add = [&](double x, double y, double vmag) {
    addStar(frame, w, h, x + truth.shiftX, y + truth.shiftY, starElectrons(cam, vmag) / cam.gain,
            cam.psfSigma);
  };
  for (const FieldStar& s : design.field) add(s.x, s.y, s.vmag);
  for (std::size_t i = 0; i < design.named.size(); ++i) {
    add(design.named[i].x, design.named[i].y, truth.vmag[i]);
  }
  return frame;
}

Timgbuffer renderFrame(const DemoDesign& design, int index) {
  const FrameTruth truth = frameTruth(design, index);
  const Camera& cam = design.camera;
  const std::vector<double> expected = expectedFrame(design, index);
  Timgbuffer img;
  img.init(design.width, design.height, kPixel16);
  std::uint16_t* pixels = img.data16();
  DemoRandom random(kNoiseSeed + static_cast<std::uint32_t>(index));
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const auto photons = static_cast<double>(random.poisson(expected[i] * cam.gain));
    const double adu = (photons + cam.readNoise * random.normal()) / cam.gain;
    pixels[i] = static_cast<std::uint16_t>(std::clamp(std::nearbyint(adu), 0.0, 65535.0));
  }
  img.Datetime = truth.dateObs;
  img.JDstart = truth.jdStart;
  img.Exposure = cam.exposure;
  img.FilterName = "V";
  img.FilterType = 3;
  img.Airmass = truth.airmass;
  img.Instrument = "Vargaze demo camera";
  setFitskeyQuoted(img.fitsheader, "OBJECT", design.named[kVariable].name);
  setFitskey(img.fitsheader, "AIRMASS", formatFixed(truth.airmass, 4), "Airmass at mid-exposure");
  return img;
}

}  // namespace vargaze::demo
