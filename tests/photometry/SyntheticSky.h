// Synthetic frames for the photometry tests: a flat sky with Gaussian stars,
// and a ROI window wired to a recording user interface.
#pragma once

#include <cmath>
#include <cstdint>

#include "config/Settings.h"
#include "image/Imgbuffer.h"
#include "photometry/RoiWindow.h"
#include "support/RecordingUi.h"

namespace vargaze::test {

// A 32-bit frame of `width` x `height` pixels, every pixel `sky` counts.
inline void makeSky(Timgbuffer& img, std::int32_t width, std::int32_t height, std::int32_t sky) {
  img.init(width, height, kPixel32);
  for (std::int32_t x = 1; x <= width; ++x) {
    for (std::int32_t y = 1; y <= height; ++y) img.putpixel(x, y, sky);
  }
}

// Adds a round Gaussian star of `peak` counts above the sky, centred on the
// 1-based pixel (cx, cy).
inline void addStar(Timgbuffer& img, std::int32_t cx, std::int32_t cy, double peak,
                    double sigma) {
  for (std::int32_t x = cx - 8; x <= cx + 8; ++x) {
    for (std::int32_t y = cy - 8; y <= cy + 8; ++y) {
      if (x < 1 || y < 1 || x > img.xsize || y > img.ysize) continue;
      const double r2 = double(x - cx) * (x - cx) + double(y - cy) * (y - cy);
      const double value = peak * std::exp(-r2 / (2 * sigma * sigma));
      const auto add = static_cast<std::int32_t>(std::lround(value));
      img.putpixel(x, y, img.getpixel(x, y) + add);
    }
  }
}

// Everything a RoiWindow needs, with a frame it measures on.
struct RoiWindowRig {
  Settings settings;
  RecordingUi ui;
  MainWindowFlags flags;
  ImageWindowState imgwin;
  Timgbuffer img;
  RoiWindow win{settings, ui, flags, imgwin};

  // Gain 1 and a background ring of 9..15 pixels around 5-pixel star boxes.
  RoiWindowRig() {
    settings.ElectronsPerCount = 1.0;
    win.setInnerSize(9);
    win.setOuterSize(15);
  }
  void show() { win.setImage(&img); }
};

}  // namespace vargaze::test
