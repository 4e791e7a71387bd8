// The frames of the run benchmarks: a field of 20 stars drifting over
// 2048 x 2048 16-bit frames with a noisy sky, the ROIs on those stars, and
// the time CFITSIO needs just to read the frames (the floor any measurement
// of these files stands on).
#pragma once

#include <fitsio.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "image/Astro.h"
#include "image/Imgbuffer.h"
#include "photometry/RoiWindow.h"

namespace benchframes {

using Clock = std::chrono::steady_clock;
constexpr int kSize = 2048;
constexpr int kStars = 20;

struct Star {
  double x, y, flux;  // 1-based pixel position
};

inline std::vector<Star> starField() {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> pos(150.0, kSize - 150.0);
  std::uniform_real_distribution<double> flux(2e5, 2e6);
  std::vector<Star> stars;
  for (int i = 0; i < kStars; ++i) stars.push_back({pos(random), pos(random), flux(random)});
  stars[0].flux = 5e6;  // a bright one for the track star
  return stars;
}

// Frame i: the star field drifted by (i / 20, -i / 30) pixels, sky 1000 with noise.
inline void writeFrame(const std::string& path, int i, const std::vector<Star>& stars) {
  vargaze::Timgbuffer img;
  img.init(kSize, kSize, vargaze::kPixel16);
  std::uint16_t* p = img.data16();
  std::uint32_t state = 1234567u + static_cast<std::uint32_t>(i);
  for (std::int64_t k = 0; k < img.pixelCount(); ++k) {
    state = state * 1664525u + 1013904223u;
    p[k] = static_cast<std::uint16_t>(1000 + (state >> 27));
  }
  const double dx = i / 20.0;
  const double dy = -i / 30.0;
  for (const Star& s : stars) {
    const double cx = s.x + dx;
    const double cy = s.y + dy;
    for (int y = static_cast<int>(cy) - 10; y <= static_cast<int>(cy) + 10; ++y) {
      for (int x = static_cast<int>(cx) - 10; x <= static_cast<int>(cx) + 10; ++x) {
        const double r2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
        const double v = s.flux / (2 * M_PI * 4.0) * std::exp(-r2 / 8.0);
        const std::size_t k = static_cast<std::size_t>(y - 1) * kSize + static_cast<std::size_t>(x - 1);
        p[k] = static_cast<std::uint16_t>(std::min(65535.0, p[k] + v));
      }
    }
  }
  img.JDstart = vargaze::JD(5, 10, 2023, 21.0 + i / 120.0);
  img.Datetime = "2023-10-05T21:00:00.000";
  img.Exposure = 30.0;
  img.Writefitsfile(path);
}

// Frames "frame0001.fit", ... of the drifting field in `dir`; their paths.
inline std::vector<std::string> writeFrames(const std::string& dir, int frames,
                                            const std::vector<Star>& stars) {
  std::vector<std::string> files;
  for (int i = 0; i < frames; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame%04d.fit", i + 1);
    files.push_back(dir + name);
    writeFrame(files.back(), i, stars);
  }
  return files;
}

// One ROI per star (star 9, sky ring 13..19), ROI 2 the reference star.
inline void placeRois(vargaze::RoiWindow& window, const std::vector<Star>& stars) {
  window.setStarSize(9);
  window.setInnerSize(13);
  window.setOuterSize(19);
  for (const Star& s : stars) {
    const auto x = static_cast<std::int32_t>(std::lround(s.x)) - 1;
    const auto y = static_cast<std::int32_t>(std::lround(s.y)) - 1;
    window.BGROI1(window.Newroi(x, y), x, y);
  }
  window.roi(2).ref = true;
  window.roi(2).rmag = 11.0f;
}

// Seconds CFITSIO needs to read every frame into unsigned 16-bit pixels.
inline double readWithCfitsio(const std::vector<std::string>& files) {
  const auto start = Clock::now();
  std::vector<unsigned short> pixels(std::size_t(kSize) * kSize);
  std::uint64_t sum = 0;
  for (const std::string& name : files) {
    fitsfile* f = nullptr;
    int status = 0;
    int anynull = 0;
    fits_open_file(&f, name.c_str(), READONLY, &status);
    fits_read_img(f, TUSHORT, 1, long(pixels.size()), nullptr, pixels.data(), &anynull, &status);
    fits_close_file(f, &status);
    sum += pixels[1000];
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (sum == 0) std::printf("(unexpected empty frames)\n");
  return seconds;
}

}  // namespace benchframes
