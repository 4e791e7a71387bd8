// The zoom list entries and the delimiter choices of the setup dialog.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "config/SettingLimits.h"

namespace vargaze {
namespace {

TEST(ZoomEntryTest, EachFactorSelectsItsOwnEntry) {
  EXPECT_EQ(zoomEntryIndex(1.5), 0);   // "150%"
  EXPECT_EQ(zoomEntryIndex(1.0), 1);   // "100%"
  EXPECT_EQ(zoomEntryIndex(0.7), 2);   // "70%"
  EXPECT_EQ(zoomEntryIndex(0.5), 3);   // "50%"
  EXPECT_EQ(zoomEntryIndex(0.35), 4);  // "35%"
  EXPECT_EQ(zoomEntryIndex(0.25), 5);  // "25%"
}

TEST(ZoomEntryTest, ValuesRoundToThePercentText) {
  EXPECT_EQ(zoomEntryIndex(0.704), 2);   // 70.4 -> "70%"
  EXPECT_EQ(zoomEntryIndex(0.6951), 2);  // 69.51 -> "70%"
  // Ties go to the even percentage.
  EXPECT_EQ(zoomEntryIndex(0.705), 2);   // 70.5 -> "70%"
  EXPECT_EQ(zoomEntryIndex(0.355), -1);  // 35.5 -> "36%"
  EXPECT_EQ(zoomEntryIndex(0.345), -1);  // 34.5 -> "34%"
}

TEST(ZoomEntryTest, NoEntryForOtherFactors) {
  EXPECT_EQ(zoomEntryIndex(0.8), -1);
  EXPECT_EQ(zoomEntryIndex(2.0), -1);
  EXPECT_EQ(zoomEntryIndex(0.0), -1);
  EXPECT_EQ(zoomEntryIndex(-0.7), -1);
  EXPECT_EQ(zoomEntryIndex(1e300), -1);
  EXPECT_EQ(zoomEntryIndex(std::nan("")), -1);
  EXPECT_EQ(zoomEntryIndex(std::numeric_limits<double>::infinity()), -1);
}

TEST(ZoomEntryTest, UsableFactorIsTheEntrysFactorOrOne) {
  EXPECT_EQ(usableZoomFactor(0.7), 0.7);
  EXPECT_EQ(usableZoomFactor(0.704), 0.7);
  EXPECT_EQ(usableZoomFactor(0.8), 1.0);
  EXPECT_EQ(usableZoomFactor(std::nan("")), 1.0);
}

TEST(DelimiterChoiceTest, OnlyTheThreeDialogCharacters) {
  EXPECT_TRUE(isExportDelimiterChoice(','));
  EXPECT_TRUE(isExportDelimiterChoice(';'));
  EXPECT_TRUE(isExportDelimiterChoice('|'));
  EXPECT_FALSE(isExportDelimiterChoice('\t'));
  EXPECT_FALSE(isExportDelimiterChoice('\0'));
  EXPECT_FALSE(isExportDelimiterChoice('x'));
}

}  // namespace
}  // namespace vargaze
