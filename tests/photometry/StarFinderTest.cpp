// The automatic star marker: medians, thresholds, the window grid, the S/N
// filter, cancelling and the command around the search.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "base/Errors.h"
#include "photometry/StarFinder.h"
#include "SyntheticSky.h"

namespace vargaze {
namespace {

using test::addStar;
using test::makeSky;
using test::RoiWindowRig;

std::pair<std::int32_t, std::int32_t> position(const TRoi1& r) { return {r.xa, r.ya}; }

TEST(StarFinderMedianTest, NineValuesAndTheImageBorder) {
  Timgbuffer img;
  makeSky(img, 5, 5, 10);
  const std::int32_t block[3][3] = {{9, 1, 8}, {2, 7, 3}, {6, 4, 5}};
  for (std::int32_t i = 0; i < 3; ++i) {
    for (std::int32_t j = 0; j < 3; ++j) img.putpixel(2 + i, 2 + j, block[i][j]);
  }
  EXPECT_EQ(getMedian(img, 3, 3), 5);
  // At the corner five of the nine pixels lie outside and count 0.
  EXPECT_EQ(getMedian(img, 1, 1), 0);
  // One hot pixel does not make a star.
  makeSky(img, 5, 5, 10);
  img.putpixel(3, 3, 60000);
  EXPECT_EQ(getMedian(img, 3, 3), 10);
}

TEST(StarFinderThresholdTest, WorkedExample) {
  const StarThresholds t = starThresholds(100, 1.0, 60000);
  EXPECT_EQ(t.t1, 200);   // 100 + 10 * sqrt(100)
  EXPECT_EQ(t.t2, 1897);  // 100 + 0.03 * 59900
  EXPECT_EQ(t.t3, 6090);  // 100 + 0.1 * 59900
  EXPECT_EQ(thresholdFor(t, 0), 6090);
  EXPECT_EQ(thresholdFor(t, 1), 1897);
  EXPECT_EQ(thresholdFor(t, 2), 200);
  EXPECT_THROW(thresholdFor(t, 3), RangeError);
}

TEST(StarFinderThresholdTest, LowLimitsCollapseOntoTheNoiseThreshold) {
  // t1 at or above the maximum: all three take t1.
  StarThresholds t = starThresholds(100, 1.0, 150);
  EXPECT_EQ(t.t1, 200);
  EXPECT_EQ(t.t2, 200);
  EXPECT_EQ(t.t3, 200);
  // 100 + 27 and 100 + 90 lie below t1 = 200.
  t = starThresholds(100, 1.0, 1000);
  EXPECT_EQ(t.t2, 200);
  EXPECT_EQ(t.t3, 200);
  // A gain of 0 from a bad configuration counts as 2: 200 + 10 * sqrt(100).
  EXPECT_EQ(starThresholds(200, 0.0, 60000).t1, 300);
}

TEST(StarFinderThresholdTest, BackgroundIsTheFullestHistogramBin) {
  Timgbuffer img;
  makeSky(img, 40, 40, 100);
  for (std::int32_t x = 1; x <= 40; ++x) {
    for (std::int32_t y = 21; y <= 40; ++y) img.putpixel(x, y, 200);
  }
  img.putpixel(1, 40, 1020);  // histogram scale 255 / 1020 = 0.25
  img.putpixel(2, 40, 50);    // now 799 pixels of 100 and 799 of 200
  const Timghistogram hist = starfindHistogram(img);
  EXPECT_EQ(hist.Max, 1020);
  // Equal bins: the first one (100 -> bin 25 -> 25 / 0.25).
  EXPECT_EQ(histogramBackground(hist), 100);
}

class FindStarsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    makeSky(rig.img, 100, 100, 100);
    rig.show();
  }
  RoiWindowRig rig;
};

