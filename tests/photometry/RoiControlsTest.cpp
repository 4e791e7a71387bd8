// Star types, the filter change and the aperture size rule.
#include <gtest/gtest.h>

#include "RoiWindowFixture.h"

namespace vargaze {
namespace {

class RoiControlsTest : public test::RoiWindowFixture {};

TEST_F(RoiControlsTest, ComparisonStarTakesTheMagnitudeText) {
  const auto n = addStar(30, 30, 5000);
  window.RefstarEdit = n;
  window.MagEdit = "12.345";
  EXPECT_TRUE(window.SetStarType(kStarComp));
  EXPECT_TRUE(window.roi(n).ref);
  EXPECT_FLOAT_EQ(window.roi(n).rmag, 12.345f);
  EXPECT_EQ(window.MagEdit, "12.345");  // shown again by the selection handler
  EXPECT_EQ(window.StartypeIndex, kStarComp);
}

TEST_F(RoiControlsTest, CommaAndStarInTheMagnitudeText) {
  const auto n = addStar(30, 30, 5000);
  window.roi(n).rmag = 11.234f;
  window.RefstarEdit = n;
  window.MagEdit = "Var";
  EXPECT_TRUE(window.SetStarType(kStarComp));  // "Var" becomes "11.23*"
  EXPECT_FLOAT_EQ(window.roi(n).rmag, 11.23f);
  window.MagEdit = "9,5";
  EXPECT_TRUE(window.SetStarType(kStarCheck));
  EXPECT_FALSE(window.roi(n).ref);
  EXPECT_FLOAT_EQ(window.roi(n).rmag, 9.5f);
  EXPECT_EQ(window.roi(n).starType(), kStarCheck);
}

TEST_F(RoiControlsTest, CheckWithoutMagnitudeBecomesVar) {
  const auto n = addStar(30, 30, 5000);
  window.RefstarEdit = n;
  window.MagEdit = "";
  EXPECT_TRUE(window.SetStarType(kStarCheck));  // text "Check" reads as 0
  EXPECT_EQ(window.roi(n).starType(), kStarVar);
}

TEST_F(RoiControlsTest, RefusedInputsKeepThePreviousType) {
  const auto n = addStar(30, 30, 5000);
  makeComparison(n, 10.5f);
  window.RefstarEdit = n;
  window.MagEdit = "abc";
  EXPECT_FALSE(window.SetStarType(kStarCheck));
  EXPECT_EQ(ui.messages.back(), "Bitte Mag für Vergleichsstern korrekt eintragen");
  EXPECT_TRUE(window.roi(n).ref);

  const auto faint = addStar(60, 30, 80);  // net 80 <= 100: not measurable
  window.RefstarEdit = faint;
  window.roi(faint).rmag = 13.0f;
  window.MagEdit = "14.0";
  flags.Blinkmode = true;
  EXPECT_FALSE(window.SetStarType(kStarComp));
  EXPECT_EQ(ui.messages.back(), "Stern nicht messbar!");
  EXPECT_FALSE(window.roi(faint).ref);
  EXPECT_FLOAT_EQ(window.roi(faint).rmag, 13.0f);  // restored
  EXPECT_FALSE(flags.Blinkmode);
  // A Var star needs no signal.
  EXPECT_TRUE(window.SetStarType(kStarVar));
  EXPECT_EQ(window.roi(faint).starType(), kStarVar);

  window.RefstarEdit = 9;
  EXPECT_FALSE(window.SetStarType(kStarVar));
  EXPECT_EQ(ui.messages.back(), "Vergleichsstern-Nummer falsch");
}

TEST_F(RoiControlsTest, FilterChangeTakesCatalogueValuesAndReportsMissingOnes) {
  const auto comp = addStar(20, 20, 5000);
  const auto check = addStar(50, 20, 6000);
  const auto comp2 = addStar(80, 20, 7000);
  makeComparison(comp, 10.0f);
  makeComparison(comp2, 11.0f);
  window.roi(check).rmag = 12.0f;
  window.roi(check).stype = kStarCheck;
  window.bvri(comp) = BVRIRec{10.6f, 10.0f, 9.7f, 99.0f};
  window.bvri(comp2) = BVRIRec{11.5f, 11.0f, 99.0f, 99.0f};
  window.bvri(check) = BVRIRec{12.4f, 12.0f, 99.0f, 99.0f};

  window.FilterComboboxChange(7);  // "TG" takes V values
  EXPECT_TRUE(ui.messages.empty());
  window.FilterComboboxChange(4);  // "R": two stars miss it, one message
  EXPECT_FLOAT_EQ(window.roi(comp).rmag, 9.7f);
  EXPECT_EQ(window.roi(comp2).rmag, 0.0f);
  EXPECT_EQ(window.roi(check).rmag, 0.0f);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0], "R-Katalogwert (Vergleichsstern) fehlt, Umschaltung auf diff. Mag.");
  EXPECT_TRUE(window.Diffmag);
  // Back to a filter with values: every star is calibrated again.
  window.FilterComboboxChange(2);
  EXPECT_FLOAT_EQ(window.roi(comp2).rmag, 11.5f);
  EXPECT_FLOAT_EQ(window.roi(check).rmag, 12.4f);
  EXPECT_EQ(window.roi(check).starType(), kStarCheck);
  EXPECT_EQ(window.RefstarEdit, 0);
}

