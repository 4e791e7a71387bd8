// The image window model against figures worked out by hand: screen/image
// positions, the display bitmap, the ROI overlays, the track-star circle, the
// pixel readout and the caption; then the mouse cycle of star, background and
// star information, moving ROIs and the rectangle.
#include "app/ImageView.h"

#include <gtest/gtest.h>

#include "app/ImageMouse.h"
#include "app/MainWindow.h"
#include "support/AppRig.h"

namespace vargaze::test {
namespace {

class ImageViewTest : public ::testing::Test, protected AppRig {
 protected:
  ImageView& view = app.imageView;
};

TEST_F(ImageViewTest, PositionsRoundHalvesToEvenAndRoundTripWhereNothingIsLost) {
  app.settings.ZoomFactor = 2.0;
  EXPECT_EQ(view.imagePosition(101, 50), (ScreenPoint{50, 25}));
  EXPECT_EQ(view.imagePosition(103, 51), (ScreenPoint{52, 26}));
  for (const double zoom : {1.5, 1.0, 0.7, 0.5, 0.35, 0.25}) {
    app.settings.ZoomFactor = zoom;
    for (std::int32_t p = 0; p <= 300; ++p) {
      // Zooming in no image pixel, zooming out no screen pixel, is lost.
      const ScreenPoint back = zoom >= 1.0 ? view.imagePosition(view.screenPosition(p, p).x, 0)
                                           : view.screenPosition(view.imagePosition(p, 0).x, 0);
      ASSERT_EQ(back.x, p) << "zoom " << zoom;
    }
  }
}

TEST_F(ImageViewTest, ShowImageBuildsTheBitmapWithTheGammaAndTheCaption) {
  Timgbuffer& img = blankFrame(10, 6);
  img.putpixel(2, 3, 64);
  img.getminmax();
  img.filename = "/night/m31.fit";
  img.Datetime = "2024-03-01T20:00:00";
  app.series.displayLower = 0;
  app.series.displayUpper = 256;
  app.series.controls.GammaIndex = 2;  // "2.0": exponent 1/2, 255 * (64/256)^0.5 = 127.5
  app.settings.ZoomFactor = 0.25;      // 10 x 6 -> 2.5 x 1.5
  view.ShowImage();
  EXPECT_EQ(view.bitmap().at(2, 3), 128);
  EXPECT_EQ(std::pair(view.imgwidth(), view.imgheight()), std::pair(2, 2));
  EXPECT_EQ(app.imageWindow.title, "m31.fit 2024-03-01T20:00:00 (UTC)");
  EXPECT_EQ(view.clientSize(800, 500), (ScreenPoint{300, 200}));
  EXPECT_EQ(view.clientSize(320, 300), (ScreenPoint{270, 150}));
  app.series.controls.InvertCheckBox = true;
  EXPECT_EQ(view.palette().palPalEntry[10].green, 245);
}

TEST_F(ImageViewTest, CaptionNamesTheFilterOfDslrFramesAndTheCameraTimeCorrection) {
  struct Row { const char* file; const char* obstype; std::int32_t offset; const char* expected; };
  const Row rows[] = {
      {"/raw/IMG_1.CR2", "DSLR", 2, "IMG_1.CR2(G) 2023-10-05T21:13:45 (UTC corr. 2h)"},
      {"/raw/IMG_1.cr2", "DSLR", -1, "IMG_1.cr2(G) 2023-10-05T21:13:45 (UTC corr. -1h)"},
      {"/raw/IMG_1.CR2", "DSLR", 0, "IMG_1.CR2(G) 2023-10-05T21:13:45 (UTC)"},
      {"/raw/v.fts", "CCD", 2, "v.fts 2023-10-05T21:13:45 (UTC)"},
  };
  Timgbuffer& img = blankFrame(4, 4);
  img.Datetime = "2023-10-05T21:13:45";
  img.FilterName = "G";
  for (const Row& row : rows) {
    img.filename = row.file;
    img.OBSTYPE = row.obstype;
    app.settings.UToffset = row.offset;
    EXPECT_EQ(view.title(), row.expected);
  }
}

TEST_F(ImageViewTest, RoisOneToSixteenAreDrawnLastInTheirColours) {
  for (int i = 0; i < 20; ++i) addRoi(10 + 3 * i, 20, 5);
  const ImageOverlays o = view.overlays();
  std::vector<std::int32_t> order;
  for (const RoiOverlay& r : o.rois) order.push_back(r.number);
  EXPECT_EQ(order, (std::vector<std::int32_t>{17, 18, 19, 20, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10,
                                              11, 12, 13, 14, 15, 16}));
  EXPECT_EQ(std::tuple(o.rois[4].colour, o.rois[0].colour, o.rois[19].colour),
            std::tuple(0xFF0000u, 0x808080u, 0x008080u));  // 1 red, 17 grey, 16 teal
}

TEST_F(ImageViewTest, BoxesRunThroughTheEdgePixelsCounted) {
  app.settings.ZoomFactor = 2.0;
  addRoi(20, 30, 10);  // an even size counts 9 pixels: 16..24, 0-based 15..23
  EXPECT_EQ(view.overlays().rois.at(0).starBox, (ScreenRect{30, 50, 46, 66}));
  EXPECT_EQ(view.overlays().rois.at(0).labelAt, (ScreenPoint{30, 76}));  // the number below
  app.settings.ZoomFactor = 1.0;
  // Pixels centre - half .. centre + half around (40, 50), 0-based from 39, 49.
  const auto square = [](std::int32_t half) {
    return ScreenRect{39 - half, 49 - half, 39 + half, 49 + half};
  };
  // d, inner and outer ring size; half-sizes of the squares (inner 0: none).
  struct Row { std::int32_t d, dIn, dOut, innerHalf, outerHalf; };
  const Row rows[] = {
      {9, 11, 15, 0, 7},  // the ring's hole is 9 wide: the star box itself
      {9, 12, 15, 5, 7},
      {5, 11, 13, 4, 6},
  };
  for (const Row& row : rows) {
    app.roiWindow.ROIlist.clear();
    app.roiWindow.BGinnerEdit.value = row.dIn;
    app.roiWindow.BGsizeEdit.value = row.dOut;
    addRoi(40, 50, row.d, true);
    const RoiOverlay r = view.overlays().rois.at(0);
    EXPECT_EQ(r.outerBox, square(row.outerHalf)) << row.dIn;
    EXPECT_EQ(r.innerBox, row.innerHalf ? std::optional(square(row.innerHalf)) : std::nullopt)
        << row.dIn;
  }
  // A separate sky box has the star box's size; an unplaced one is not drawn.
  app.roiWindow.ROIlist.clear();
  addRoi(40, 50, 9, false, 70, 20);
  addRoi(40, 50, 9);
  const ImageOverlays o = view.overlays();
  EXPECT_EQ(o.rois[0].outerBox, (ScreenRect{65, 15, 73, 23}));
  EXPECT_FALSE(o.rois[0].innerBox);
  EXPECT_FALSE(o.rois[1].outerBox);
}

TEST_F(ImageViewTest, TrackstarCircleOnlyWhenShownAndKnown) {
  app.settings.ZoomFactor = 0.5;
  app.settings.TrackingRange = 20;
  app.imageWindow.TrackstarX = 100.5;  // 79.5 -> 80 and 119.5 -> 120
  app.imageWindow.TrackstarY = 60;
  EXPECT_FALSE(view.overlays().trackstarCircle);
  app.settings.ShowTrackstar = true;
  EXPECT_EQ(view.overlays().trackstarCircle, (ScreenRect{40, 20, 60, 40}));  // 39 / 2, 79 / 2
  app.imageWindow.TrackstarY = 0;
  EXPECT_FALSE(view.overlays().trackstarCircle);
}

TEST_F(ImageViewTest, ReadoutShowsThePixelAndTheMaximumAroundIt) {
  Timgbuffer& img = blankFrame(20, 10);
  img.putpixel(3, 2, 500);
  img.putpixel(8, 7, 650);  // five columns and rows from pixel (3, 2)
  img.putpixel(9, 2, 700);  // six columns away
  struct Row { std::int32_t x, y; const char* expected; };
  const Row rows[] = {
      {2, 1, "X=2 Y=1 I=500 Max=650"}, {19, 9, "X=19 Y=9 I=0 Max=0"},
      {20, 0, ""}, {0, 10, ""}, {-1, 0, ""},
  };
  for (const Row& row : rows) EXPECT_EQ(view.readout(row.x, row.y), row.expected) << row.x;
  app.settings.ZoomFactor = 2.0;
  EXPECT_EQ(view.readout(39, 0), "");  // 19.5 -> 20: past the last column
  EXPECT_EQ(view.readout(37, 0), "X=18 Y=0 I=0 Max=0");
}

class ImageMouseTest : public ::testing::Test, protected AppRig {
 protected:
  void SetUp() override {
    ASSERT_TRUE(app.openSeries({twoStars("a.fit")}));
    main.ROIbuttonClick(true);
  }
  void click(int x, int y, bool shift = false) {
    mouse.press(MouseButton::Left, x, y);
    mouse.release(MouseButton::Left, shift, x, y);
  }
  std::pair<int, int> star(int n) { return {app.roiWindow.roi(n).xa, app.roiWindow.roi(n).ya}; }
  std::pair<int, int> sky(int n) { return {app.roiWindow.roi(n).xb, app.roiWindow.roi(n).yb}; }