TEST_F(FindStarsTest, MarksEachStarOnceAtItsPixel) {
  addStar(rig.img, 30, 40, 3000, 1.5);
  addStar(rig.img, 70, 25, 3000, 1.5);
  addStar(rig.img, 55, 75, 3000, 1.5);
  rig.win.AutocenterCheckBox = false;  // the ROI stays where the finder put it

  EXPECT_EQ(FindStars(rig.win, rig.img, 200, 3, 60000), 3);
  ASSERT_EQ(rig.win.count(), 3);
  // Window rows run from the top: the star in row 25 comes first.
  EXPECT_EQ(position(rig.win.roi(1)), std::make_pair(70, 25));
  EXPECT_EQ(position(rig.win.roi(2)), std::make_pair(30, 40));
  EXPECT_EQ(position(rig.win.roi(3)), std::make_pair(55, 75));
  for (std::int32_t i = 1; i <= 3; ++i) {
    const TRoi1& r = rig.win.roi(i);
    EXPECT_EQ(r.num, i);
    EXPECT_EQ(r.x0a, r.xa);
    EXPECT_TRUE(r.ringMode()) << "ROI " << i;
    EXPECT_GT(r.net(), 0);
  }
  EXPECT_EQ(rig.win.ROIindex, 3);
  // 100 div 5 - 2 window rows, one progress step and event round each.
  EXPECT_EQ(rig.ui.progressSteps, 18);
  EXPECT_EQ(rig.ui.progressDone, 18);
  EXPECT_EQ(rig.ui.eventsProcessed, 18);
}

TEST_F(FindStarsTest, CentredRoisStayOnTheStars) {
  addStar(rig.img, 30, 40, 3000, 1.5);
  addStar(rig.img, 70, 25, 3000, 1.5);
  EXPECT_EQ(FindStars(rig.win, rig.img, 200, 3, 60000), 2);
  ASSERT_EQ(rig.win.count(), 2);
  EXPECT_EQ(position(rig.win.roi(1)), std::make_pair(70, 25));
  EXPECT_EQ(position(rig.win.roi(2)), std::make_pair(30, 40));
}

TEST_F(FindStarsTest, SaturatedStarIsSkipped) {
  addStar(rig.img, 30, 40, 8000, 1.5);  // median about 6500
  addStar(rig.img, 70, 25, 2000, 1.5);  // median about 1700
  EXPECT_EQ(FindStars(rig.win, rig.img, 200, 3, 4000), 1);
  ASSERT_EQ(rig.win.count(), 1);
  EXPECT_EQ(position(rig.win.roi(1)), std::make_pair(70, 25));
}

TEST_F(FindStarsTest, StarOfAnExistingRoiGetsNoSecondOne) {
  addStar(rig.img, 30, 40, 3000, 1.5);
  addStar(rig.img, 70, 25, 3000, 1.5);
  addStar(rig.img, 55, 75, 3000, 1.5);
  rig.win.Newroi(29, 39);  // 0-based click on the star at (30, 40)
  ASSERT_EQ(position(rig.win.roi(1)), std::make_pair(30, 40));

  EXPECT_EQ(FindStars(rig.win, rig.img, 200, 3, 60000), 2);
  ASSERT_EQ(rig.win.count(), 3);
  std::set<std::pair<std::int32_t, std::int32_t>> positions;
  for (const TRoi1& r : rig.win.ROIlist) positions.insert(position(r));
  EXPECT_EQ(positions, (std::set<std::pair<std::int32_t, std::int32_t>>{{30, 40}, {70, 25}, {55, 75}}));
}

TEST_F(FindStarsTest, MinimumSignalToNoiseDropsFaintStars) {
  addStar(rig.img, 30, 40, 3000, 1.5);  // S/N near 170
  addStar(rig.img, 70, 25, 150, 1.5);   // median 220, S/N near 27

  EXPECT_EQ(FindStars(rig.win, rig.img, 200, 3, 60000), 2);
  rig.win.ClearROIs();

  EXPECT_EQ(FindStars(rig.win, rig.img, 200, 100, 60000), 1);
  ASSERT_EQ(rig.win.count(), 1);
  // The faint star's ROI was made first and deleted again.
  EXPECT_EQ(position(rig.win.roi(1)), std::make_pair(30, 40));
  EXPECT_EQ(rig.win.roi(1).num, 1);
  EXPECT_EQ(rig.win.ROIindex, 1);
}