TEST_F(RoiControlsTest, SizeRuleRaisesTheRingAndAppliesToEveryRoi) {
  const auto n = addStar(30, 30, 5000);
  window.setStarSize(9);
  EXPECT_EQ(window.BGinnerEdit.minimum, 11);
  EXPECT_EQ(window.BGinnerEdit.value, 11);
  // max(2 * round(9 / sqrt 2) + 1, 5 + 2) = 13, computed before the inner control moved
  EXPECT_EQ(window.BGsizeEdit.minimum, 13);
  EXPECT_EQ(window.BGsizeEdit.value, 13);
  EXPECT_EQ(window.roi(n).d, 9);
  EXPECT_EQ(window.roi(n).d2, 11);
  EXPECT_EQ(window.roi(n).d3, 13);
  EXPECT_EQ(window.roi(n).npixa, 81);
  window.setStarSize(150);  // clamped to the control's maximum
  EXPECT_EQ(window.ROIsizeEdit.value, 99);
  window.setOuterSize(3);   // below its minimum
  EXPECT_EQ(window.BGsizeEdit.value, window.BGsizeEdit.minimum);
  // The largest inner ring cannot push the outer ring past its own maximum.
  window.setStarSize(9);
  window.setInnerSize(150);
  EXPECT_EQ(window.BGinnerEdit.value, 150);
  EXPECT_EQ(window.BGsizeEdit.value, 150);
  EXPECT_LE(window.BGsizeEdit.minimum, window.BGsizeEdit.maximum);
}

TEST_F(RoiControlsTest, ConfiguredSizesApplyAtTheFirstShowingOnly) {
  settings.DefaultROIsize = 7;
  settings.DefaultBGinnerSize = 9;
  settings.DefaultBGoutersize = 15;
  window.FormShow();
  EXPECT_EQ(window.ROIsizeEdit.value, 7);
  EXPECT_EQ(window.BGinnerEdit.value, 9);
  EXPECT_EQ(window.BGsizeEdit.value, 15);
  EXPECT_EQ(window.ElcountEdit, "1.00");
  window.setStarSize(11);
  window.FormShow();
  EXPECT_EQ(window.ROIsizeEdit.value, 11);
}

TEST_F(RoiControlsTest, NamesAreCutAndNeverStartWithABracket) {
  const auto n = addStar(30, 30, 5000);
  window.RefstarEdit = n;
  window.NameEditChange("[ROIfile] " + std::string(50, 'x'));
  EXPECT_EQ(window.roi(n).Name.size(), 40u);
  EXPECT_EQ(window.roi(n).Name[0], '(');
}

}  // namespace
}  // namespace vargaze