  MainWindowModel main{app};
  ImageMouse mouse{app, main};
};

TEST_F(ImageMouseTest, ClicksLandOnTheImagePixelAtEveryZoom) {
  app.roiWindow.AutocenterCheckBox = false;
  struct Row { std::int32_t zoomIndex, x, y, column, row; };
  // Screen position / zoom, rounded, plus one: at 50 % (29, 21) is 58, 42 -> 59, 43.
  for (const Row r : {Row{0, 45, 31, 31, 22}, Row{0, 44, 33, 30, 23}, Row{1, 29, 21, 30, 22},
                      Row{3, 29, 21, 59, 43}, Row{5, 7, 5, 29, 21}}) {
    app.series.ZoomfactorComboboxChange(r.zoomIndex);
    click(r.x, r.y);
    EXPECT_EQ(star(app.roiWindow.count()), std::pair(r.column, r.row)) << r.zoomIndex;
    click(r.x, r.y);  // its ring
  }
}

TEST_F(ImageMouseTest, StarThenBackgroundThenStarInformation) {
  click(31, 29);  // beside the star: centred onto it
  EXPECT_EQ(star(1), std::pair(30, 30));
  EXPECT_EQ(main.statusPanel0, "Leeren Hintergrund mit linker Maustaste markieren");
  EXPECT_EQ(mouse.starInfoFor, 0);
  click(31, 31);  // on the star: a ring around it
  EXPECT_EQ(sky(1), std::pair(30, 30));
  EXPECT_EQ(main.statusPanel0, "ROIs OK");
  EXPECT_EQ(mouse.starInfoFor, 1);
  EXPECT_EQ(app.starInfo.IDEdit, "ROI 1");
  EXPECT_GT(app.roiWindow.roi(1).net(), 19000);
  click(69, 49);  // the next star, then a sky box away from it
  click(80, 60);
  EXPECT_EQ(app.roiWindow.count(), 2);
  EXPECT_EQ(sky(2), std::pair(81, 61));
  EXPECT_EQ(mouse.starInfoFor, 2);
}

TEST_F(ImageMouseTest, DraggingMovesOneRoiOrWithShiftAll) {
  app.roiWindow.AutocenterCheckBox = false;
  click(29, 29);
  click(29, 29);
  click(69, 49);
  click(80, 60);
  main.MoveRoiButtonClick(true);
  mouse.press(MouseButton::Left, 29, 29);
  mouse.release(MouseButton::Left, false, 32, 27);
  EXPECT_EQ(star(1), std::pair(33, 28));
  EXPECT_EQ(star(2), std::pair(70, 50));
  mouse.press(MouseButton::Left, 5, 5);  // on no ROI, but with Shift all move
  mouse.release(MouseButton::Left, true, 6, 7);
  EXPECT_EQ(star(1), std::pair(34, 30));
  EXPECT_EQ(std::pair(star(2), sky(2)), std::pair(std::pair(71, 52), std::pair(82, 63)));
  EXPECT_EQ(main.statusPanel0, "");
}

TEST_F(ImageMouseTest, RectangleAndFixedMarkers) {
  main.ROIbuttonClick(false);
  mouse.DrawRectangleClick();
  mouse.press(MouseButton::Left, 10, 12);
  mouse.move(40, 30);
  mouse.release(MouseButton::Left, false, 50, 35);
  EXPECT_EQ(app.imageView.Rect1, (ScreenRect{10, 12, 50, 35}));
  EXPECT_FALSE(mouse.DoRect1);
  EXPECT_EQ(app.roiWindow.count(), 0);
  click(29, 29);  // no mode: nothing
  EXPECT_EQ(app.roiWindow.count(), 0);
  app.flags.DCFROI = true;
  click(29, 29);
  ASSERT_EQ(app.roiWindow.count(), 1);
  EXPECT_TRUE(app.roiWindow.roi(1).isFixed());
}

}  // namespace
}  // namespace vargaze::test
