// Line-artefact removal on images the tests build: a flat sky with striped
// rows, sky samples given as ROIs with known background counts.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "photometry/RoiWindow.h"
#include "processing/LineRemoval.h"
#include "series/Series.h"
#include "support/RecordingUi.h"

namespace vargaze {
namespace {

// Four sky samples of `level` counts per pixel at the corners of the image.
std::vector<TRoi1> cornerSamples(int w, int h, std::int64_t level) {
  std::vector<TRoi1> rois;
  for (const auto& [x, y] : {std::pair{3, 3}, {w - 2, 3}, {3, h - 2}, {w - 2, h - 2}}) {
    TRoi1 r;
    r.xb = x;
    r.yb = y;
    r.d = 5;
    r.bcounts = 25 * level;
    rois.push_back(r);
  }
  return rois;
}

Timgbuffer skyImage(int w, int h, int sky) {
  Timgbuffer img;
  img.init(w, h, kPixel16);
  for (int y = 1; y <= h; ++y) {
    for (int x = 1; x <= w; ++x) img.putpixel(x, y, sky);
  }
  return img;
}

void addToRow(Timgbuffer& img, int y, int delta) {
  for (int x = 1; x <= img.xsize; ++x) img.putpixel(x, y, img.getpixel(x, y) + delta);
}

TEST(SkyThreshold, TwiceTheNoiseAboveThePedestal) {
  EXPECT_DOUBLE_EQ(skyThreshold(1510.0f, 1510), 1580.0);  // SD = sqrt(1000 + 225) = 35
  EXPECT_DOUBLE_EQ(skyThreshold(0.0f, 0), 30.0);
  // Below zero the plane carries no photon noise: SD = 15.
  EXPECT_DOUBLE_EQ(skyThreshold(-1510.0f, 1510), 1540.0);
  EXPECT_DOUBLE_EQ(skyThreshold(-100.0f, 100), 130.0);
}

TEST(LineRemoval, StripesTakeTheCommonLevelAndTheSkyStays) {
  Timgbuffer img = skyImage(30, 20, 1000);
  img.Offset1 = 32768.0;
  addToRow(img, 5, 50);
  addToRow(img, 10, -50);
  img.putpixel(7, 3, 9000);  // a star in a normal row
  img.putpixel(8, 10, 20);   // a cold pixel in the dark row
  test::RecordingUi ui;
  ASSERT_TRUE(EliminateLines(img, cornerSamples(30, 20, 1000), ui));
  // Plane a = 1000, pedestal 1000, threshold 1059.6; row levels 1000, 1050
  // (row 5) and 950 (row 10, the cold pixel included: (29 * 950 + 20) div 30
  // = 919); common level (18 * 1000 + 1050 + 919) div 20 = 998.
  for (int y = 1; y <= 20; ++y) {
    for (int x = 1; x <= 30; ++x) {
      int expected = 998;
      if (x == 7 && y == 3) expected = 9000 - 1000 + 998;
      if (y == 10) expected = (x == 8 ? 20 : 950) - 919 + 998;
      ASSERT_EQ(img.getpixel(x, y), expected) << x << "," << y;
    }
  }
  EXPECT_EQ(img.Offset1, 0.0);
  EXPECT_TRUE(ui.messages.empty());
}

TEST(LineRemoval, ConstantSkyKeepsItsLevelAsPedestal) {
  Timgbuffer img = skyImage(16, 12, 2345);
  test::RecordingUi ui;
  ASSERT_TRUE(EliminateLines(img, cornerSamples(16, 12, 2345), ui));
  for (int y = 1; y <= 12; ++y) {
    for (int x = 1; x <= 16; ++x) ASSERT_EQ(img.getpixel(x, y), 2345);
  }
}

TEST(LineRemoval, ARowOfBrightStarsOnlyIsLeftUnchanged) {
  Timgbuffer img = skyImage(30, 20, 1000);
  addToRow(img, 4, 40);  // a stripe that the bright row must not hide
  for (int x = 1; x <= 25; ++x) img.putpixel(x, 15, 5000 + x);
  img.putpixel(26, 15, 1017);  // five sky pixels are too few
  test::RecordingUi ui;
  ASSERT_TRUE(EliminateLines(img, cornerSamples(30, 20, 1000), ui));
  for (int x = 1; x <= 25; ++x) EXPECT_EQ(img.getpixel(x, 15), 5000 + x);
  EXPECT_EQ(img.getpixel(26, 15), 1017);
  // Common level (18 * 1000 + 1040) div 19 = 1002.
  EXPECT_EQ(img.getpixel(3, 4), 1002);
  EXPECT_EQ(img.getpixel(3, 1), 1002);
}

TEST(LineRemoval, ImagesTallerThan2048RowsAreLevelledToTheLastRow) {
  Timgbuffer img = skyImage(8, 3000, 500);
  addToRow(img, 2999, 30);
  addToRow(img, 3000, -30);
  test::RecordingUi ui;
  ASSERT_TRUE(EliminateLines(img, cornerSamples(8, 3000, 500), ui));
  EXPECT_EQ(img.getpixel(4, 2999), 500);
  EXPECT_EQ(img.getpixel(4, 3000), 500);
}

TEST(LineRemoval, TooFewSamplesLeaveTheImageUnchanged) {
  Timgbuffer img = skyImage(10, 10, 700);
  addToRow(img, 5, 30);
  std::vector<TRoi1> rois = cornerSamples(10, 10, 700);
  rois.back().bcounts = 0;  // not measured: no sample
  test::RecordingUi ui;
  EXPECT_FALSE(EliminateLines(img, rois, ui));
  EXPECT_EQ(ui.messages, std::vector<std::string>{"zu wenig Messpunkte"});
  EXPECT_EQ(img.getpixel(1, 5), 730);
  EXPECT_EQ(img.getpixel(1, 4), 700);
}

TEST(LineRemoval, TheCommandNeedsAnImageAndRois) {
  Settings settings;
  test::RecordingUi ui;
  MainWindowFlags flags;
  ImageWindowState imgwin;
  RoiWindow win{settings, ui, flags, imgwin};
  Series series{settings, ui, win};
  EXPECT_FALSE(EliminateLinesClick(series));
  EXPECT_EQ(ui.messages.back(), "Kein Bild geladen");

  *series.img = skyImage(30, 20, 1000);
  addToRow(*series.img, 6, 40);
  series.imageLoaded = true;
  win.setImage(series.img.get());
  EXPECT_FALSE(EliminateLinesClick(series));
  EXPECT_EQ(ui.messages.back(), "Kein Background definiert.");

  win.ROIlist = cornerSamples(30, 20, 1000);
  win.BVRIlist.resize(4);
  win.ROIindex = 4;
  series.controls.LowerScrollBar = 300;
  ASSERT_TRUE(EliminateLinesClick(series));
  EXPECT_EQ(series.img->getpixel(9, 6), 1002);  // (19 * 1000 + 1040) div 20
  EXPECT_EQ(series.controls.LowerScrollBar, 0);
  EXPECT_EQ(series.img->bufferMax, 1002);
}

}  // namespace
}  // namespace vargaze
