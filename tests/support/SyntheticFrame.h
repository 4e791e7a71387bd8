// Synthetic FITS frames for the tests: a flat sky of 100 counts with stars
// that are either single pixels of a known net signal or round Gaussians.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "support/FitsBuilder.h"
#include "support/TempDir.h"

namespace vargaze::test {

inline constexpr int kWidth = 100;
inline constexpr int kHeight = 80;
inline constexpr int kSky = 100;

struct Star {
  int x = 0;  // 1-based pixel
  int y = 0;
  double counts = 0.0;  // net counts of a single pixel, or the peak of a Gaussian
  double sigma = 0.0;   // 0: a single pixel
};

struct FrameContent {
  std::vector<Star> stars;
  std::string filter = "V";  // empty: no FILTER card
  std::string date = "2024-03-01T20:00:00";
  double exposure = 60.0;
};

inline std::string frameBytes(const FrameContent& content) {
  std::vector<double> pixels(static_cast<std::size_t>(kWidth * kHeight), kSky);
  for (const Star& s : content.stars) {
    for (int y = 1; y <= kHeight; ++y) {
      for (int x = 1; x <= kWidth; ++x) {
        double add = 0.0;
        if (s.sigma <= 0.0) {
          add = x == s.x && y == s.y ? s.counts : 0.0;
        } else {
          const double r2 = double(x - s.x) * (x - s.x) + double(y - s.y) * (y - s.y);
          add = std::round(s.counts * std::exp(-r2 / (2 * s.sigma * s.sigma)));
        }
        pixels[static_cast<std::size_t>((y - 1) * kWidth + (x - 1))] += add;
      }
    }
  }
  FitsBuilder fits(16, kWidth, kHeight);
  fits.card("DATE-OBS", "'" + content.date + "'").card("EXPTIME", std::to_string(content.exposure));
  if (!content.filter.empty()) fits.card("FILTER", "'" + content.filter + "'");
  return fits.pixels(pixels).bytes();
}

inline void writeFrame(const std::string& path, const FrameContent& content) {
  writeBytes(path, frameBytes(content));
}

}  // namespace vargaze::test
