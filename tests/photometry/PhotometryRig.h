// Synthetic frames and a ROI window for the photometry tests: sky and stars
// drawn here, plain pixel sums, and ROI-file records written byte by byte.
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "config/Settings.h"
#include "image/Imgbuffer.h"
#include "photometry/RoiWindow.h"
#include "support/RecordingUi.h"

namespace vargaze::test {

// A 32-bit image of `width` x `height` filled with value(x, y).
template <typename F>
void fillImage(Timgbuffer& img, int width, int height, F value) {
  img.init(width, height, kPixel32);
  for (int y = 1; y <= height; ++y)
    for (int x = 1; x <= width; ++x) img.putpixel(x, y, value(x, y));
}

// Counts of a Gaussian star of total `flux` centred on (cx, cy) at pixel (x, y).
inline double gaussianStar(double cx, double cy, double flux, double sigma, int x, int y) {
  const double r2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
  return flux / (2 * M_PI * sigma * sigma) * std::exp(-r2 / (2 * sigma * sigma));
}

// Adds a star of `peak` counts at its centre pixel, rounded pixel by pixel.
inline void addPeakStar(Timgbuffer& img, int cx, int cy, double peak, double sigma) {
  for (int x = std::max(1, cx - 8); x <= std::min(img.xsize, cx + 8); ++x)
    for (int y = std::max(1, cy - 8); y <= std::min(img.ysize, cy + 8); ++y)
      img.putpixel(x, y, img.getpixel(x, y) + static_cast<int>(std::lround(
                             peak * std::exp(-((x - cx) * (x - cx) + (y - cy) * (y - cy)) /
                                             (2 * sigma * sigma)))));
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
  r.xa = r.x0a = r.xb = r.x0b = x;
  r.ya = r.y0a = r.yb = r.y0b = y;
  r.d = d;
  return r;
}

// One 28-byte ROI-file record: five little-endian int32, the comparison
// flag, three zero bytes, the reference magnitude as a little-endian float.
inline std::string roiRecord(std::int32_t x0a, std::int32_t y0a, std::int32_t x0b,
                             std::int32_t y0b, std::int32_t d, bool ref = false,
                             float rmag = 0.0f) {
  std::string out;
  const auto put = [&](std::uint32_t v) {
    for (int b = 0; b < 4; ++b) out += static_cast<char>((v >> (8 * b)) & 0xFF);
  };
  for (const std::int32_t v : {x0a, y0a, x0b, y0b, d}) put(static_cast<std::uint32_t>(v));
  put(ref ? 1u : 0u);
  put(std::bit_cast<std::uint32_t>(rmag));
  return out;
}

// A ROI window on a flat sky of 100 counts (gain 1, no read noise, dark
// current or exposure correction, no centring) with single-pixel stars
// whose net signal is known exactly: the ring's mean of 100 scaled to the
// star box is the box's sky.
struct Rig {
  Rig() {
    settings.InstmagCorr = false;
    settings.ElectronsPerCount = 1.0;
    settings.ReadnoiseElectrons = 0.0;
    settings.DarkElectronsPerSec = 0.0;
    win.AutocenterCheckBox = false;
    win.setImage(&img);
    draw();
  }
  // Redraws the frame with the single-pixel stars added so far.
  void draw() {
    fillImage(img, width, height, [this](int x, int y) {
      const auto it = stars.find({x, y});
      return 100 + (it == stars.end() ? 0 : it->second);
    });
    img.Exposure = exposure;
  }
  // A star of `net` counts at (x, y) with a ROI in ring mode on it; returns its number.
  std::int32_t addStar(int x, int y, int net) {
    stars[{x, y}] = net;
    draw();
    const std::int32_t n = win.Newroi(x - 1, y - 1);
    win.BGROI1(n, x - 1, y - 1);
    return n;
  }
  void makeComparison(std::int32_t n, float rmag) {
    win.roi(n).ref = true;
    win.roi(n).rmag = rmag;
  }
  // Appends a ROI straight to the list (no measuring), as a loaded file would.
  void appendRoi(std::int32_t x0a, std::int32_t y0a, std::int32_t x0b, std::int32_t y0b,
                 std::int32_t d, bool ref, float rmag) {
    TRoi1 r = ringRoi(x0a, y0a, d);
    r.num = win.count() + 1;
    r.x0b = r.xb = x0b;
    r.y0b = r.yb = y0b;
    r.xa = x0a + 2;  // current centres differ from the start positions
    r.ya = y0a + 3;
    r.ref = ref;
    r.rmag = rmag;
    r.mag = 12.0f;
    win.ROIlist.push_back(r);
    win.BVRIlist.push_back(BVRIRec{});
    win.ROIindex = win.count();
  }
  std::string lastMessage() const { return ui.messages.empty() ? "" : ui.messages.back(); }

  int width = 120;
  int height = 80;
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
