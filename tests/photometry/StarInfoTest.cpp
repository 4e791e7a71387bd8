// The star information dialog: filling, the Tycho conversion, the B, V, B-V
// handlers, storing on OK and the refused star.
#include <gtest/gtest.h>

#include <vector>

#include "photometry/StarInfo.h"
#include "SyntheticSky.h"

namespace vargaze {
namespace {

using test::addStar;
using test::makeSky;
using test::RoiWindowRig;

class StarInfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    makeSky(rig.img, 80, 80, 100);
    addStar(rig.img, 30, 30, 3000, 1.5);
    rig.show();
    star = rig.win.Newroi(29, 29);
    rig.win.BGROI1(star, 29, 29);
    sky = rig.win.Newroi(59, 59);  // nothing but sky: not measurable
    rig.win.BGROI1(sky, 59, 59);
    rig.win.FilterType = 3;  // "V"
    rig.ui.messages.clear();
  }
  RoiWindowRig rig;
  StarInfoDialog dialog{rig.ui};
  std::int32_t star = 0;
  std::int32_t sky = 0;
};

TEST_F(StarInfoTest, TychoToJohnson) {
  dialog.BTEdit = "10.000";
  dialog.VTEdit = "9.500";
  dialog.TycToJButtonClick();
  EXPECT_EQ(dialog.BmagEdit, "9.880");  // 10 - 0.24 * 0.5
  EXPECT_EQ(dialog.VMagEdit, "9.455");  // 9.5 - 0.09 * 0.5
  EXPECT_TRUE(rig.ui.messages.empty());
}

TEST_F(StarInfoTest, TychoNeedsBothNumbers) {
  dialog.BTEdit = "10.000";
  dialog.TycToJButtonClick();
  dialog.VTEdit = "9,5x";
  dialog.TycToJButtonClick();
  EXPECT_EQ(rig.ui.messages, (std::vector<std::string>{"Bt und Vt müssen eingetragen sein",
                                                       "Bt und Vt müssen korrekt eingetragen sein"}));
  EXPECT_EQ(dialog.BmagEdit, "");
}

TEST_F(StarInfoTest, TypingBShowsBMinusVAndBMinusVLeavesBAlone) {
  dialog.VMagEditChange("11.9");
  dialog.BmagEditClick();
  dialog.BmagEditChange("12.5");
  EXPECT_EQ(dialog.BVEdit, "0.600");
  EXPECT_TRUE(dialog.InputB);
  dialog.BVEditChange("1.000");
  EXPECT_EQ(dialog.BmagEdit, "12.5");

  dialog.BVEditClick();
  dialog.BVEditChange("0.700");
  EXPECT_EQ(dialog.BmagEdit, "12.600");
  // A new V recomputes B-V from B.
  dialog.VMagEditChange("12.0");
  EXPECT_EQ(dialog.BVEdit, "0.600");
}

TEST_F(StarInfoTest, PrepareShowsTheCatalogueAndTheProposals) {
  BVRIRec& c = rig.win.bvri(star);
  c.Bmag = 12.5f;
  c.Vmag = 11.9f;
  c.Rmag = 90.0f;  // exactly 90 is still shown
  c.Imag = 99.0f;
  rig.win.roi(star).Name = "RR Lyr";
  dialog.prepare(rig.win, star, 2, "", "");
  EXPECT_EQ(dialog.IDEdit, "ROI 1");
  EXPECT_EQ(dialog.StarnameEdit, "RR Lyr");
  EXPECT_EQ(dialog.BmagEdit, "12.500");
  EXPECT_EQ(dialog.VMagEdit, "11.900");
  EXPECT_EQ(dialog.RMagEdit, "90.000");
  EXPECT_EQ(dialog.IMagEdit, "");
  EXPECT_EQ(dialog.BVEdit, "0.600");
  EXPECT_EQ(dialog.magstr, "11.900");
  EXPECT_EQ(dialog.StarTypeGroup, 2);
  EXPECT_TRUE(dialog.MagnitudeFieldsEnabled);
  EXPECT_FALSE(dialog.KatalogGroupEnabled);  // "differentiell"

  dialog.prepare(rig.win, star, 0, "other", "");
  EXPECT_EQ(dialog.StarnameEdit, "other");
  EXPECT_FALSE(dialog.MagnitudeFieldsEnabled);
}

TEST_F(StarInfoTest, EmptyFilterFieldTakesTheProposal) {
  rig.win.roi(star).rmag = 10.25f;
  dialog.prepare(rig.win, star, 2, "", "");
  EXPECT_EQ(dialog.VMagEdit, "10.250");
  dialog.prepare(rig.win, star, 2, "", "9.75");
  EXPECT_EQ(dialog.VMagEdit, "9.75");
  EXPECT_EQ(dialog.magstr, "9.75");
  rig.win.FilterType = 5;  // "I"
  dialog.prepare(rig.win, star, 2, "", "");
  EXPECT_EQ(dialog.IMagEdit, "10.250");
  EXPECT_EQ(dialog.VMagEdit, "");
}

