// A small frame for the targets whose input places apertures: ROIs loaded
// from the input are counted on it, so hostile positions and sizes reach the
// counting code. Made once and only read afterwards.
#pragma once

#include <cstdint>

#include "FuzzSupport.h"
#include "image/Imgbuffer.h"
#include "photometry/RoiWindow.h"

namespace vargaze::fuzz {

inline const Timgbuffer& smallFrame() {
  static const Timgbuffer frame = [] {
    Timgbuffer img;
    img.init(48, 32, kPixel16);
    for (std::int32_t y = 1; y <= img.ysize; ++y) {
      for (std::int32_t x = 1; x <= img.xsize; ++x) img.putpixel(x, y, 100 + (x * 7 + y * 13) % 50);
    }
    img.putpixel(12, 20, 5000);
    img.putpixel(30, 10, 60000);
    img.Exposure = 10.0;
    img.getminmax();
    return img;
  }();
  return frame;
}

// A ROI window measuring on the small frame, as the targets that load ROIs
// or their star information need it.
struct FrameWindow {
  Settings settings;
  SilentUi ui;
  MainWindowFlags flags;
  ImageWindowState imgwin;
  RoiWindow win{settings, ui, flags, imgwin};

  FrameWindow() { win.setImage(&smallFrame()); }
};

}  // namespace vargaze::fuzz
