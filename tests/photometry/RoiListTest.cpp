// Creating, placing, moving, finding and deleting ROIs.
#include <gtest/gtest.h>

#include "base/Errors.h"
#include "RoiWindowFixture.h"

namespace vargaze {
namespace {

class RoiListTest : public test::RoiWindowFixture {};

TEST_F(RoiListTest, NewRoiTakesTheControlsAndWaitsForItsBackground) {
  window.setStarSize(9);
  const auto n = window.Newroi(29, 19);  // 0-based click
  EXPECT_EQ(n, 1);
  const TRoi1& r = window.roi(n);
  EXPECT_EQ(r.xa, 30);
  EXPECT_EQ(r.ya, 20);
  EXPECT_EQ(r.x0a, 30);
  EXPECT_EQ(r.d, 9);
  EXPECT_EQ(r.xb, -1);
  EXPECT_EQ(r.mag, 99.0f);
  EXPECT_EQ(window.BVRIlist.size(), 1u);
  EXPECT_EQ(window.BVRIlist[0].Vmag, 99.0f);
  EXPECT_EQ(window.table1.cell(1, 0), "1");
  EXPECT_EQ(window.ROIindex, 1);
}

TEST_F(RoiListTest, NewRoiIsCentredAroundTheClick) {
  stars[{45, 30}] = 20000;
  draw();
  window.AutocenterCheckBox = true;
  imgwin.Vx = 25.0;  // a shift from an earlier frame must not move the search
  imgwin.Vy = -12.0;
  const auto n = window.Newroi(42, 28);
  EXPECT_EQ(window.roi(n).xa, 45);
  EXPECT_EQ(window.roi(n).ya, 30);
  EXPECT_EQ(window.roi(n).x0a, 45);
}

TEST_F(RoiListTest, BackgroundClickOnTheStarGivesRingModeFartherGivesASkyBox) {
  const auto n = window.Newroi(29, 19);  // centre (30, 20), d = 5: reach 4
  window.BGROI1(n, 29 + 3, 19 - 3);      // 3 pixels away on both axes: on the star
  EXPECT_TRUE(window.roi(n).ringMode());
  EXPECT_EQ(window.roi(n).xb, 30);
  const auto m = window.Newroi(59, 19);  // centre (60, 20)
  window.BGROI1(m, 59 + 4, 19);          // exactly d - 1 away: a separate box
  EXPECT_FALSE(window.roi(m).ringMode());
  EXPECT_EQ(window.roi(m).xb, 64);
  EXPECT_EQ(window.roi(m).npixb, 25);
}

TEST_F(RoiListTest, DeletingRenumbersAndRebuildsTheTable) {
  addStar(20, 20, 5000);
  addStar(50, 20, 6000);
  addStar(80, 20, 7000);
  window.UpdateROItable(0);
  const std::string third = window.table1.cell(3, 3);
  EXPECT_TRUE(window.DeleteROI(2));
  EXPECT_EQ(window.count(), 2);
  EXPECT_EQ(window.ROIindex, 2);
  EXPECT_EQ(window.roi(2).num, 2);
  EXPECT_EQ(window.roi(2).xa, 80);
  EXPECT_EQ(window.table1.cell(2, 3), third);  // the old third row moved up
  EXPECT_EQ(window.table1.cell(3, 3), "");
  EXPECT_EQ(flags.BGROI, -1);
  // Deleting the last keeps the other rows as they are.
  const std::string first = window.table1.cell(1, 3);
  EXPECT_TRUE(window.DeleteROI(2));
  EXPECT_EQ(window.table1.cell(1, 3), first);
  EXPECT_EQ(window.table1.cell(2, 3), "");
  EXPECT_THROW(window.DeleteROI(5), RangeError);
}

TEST_F(RoiListTest, ResetKeepsFixedRoisAndSetKeepsThemFixed) {
  const auto a = window.Newroi(29, 19);
  flags.DCFROI = true;
  const auto fixedRoi = window.Newroi(59, 19);
  flags.DCFROI = false;
  EXPECT_TRUE(window.roi(fixedRoi).isFixed());
  window.roi(a).xa = 35;
  window.roi(fixedRoi).xa = 65;
  window.ResetROIposition();
  EXPECT_EQ(window.roi(a).xa, 30);
  EXPECT_EQ(window.roi(fixedRoi).xa, 65);
  window.SetROIposition();
  EXPECT_TRUE(window.roi(fixedRoi).isFixed());
}

TEST_F(RoiListTest, FixedRoiRemembersItsBrightnessAtCreation) {
  stars[{60, 20}] = 1000;
  draw();
  flags.DCFROI = true;
  const auto n = window.Newroi(59, 19);
  // No background yet: the net signal is the box sum, 25 * 100 + 1000.
  EXPECT_NEAR(window.roi(n).rmag, -2.5 * std::log10(3500.0), 1e-5);
  EXPECT_EQ(window.roi(n).rmag, window.roi(n).mag);
}

TEST_F(RoiListTest, RoiFoundReturnsTheLowestNumberAndHonoursMaxnum) {
  window.Newroi(29, 19);  // centre (30, 20), d = 5: 0-based hits 27..31
  window.Newroi(30, 19);  // overlapping
  EXPECT_EQ(window.ROIfound(27, 17, 10), 1);
  EXPECT_EQ(window.ROIfound(31, 21, 10), 1);
  EXPECT_EQ(window.ROIfound(32, 21, 10), 2);
  EXPECT_EQ(window.ROIfound(26, 19, 10), -1);
  EXPECT_EQ(window.ROIfound(29, 19, 0), -1);
}

TEST_F(RoiListTest, MoveRoiMovesTheHitRoiAndLeavesUnplacedBackgrounds) {
  const auto a = addStar(20, 20, 5000);   // ring mode
  const auto b = window.Newroi(59, 39);   // background not placed
  window.MoveROI(Point{19, 19}, Point{3, -2}, false);
  EXPECT_EQ(window.roi(a).xa, 23);
  EXPECT_EQ(window.roi(a).ya, 18);
  EXPECT_TRUE(window.roi(a).ringMode());
  EXPECT_EQ(window.roi(b).xa, 60);
  window.MoveROI(Point{0, 0}, Point{1, 1}, true);
  EXPECT_EQ(window.roi(b).xa, 61);
  EXPECT_LE(window.roi(b).xb, 0);  // still unplaced
}

TEST_F(RoiListTest, CompVarAndCheckLookups) {
  const auto v = addStar(20, 20, 5000);
  const auto c = addStar(50, 20, 6000);
  const auto k = addStar(80, 20, 7000);
  makeComparison(c, 11.0f);
  window.roi(k).rmag = 12.0f;
  std::int32_t icomp = 0;
  EXPECT_EQ(window.GetCompstar(icomp), 1);
  EXPECT_EQ(icomp, c);
  std::int32_t ivar = 0;
  std::int32_t icheck = 0;
  EXPECT_TRUE(window.GetVarCheck(ivar, icheck));
  EXPECT_EQ(ivar, v);
  EXPECT_EQ(icheck, k);
  window.ClearROIs();
  EXPECT_EQ(window.count(), 0);
  EXPECT_EQ(window.table1.cell(1, 0), "");
  EXPECT_FALSE(window.GetVarCheck(ivar, icheck));
}

}  // namespace
}  // namespace vargaze
