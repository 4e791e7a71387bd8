// The mouse cycle of the image window: star, background, star information;
// moving ROIs; the rectangle.
#include <gtest/gtest.h>

#include "app/ImageMouse.h"
#include "app/MainWindow.h"
#include "support/AppRig.h"

namespace vargaze::test {
namespace {

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
    const TRoi1& roi = app.roiWindow.roi(app.roiWindow.count());
    EXPECT_EQ(roi.xa, r.column) << r.zoomIndex;
    EXPECT_EQ(roi.ya, r.row) << r.zoomIndex;
    click(r.x, r.y);  // its ring
  }
}

TEST_F(ImageMouseTest, StarThenBackgroundThenStarInformation) {
  click(31, 29);  // beside the star: centred onto it
  EXPECT_EQ(app.roiWindow.roi(1).xa, 30);
  EXPECT_EQ(app.roiWindow.roi(1).ya, 30);
  EXPECT_EQ(main.statusPanel0, "Leeren Hintergrund mit linker Maustaste markieren");
  EXPECT_EQ(mouse.starInfoFor, 0);
  click(31, 31);  // on the star: a ring around it
  EXPECT_EQ(app.roiWindow.roi(1).xb, 30);
  EXPECT_EQ(main.statusPanel0, "ROIs OK");
  EXPECT_EQ(mouse.starInfoFor, 1);
  EXPECT_EQ(app.starInfo.IDEdit, "ROI 1");
  EXPECT_GT(app.roiWindow.roi(1).net(), 19000);

  click(69, 49);  // the next star, then a sky box away from it
  click(80, 60);
  EXPECT_EQ(app.roiWindow.count(), 2);
  EXPECT_EQ(app.roiWindow.roi(2).xb, 81);
  EXPECT_EQ(app.roiWindow.roi(2).yb, 61);
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
  EXPECT_EQ(app.roiWindow.roi(1).xa, 33);
  EXPECT_EQ(app.roiWindow.roi(1).ya, 28);
  EXPECT_EQ(app.roiWindow.roi(2).xa, 70);
  mouse.press(MouseButton::Left, 5, 5);  // on no ROI, but with Shift all move
  mouse.release(MouseButton::Left, true, 6, 7);
  EXPECT_EQ(app.roiWindow.roi(1).xa, 34);
  EXPECT_EQ(app.roiWindow.roi(2).ya, 52);
  EXPECT_EQ(app.roiWindow.roi(2).yb, 63);  // its sky box moves along
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