TEST_F(StarInfoTest, OkMakesAComparisonStar) {
  dialog.prepare(rig.win, star, 0, "", "");
  dialog.StarnameEdit = "HD 182989";
  dialog.StarTypeGroupClick(1);
  dialog.VMagEditChange("11.200");
  ASSERT_TRUE(dialog.accept(rig.win));
  const TRoi1& r = rig.win.roi(star);
  EXPECT_TRUE(r.ref);
  EXPECT_EQ(r.rmag, 11.2f);
  EXPECT_EQ(r.Name, "HD 182989");
  EXPECT_EQ(rig.win.bvri(star).Vmag, 11.2f);  // typed, so stored
  EXPECT_EQ(rig.win.RefstarEdit, star);
  EXPECT_EQ(dialog.startype, 1);
  EXPECT_EQ(dialog.magstr, "11.200");
  EXPECT_TRUE(rig.ui.messages.empty());
}

TEST_F(StarInfoTest, UntouchedFieldsAreNoCatalogueValues) {
  BVRIRec& c = rig.win.bvri(star);
  c.Bmag = 12.3456f;
  dialog.prepare(rig.win, star, 0, "", "");
  EXPECT_EQ(dialog.BmagEdit, "12.346");
  EXPECT_EQ(dialog.VMagEdit, "0.000");  // the variable's reference magnitude
  dialog.RMagEdit = "13.100";           // typed by the user
  ASSERT_TRUE(dialog.accept(rig.win));
  EXPECT_EQ(c.Bmag, 12.3456f);  // not rounded to what the field showed
  EXPECT_EQ(c.Vmag, 99.0f);     // 0.000 was a proposal, not a magnitude
  EXPECT_EQ(c.Rmag, 13.1f);
  EXPECT_EQ(c.Imag, 99.0f);
  EXPECT_EQ(rig.win.roi(star).starType(), kStarVar);
}

TEST_F(StarInfoTest, CheckStarWithItsMagnitude) {
  dialog.prepare(rig.win, star, 2, "", "");
  dialog.VMagEditChange("10.5");
  ASSERT_TRUE(dialog.accept(rig.win));
  const TRoi1& r = rig.win.roi(star);
  EXPECT_FALSE(r.ref);
  EXPECT_EQ(r.rmag, 10.5f);
  EXPECT_EQ(r.starType(), kStarCheck);
}

TEST_F(StarInfoTest, RefusedStarKeepsItsPreviousType) {
  TRoi1& r = rig.win.roi(sky);
  r.rmag = 10.5f;  // a check star so far
  dialog.prepare(rig.win, sky, 1, "", "");
  dialog.StarnameEdit = "Sky";
  dialog.VMagEditChange("11.200");
  ASSERT_TRUE(dialog.accept(rig.win));
  EXPECT_EQ(rig.ui.messages, std::vector<std::string>{"Stern nicht messbar!"});
  EXPECT_FALSE(r.ref);
  EXPECT_EQ(r.rmag, 10.5f);
  // Name and catalogue value do not depend on the signal.
  EXPECT_EQ(r.Name, "Sky");
  EXPECT_EQ(rig.win.bvri(sky).Vmag, 11.2f);
}

TEST_F(StarInfoTest, FieldThatIsNoNumberStoresNothing) {
  dialog.prepare(rig.win, star, 1, "", "");
  dialog.BmagEditChange("12.0");
  dialog.RMagEdit = "abc";
  dialog.StarnameEdit = "New";
  dialog.BTEdit = "10";
  EXPECT_FALSE(dialog.accept(rig.win));
  EXPECT_EQ(rig.ui.messages, std::vector<std::string>{"'abc' ist kein gültiger Gleitkommawert"});
  EXPECT_EQ(rig.win.bvri(star).Bmag, 99.0f);
  EXPECT_EQ(rig.win.roi(star).Name, "");
  EXPECT_FALSE(rig.win.roi(star).ref);
  EXPECT_EQ(dialog.BTEdit, "10");  // the dialog stays as it was
}

TEST_F(StarInfoTest, StandardisedChoiceIsFinalAfterOk) {
  dialog.prepare(rig.win, star, 0, "", "");
  dialog.CompTypeGroupClick(1);
  EXPECT_TRUE(dialog.KatalogGroupEnabled);
  dialog.CompTypeGroupClick(0);
  EXPECT_FALSE(dialog.KatalogGroupEnabled);
  ASSERT_TRUE(dialog.accept(rig.win));
  EXPECT_TRUE(dialog.CompTypeGroup.Enabled);  // "differentiell" can still change

  dialog.prepare(rig.win, star, 0, "", "");
  dialog.CompTypeGroupClick(1);
  ASSERT_TRUE(dialog.accept(rig.win));
  EXPECT_FALSE(dialog.CompTypeGroup.Enabled);
  EXPECT_TRUE(dialog.KatalogGroupEnabled);
  dialog.CompTypeGroupClick(0);  // disabled: no effect
  EXPECT_EQ(dialog.CompTypeGroup.ItemIndex, 1);
  dialog.KatalogGroupEnabled = false;
  dialog.prepare(rig.win, star, 0, "", "");
  EXPECT_TRUE(dialog.KatalogGroupEnabled);
}

TEST_F(StarInfoTest, NameTextAndTychoFieldsAfterOk) {
  dialog.prepare(rig.win, star, 0, "[Lyr", "");
  dialog.BTEdit = "10.0";
  dialog.VTEdit = "9.5";
  ASSERT_TRUE(dialog.accept(rig.win));
  EXPECT_EQ(rig.win.roi(star).Name, "(Lyr");
  EXPECT_EQ(dialog.starname, "[Lyr");
  EXPECT_EQ(dialog.BTEdit, "");
  EXPECT_EQ(dialog.VTEdit, "");
}

}  // namespace
}  // namespace vargaze
