// Drift from the track star.
#include <gtest/gtest.h>

#include <cmath>

#include "photometry/Tracking.h"
#include "SyntheticField.h"

namespace vargaze {
namespace {

TEST(TrackingTest, ShiftIsTheStarCentreMinusItsStoredPosition) {
  Timgbuffer img;
  // A symmetric star on a black sky: its weighted centre is its position.
  test::fillImage(img, 100, 80, [](int x, int y) {
    return static_cast<int>(std::lround(test::gaussianStar(52.0, 41.0, 200000, 1.5, x, y)));
  });
  ImageWindowState imgwin;
  imgwin.TrackstarX = 50.0;
  imgwin.TrackstarY = 40.0;
  double sx = 0.0;
  double sy = 0.0;
  ASSERT_TRUE(GetTrackstarShift(img, imgwin, 10, sx, sy));
  EXPECT_NEAR(sx, 2.0, 1e-9);
  EXPECT_NEAR(sy, 1.0, 1e-9);
  EXPECT_DOUBLE_EQ(imgwin.Vx, sx);
  EXPECT_DOUBLE_EQ(imgwin.Vy, sy);
}

TEST(TrackingTest, NoTrackStarOrNoStarLeavesTheShift) {
  Timgbuffer flat;
  test::fillImage(flat, 60, 60, [](int, int) { return 300; });
  ImageWindowState imgwin;
  imgwin.Vx = 1.5;
  double sx = 7.0;
  double sy = 7.0;
  EXPECT_FALSE(GetTrackstarShift(flat, imgwin, 10, sx, sy));  // none set
  imgwin.TrackstarX = 30.0;
  imgwin.TrackstarY = 30.0;
  EXPECT_FALSE(GetTrackstarShift(flat, imgwin, 10, sx, sy));  // nothing to find
  EXPECT_EQ(imgwin.Vx, 1.5);
  EXPECT_EQ(sx, 7.0);
}

}  // namespace
}  // namespace vargaze
