// A ROI window on a synthetic frame: flat sky of 100 counts with single-pixel
// "stars" whose net signal is known exactly (ring mode with the window's start sizes: the ring's
// mean of 100 scaled to the 25 star pixels is exactly 2500).
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "photometry/RoiWindow.h"
#include "support/RecordingUi.h"
#include "SyntheticField.h"

namespace vargaze::test {

class RoiWindowFixture : public ::testing::Test {
 protected:
  static constexpr int kSky = 100;

  RoiWindowFixture() : window(settings, ui, flags, imgwin) {
    settings.InstmagCorr = false;
    settings.ElectronsPerCount = 1.0;
    settings.ReadnoiseElectrons = 0.0;
    settings.DarkElectronsPerSec = 0.0;
    window.AutocenterCheckBox = false;
    window.setImage(&img);
    draw();
  }

  // Redraws the frame with the stars added so far.
  void draw() {
    fillImage(img, 120, 80, [this](int x, int y) {
      const auto it = stars.find({x, y});
      return kSky + (it == stars.end() ? 0 : it->second);
    });
    img.Exposure = exposure;
  }

  // A star of `net` counts at (x, y) with a ROI in ring mode on it; returns its number.
  std::int32_t addStar(int x, int y, int net) {
    stars[{x, y}] = net;
    draw();
    const std::int32_t n = window.Newroi(x - 1, y - 1);
    window.BGROI1(n, x - 1, y - 1);
    return n;
  }

  // Makes ROI n a comparison star of magnitude rmag.
  void makeComparison(std::int32_t n, float rmag) {
    window.roi(n).ref = true;
    window.roi(n).rmag = rmag;
  }

  Settings settings;
  RecordingUi ui;
  MainWindowFlags flags;
  ImageWindowState imgwin;
  Timgbuffer img;
  double exposure = 0.0;
  std::map<std::pair<int, int>, int> stars;
  RoiWindow window;
};

}  // namespace vargaze::test
