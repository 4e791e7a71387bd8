// Synthetic frames, plain pixel sums, ROI-file records written byte by byte, and a ROI window.
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "config/Settings.h"
#include "image/Imgbuffer.h"
#include "photometry/RoiWindow.h"
#include "support/RecordingUi.h"
#include "support/RoiRecord.h"

namespace vargaze::test {

template <typename F>
void fillImage(Timgbuffer& img, int width, int height, F value) {
  img.init(width, height, kPixel32);
  for (int y = 1; y <= height; ++y)
    for (int x = 1; x <= width; ++x) img.putpixel(x, y, value(x, y));
}

// Counts at (x, y) of a Gaussian star of `peak` counts at (cx, cy).
inline double gaussian(double cx, double cy, double peak, double sigma, int x, int y) {
  return peak * std::exp(-((x - cx) * (x - cx) + (y - cy) * (y - cy)) / (2 * sigma * sigma));
}

// Adds a Gaussian star to `img`, rounded pixel by pixel.
inline void addStar(Timgbuffer& img, int cx, int cy, double peak, double sigma = 1.5) {
  for (int x = std::max(1, cx - 8); x <= std::min(img.xsize, cx + 8); ++x)
    for (int y = std::max(1, cy - 8); y <= std::min(img.ysize, cy + 8); ++y)
      img.putpixel(x, y, img.getpixel(x, y) + int(std::lround(gaussian(cx, cy, peak, sigma, x, y))));
}

// Sum of the pixels x1..x2, y1..y2 read straight from the storage.
inline std::int64_t plainSum(const Timgbuffer& img, int x1, int y1, int x2, int y2) {
  std::int64_t sum = 0;
  for (int y = y1; y <= y2; ++y)
    for (int x = x1; x <= x2; ++x) sum += img.data32()[(y - 1) * img.xsize + (x - 1)];
  return sum;
}

// A ROI of size d in ring mode centred on (x, y).
inline TRoi1 ringRoi(int x, int y, int d) {
  TRoi1 r;
  std::tie(r.xa, r.x0a, r.xb, r.x0b, r.ya, r.y0a, r.yb, r.y0b, r.d) = std::tuple(x, x, x, x, y, y, y, y, d);
  return r;
}

// A ROI window on a flat sky of 100 counts (gain 1, no read noise, dark current or exposure
// correction, no centring) with single-pixel stars of known net: the ring's mean is the sky.
struct Rig {
  Rig() {
    std::tie(settings.InstmagCorr, settings.ElectronsPerCount, settings.ReadnoiseElectrons,
             settings.DarkElectronsPerSec, win.AutocenterCheckBox) = std::tuple(false, 1.0, 0.0, 0.0, false);
    win.setImage(&img);
    draw();
  }
  void draw() {
    fillImage(img, width, height, [this](int x, int y) {
      const auto it = stars.find({x, y});
      return 100 + (it == stars.end() ? 0 : it->second);
    });
    img.Exposure = exposure;
  }
  // A star of `net` counts at (x, y) with a ROI in ring mode on it.
  std::int32_t addStar(int x, int y, int net) {
    stars[{x, y}] = net;
    draw();
    const std::int32_t n = win.Newroi(x - 1, y - 1);
    win.BGROI1(n, x - 1, y - 1);
    return n;
  }
  void makeComparison(std::int32_t n, float rmag) { std::tie(win.roi(n).ref, win.roi(n).rmag) = std::tuple(true, rmag); }
  // Appends a ROI whose centre differs from its start, as after a drift.
  void appendRoi(int x0a, int y0a, int x0b, int y0b, int d, bool ref = false, float rmag = 0) {
    TRoi1 r = ringRoi(x0a + 2, y0a + 3, d);
    std::tie(r.num, r.x0a, r.y0a, r.xb, r.yb, r.x0b, r.y0b) = std::tuple(win.count() + 1, x0a, y0a, x0b, y0b, x0b, y0b);
    std::tie(r.ref, r.rmag, r.mag) = std::tuple(ref, rmag, 12.0f);
    win.ROIlist.push_back(r);
    win.BVRIlist.emplace_back();
    win.ROIindex = win.count();
  }
  std::string lastMessage() const { return ui.messages.empty() ? "" : ui.messages.back(); }

  int width = 100, height = 100;
  double exposure = 0.0;
  std::map<std::pair<int, int>, int> stars;
  Settings settings;
  RecordingUi ui;
  MainWindowFlags flags;
  ImageWindowState imgwin;
  Timgbuffer img;
  RoiWindow win{settings, ui, flags, imgwin};
};

}  // namespace vargaze::test
