// The curve storage grows with the series and the ROI list.
#include <gtest/gtest.h>

#include "series/CurveArrays.h"

namespace vargaze {
namespace {

TEST(CurveArraysTest, GrowsBeyondAnyFixedSize) {
  CurveArrays curve;
  const std::vector<float> mags(1500, 12.5f);  // more ROIs than the old 1000
  curve.setFrame(4999, 123.25, 1.2f, mags);    // frame 5000 of a long night
  EXPECT_EQ(curve.XTimes.size(), 5000u);
  EXPECT_EQ(curve.XTimes[4999], 123.25);
  EXPECT_EQ(curve.AirmassArray[4999], 1.2f);
  EXPECT_EQ(curve.mag(4999, 1499), 12.5f);
  EXPECT_EQ(curve.mag(10, 0), 99.0f);    // never measured
  EXPECT_EQ(curve.mag(4999, 1500), 99.0f);
  EXPECT_EQ(curve.mag(6000, 0), 99.0f);
}

}  // namespace
}  // namespace vargaze