TEST_F(FindStarsTest, BoxWithoutCountsPassesNoMinimum) {
  makeSky(rig.img, 100, 100, -1000);
  addStar(rig.img, 30, 40, 3000, 1.0);
  rig.win.AutocenterCheckBox = false;
  // Premise: the star's median peak is positive but its 5 x 5 box sums below 0.
  std::int64_t box = 0;
  for (std::int32_t x = 28; x <= 32; ++x) {
    for (std::int32_t y = 38; y <= 42; ++y) box += rig.img.getpixel(x, y);
  }
  ASSERT_LE(box, 0);
  ASSERT_GT(getMedian(rig.img, 30, 40), 0);

  EXPECT_EQ(FindStars(rig.win, rig.img, 0, 0, 60000), 0);
  EXPECT_EQ(rig.win.count(), 0);
}

TEST_F(FindStarsTest, CancelKeepsTheRoisFoundSoFar) {
  addStar(rig.img, 10, 10, 3000, 1.5);  // window row 1
  addStar(rig.img, 50, 50, 3000, 1.5);  // window row 9
  rig.ui.cancelAfterEvents = 1;

  EXPECT_EQ(FindStars(rig.win, rig.img, 200, 3, 60000), 1);
  ASSERT_EQ(rig.win.count(), 1);
  EXPECT_EQ(position(rig.win.roi(1)), std::make_pair(10, 10));
  EXPECT_EQ(rig.ui.progressDone, 1);
}

TEST_F(FindStarsTest, UserRectangleLimitsTheSearch) {
  addStar(rig.img, 30, 40, 3000, 1.5);
  addStar(rig.img, 70, 25, 3000, 1.5);  // on the rectangle's first window row edge
  addStar(rig.img, 55, 75, 3000, 1.5);  // below the rectangle
  // Windows start at (25, 25): 60 div 5 - 2 columns, 40 div 5 - 2 rows.
  const ImageRect rect{20, 20, 80, 60};
  EXPECT_EQ(FindStars(rig.win, rig.img, 200, 3, 60000, rect), 1);
  ASSERT_EQ(rig.win.count(), 1);
  EXPECT_EQ(position(rig.win.roi(1)), std::make_pair(30, 40));
  EXPECT_EQ(rig.ui.progressSteps, 6);
}

TEST(FindstarsCommandTest, WithoutImage) {
  RoiWindowRig rig;
  StarfindDialog dialog;
  EXPECT_FALSE(prepareFindstars(rig.win, dialog));
  EXPECT_EQ(findstars(rig.win, dialog), 0);
  EXPECT_EQ(rig.ui.messages, (std::vector<std::string>{"Kein Bild geladen", "Kein Bild geladen"}));
}

TEST(FindstarsCommandTest, DialogDefaultsAndResultMessage) {
  RoiWindowRig rig;
  makeSky(rig.img, 100, 100, 100);
  addStar(rig.img, 30, 40, 3000, 1.5);
  addStar(rig.img, 70, 25, 3000, 1.5);
  addStar(rig.img, 55, 75, 3000, 1.5);
  rig.show();

  StarfindDialog dialog;
  EXPECT_EQ(dialog.sensitivity, 1);
  EXPECT_EQ(dialog.MinSNEdit.value, 3);
  ASSERT_TRUE(prepareFindstars(rig.win, dialog));
  EXPECT_EQ(dialog.MaxcountEdit.value, 3100);  // the brightest pixel: sky + peak

  EXPECT_EQ(findstars(rig.win, dialog), 3);
  EXPECT_EQ(rig.win.count(), 3);
  EXPECT_EQ(rig.ui.messages.back(), "3 Sterne gefunden");
}

}  // namespace
}  // namespace vargaze
