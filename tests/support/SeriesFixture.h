// A series of small FITS frames written by the test: flat sky of 100 counts
// with single-pixel stars of exactly known net counts, so magnitudes follow
// from the counts by hand. Centring is off, so the apertures stay put.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "photometry/RoiWindow.h"
#include "series/Series.h"
#include "support/FitsBuilder.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

namespace vargaze::test {

struct FrameStar {
  int x, y, net;
};

class SeriesFixture : public ::testing::Test {
 protected:
  static constexpr int kWidth = 80;
  static constexpr int kHeight = 60;

  SeriesFixture() : window(settings, ui, flags, imgwin), series(settings, ui, window) {
    settings.InstmagCorr = false;
    settings.ElectronsPerCount = 1.0;
    settings.ReadnoiseElectrons = 0.0;
    settings.DarkElectronsPerSec = 0.0;
    window.AutocenterCheckBox = false;
  }

  // Writes frame `name` with the stars and the given DATE-OBS; returns its path.
  std::string writeFrame(const std::string& name, const std::vector<FrameStar>& stars,
                         const std::string& dateObs, double exposure = 10.0) {
    std::vector<double> pixels(kWidth * kHeight, 100.0);
    for (const FrameStar& s : stars) pixels[(s.y - 1) * kWidth + (s.x - 1)] += s.net;
    FitsBuilder f(16, kWidth, kHeight);
    f.card("DATE-OBS", "'" + dateObs + "'").card("EXPTIME", std::to_string(exposure));
    const std::string path = dir.file(name);
    writeBytes(path, f.pixels(pixels).bytes());
    return path;
  }

  // A ROI in ring mode on the star at (x, y); returns its number.
  std::int32_t addRoi(int x, int y) {
    const std::int32_t n = window.Newroi(x - 1, y - 1);
    window.BGROI1(n, x - 1, y - 1);
    return n;
  }

  TempDir dir;
  Settings settings;
  RecordingUi ui;
  MainWindowFlags flags;
  ImageWindowState imgwin;
  RoiWindow window;
  Series series;
};

}  // namespace vargaze::test
