// An application object for engine tests: its configuration file in a
// temporary folder, every message and question recorded.
#pragma once

#include "app/Application.h"
#include "support/RecordingUi.h"
#include "support/SyntheticFrame.h"
#include "support/TempDir.h"

namespace vargaze::test {

inline ApplicationOptions rigOptions(const TempDir& dir, bool writesConfiguration = false) {
  ApplicationOptions o;
  o.iniPath = dir.file("vargaze1.ini");
  o.writesConfiguration = writesConfiguration;
  return o;
}

struct AppRig {
  explicit AppRig(bool writesConfiguration = false)
      : app(ui, rigOptions(dir, writesConfiguration)) {}

  // A frame `name` with a bright star at (30, 30) and a faint one at (70, 50):
  // single pixels, or Gaussians of width `sigma`.
  std::string twoStars(const std::string& name, double sigma = 0.0) const {
    writeFrame(dir.file(name), {.stars = {{30, 30, 20000.0, sigma}, {70, 50, 2000.0, sigma}}});
    return dir.file(name);
  }
  // A black 16-bit frame of `width` x `height`, put on display.
  Timgbuffer& blankFrame(std::int32_t width, std::int32_t height) {
    app.series.img = std::make_unique<Timgbuffer>();
    app.series.img->init(width, height, kPixel16);
    return *app.series.img;
  }
  // A ROI of size `d` at (x, y) with a ring (`ring`) or a sky box at (xb, yb),
  // -1: none placed.
  void addRoi(std::int32_t x, std::int32_t y, std::int32_t d, bool ring = false,
              std::int32_t xb = -1, std::int32_t yb = -1) {
    TRoi1 r;
    r.num = app.roiWindow.count() + 1;
    r.d = d;
    r.xa = r.x0a = x;
    r.ya = r.y0a = y;
    r.xb = r.x0b = ring ? x : xb;
    r.yb = r.y0b = ring ? y : yb;
    app.roiWindow.ROIlist.push_back(r);
  }

  TempDir dir;
  RecordingUi ui;
  Application app;
};

}  // namespace vargaze::test
