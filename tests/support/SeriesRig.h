// A series wired to a ROI window and a recording user interface, with small
// synthetic FITS frames written into a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/Settings.h"
#include "photometry/RoiWindow.h"
#include "series/Series.h"
#include "support/RecordingUi.h"
#include "support/SyntheticFrame.h"
#include "support/TempDir.h"

namespace vargaze::test {

// Two measurable stars: ROI 1 on a single pixel of 20000 net counts at
// (30, 30), ROI 2 on one of 2000 at (70, 50).
inline FrameContent twoStars(const std::string& date = "2024-03-01T20:00:00") {
  FrameContent content;
  content.stars = {{30, 30, 20000.0, 0.0}, {70, 50, 2000.0, 0.0}};
  content.date = date;
  return content;
}

// One program state: settings, user interface, ROI window and series.
struct SeriesBench {
  SeriesBench() {
    settings.ElectronsPerCount = 1.0;
    win.setInnerSize(9);
    win.setOuterSize(15);
  }

  Settings settings;
  RecordingUi ui;
  MainWindowFlags flags;
  ImageWindowState imgwin;
  RoiWindow win{settings, ui, flags, imgwin};
  Series series{settings, ui, win};

  // A ROI in ring mode on the star at the 1-based pixel (x, y).
  std::int32_t addRoi(int x, int y) {
    const std::int32_t n = win.Newroi(x - 1, y - 1);
    win.BGROI1(n, x - 1, y - 1);
    return n;
  }
};

class SeriesRig : public ::testing::Test, public SeriesBench {
 protected:
  // Writes frames named `names` into the folder and returns their paths.
  std::vector<std::string> writeFrames(const std::vector<std::string>& names,
                                       const FrameContent& content = twoStars()) {
    std::vector<std::string> paths;
    for (const std::string& name : names) {
      paths.push_back(dir.file(name));
      writeFrame(paths.back(), content);
    }
    return paths;
  }

  // Opens the frames and puts ROIs on both stars of twoStars(); ROI 1 is a
  // comparison star of 11.2.
  void openWithRois(const std::vector<std::string>& paths) {
    ASSERT_TRUE(series.openSeries(paths));
    addRoi(30, 30);
    addRoi(70, 50);
    win.roi(1).ref = true;
    win.roi(1).rmag = 11.2f;
    win.bvri(1).Vmag = 11.2f;
  }

  TempDir dir;
};

}  // namespace vargaze::test
