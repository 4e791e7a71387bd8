// The table refresh: cell texts, error column, sky brightness and the drift
// estimate of the two measurement passes.
#include <gtest/gtest.h>

#include <cmath>

#include "base/Numbers.h"
#include "photometry/SignalNoise.h"
#include "RoiWindowFixture.h"

namespace vargaze {
namespace {

class TableRefreshTest : public test::RoiWindowFixture {};

TEST_F(TableRefreshTest, CountCellsAndCatalogueColumns) {
  const auto var = addStar(20, 20, 4000);
  const auto comp = addStar(60, 20, 9000);
  makeComparison(comp, 10.0f);
  window.bvri(comp) = BVRIRec{10.65f, 10.0f, 99.0f, 9.5f};
  window.bvri(var) = BVRIRec{12.0f, 11.0f, 10.5f, 10.0f};
  window.UpdateROItable(0);
  EXPECT_EQ(window.table1.cell(comp, 1), "11500");  // 25 * 100 + 9000
  EXPECT_EQ(window.table1.cell(comp, 2), "2500");
  EXPECT_EQ(window.table1.cell(comp, 3), "9000");
  EXPECT_EQ(window.table1.cell(comp, 4), "9100");
  EXPECT_EQ(window.table1.cell(comp, 8), "0.650");
  EXPECT_EQ(window.table1.cell(comp, 9), "10.000");
  EXPECT_EQ(window.table1.cell(comp, 10), "");
  EXPECT_EQ(window.table1.cell(comp, 11), "9.500");
  for (int c = 8; c <= 11; ++c) EXPECT_EQ(window.table1.cell(var, c), "");  // Var: no catalogue
  EXPECT_EQ(window.table1.cell(var, 6), "");  // Var keeps its (empty) DMag
}

TEST_F(TableRefreshTest, ErrorColumnUsesTheComparisonStars) {
  const auto var = addStar(20, 20, 4000);
  const auto comp = addStar(60, 20, 9000);
  makeComparison(comp, 10.0f);
  window.UpdateROItable(0);
  const std::int32_t snVar = window.roi(var).SN;
  const std::int32_t snComp = window.roi(comp).SN;
  ASSERT_GT(snVar, 2);
  ASSERT_GT(snComp, 2);
  const double error =
      1.086 * std::sqrt(std::pow(1.0 / snVar, 2) + std::pow(1.0857 / snComp, 2));
  EXPECT_EQ(window.table1.cell(var, 7),
            std::to_string(snVar) + " (" + formatFixed(error, 3, 4) + ")");
  EXPECT_EQ(window.table1.cell(comp, 7), std::to_string(snComp));
}

TEST_F(TableRefreshTest, InstrumentalErrorAndDslrFrames) {
  const auto var = addStar(20, 20, 4000);
  window.UpdateROItable(0);
  const std::int32_t sn = window.roi(var).SN;
  EXPECT_EQ(window.table1.cell(var, 7),
            std::to_string(sn) + " (" + formatFixed(1.086 / sn, 3, 4) + ")");
  img.OBSTYPE = "DSLR";
  window.UpdateROItable(0);
  EXPECT_EQ(window.table1.cell(var, 7), "");
}

TEST_F(TableRefreshTest, SkyBrightnessPerSquareArcsecond) {
  settings.ArcsecPerPixel = 2.0;
  const auto comp = addStar(60, 20, 10000);
  addStar(20, 20, 4000);
  makeComparison(comp, 10.0f);
  window.UpdateROItable(0);
  // Mean background 2500 per star box of 5 x 5 pixels of 2" : 25 counts per
  // square arcsecond; zero point 20.
  EXPECT_EQ(window.SkymagEdit, formatFixed(20.0 - 2.5 * std::log10(25.0), 2, 5));
  makeComparison(comp, 0.0f);  // differential: no sky brightness
  window.UpdateROItable(0);
  EXPECT_EQ(window.SkymagEdit, "");
}

TEST_F(TableRefreshTest, DriftOfTheFieldIsFollowed) {
  window.AutocenterCheckBox = true;
  stars = {{{30, 30}, 30000}, {{70, 40}, 20000}};
  draw();
  const auto a = window.Newroi(29, 29);
  const auto b = window.Newroi(69, 39);
  window.BGROI1(a, 29, 29);
  window.BGROI1(b, 69, 39);
  // The next frame: the whole field moved by (+2, -3), within the search
  // half-size of round(0.75 * (5 - 1)) = 3 pixels.
  flags.Activeframe = 2;
  stars = {{{32, 27}, 30000}, {{72, 37}, 20000}};
  draw();
  window.UpdateROItable(0);
  EXPECT_EQ(window.roi(a).xa, 32);
  EXPECT_EQ(window.roi(a).ya, 27);
  EXPECT_EQ(window.roi(b).xa, 72);
  EXPECT_DOUBLE_EQ(imgwin.Vx, 2.0);
  EXPECT_DOUBLE_EQ(imgwin.Vy, -3.0);
  EXPECT_EQ(window.roi(a).net(), 30000);
  // Frame 1 again: positions reset to the start before measuring.
  flags.Activeframe = 1;
  stars = {{{30, 30}, 30000}, {{70, 40}, 20000}};
  draw();
  window.UpdateROItable(0);
  EXPECT_EQ(window.roi(a).xa, 30);
}

TEST_F(TableRefreshTest, EmptyRingIsReportedOncePerCommand) {
  addStar(20, 20, 4000);
  addStar(60, 20, 4000);
  window.BGinnerEdit.value = 13;  // inner larger than outer: no ring
  window.BGsizeEdit.value = 7;
  window.startCommand();
  window.UpdateROItable(0);
  window.UpdateROItable(0);
  EXPECT_EQ(std::count(ui.messages.begin(), ui.messages.end(), "error imgwin:191"), 1);
  EXPECT_EQ(window.roi(1).mag, 99.0f);
}

}  // namespace
}  // namespace vargaze
