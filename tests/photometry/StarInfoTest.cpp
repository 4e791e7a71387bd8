// The star information dialog: filling, the Tycho conversion, the B, V, B-V
// handlers, storing on OK and the refused star.
#include <gtest/gtest.h>

#include "PhotometryRig.h"
#include "photometry/StarInfo.h"

namespace vargaze {
namespace {

using Texts = std::vector<std::string>;

class StarInfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    star = rig.addStar(30, 30, 3000);
    sky = rig.addStar(60, 60, 0);  // nothing but sky: not measurable
    rig.win.FilterType = 3;        // "V"
  }
  test::Rig rig;
  StarInfoDialog dialog{rig.ui};
  std::int32_t star = 0;
  std::int32_t sky = 0;
};

TEST_F(StarInfoTest, TychoToJohnsonAndTheBVHandlers) {
  // B = Bt - 0.24 (Bt - Vt), V = Vt - 0.09 (Bt - Vt).
  dialog.BTEdit = "10.000";
  dialog.TycToJButtonClick();
  dialog.VTEdit = "9,5x";
  dialog.TycToJButtonClick();
  EXPECT_EQ(dialog.BmagEdit, "");
  dialog.VTEdit = "9.500";
  dialog.TycToJButtonClick();
  EXPECT_EQ((Texts{dialog.BmagEdit, dialog.VMagEdit}), (Texts{"9.880", "9.455"}));
  EXPECT_EQ(rig.ui.messages, (std::vector<std::string>{"Bt und Vt müssen eingetragen sein",
                                                       "Bt und Vt müssen korrekt eingetragen sein"}));
  // Typing B shows B-V; typing B-V then leaves B alone until B-V is chosen.
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
  dialog.VMagEditChange("12.0");  // a new V recomputes B-V from B
  EXPECT_EQ(dialog.BVEdit, "0.600");
}

TEST_F(StarInfoTest, PrepareShowsTheCatalogueAndTheProposals) {
  rig.win.bvri(star) = BVRIRec{12.5f, 11.9f, 90.0f, 99.0f};  // exactly 90 is still shown
  rig.win.roi(star).Name = "RR Lyr";
  dialog.prepare(rig.win, star, 2, "", "");
  EXPECT_EQ(dialog.IDEdit, "ROI 1");
  EXPECT_EQ(dialog.StarnameEdit, "RR Lyr");
  EXPECT_EQ(std::vector({dialog.BmagEdit, dialog.VMagEdit, dialog.RMagEdit, dialog.IMagEdit, dialog.BVEdit}),
            std::vector<std::string>({"12.500", "11.900", "90.000", "", "0.600"}));
  EXPECT_EQ(dialog.magstr, "11.900");
  EXPECT_EQ(dialog.StarTypeGroup, 2);
  EXPECT_TRUE(dialog.MagnitudeFieldsEnabled);
  EXPECT_FALSE(dialog.KatalogGroupEnabled);  // "differentiell"
  dialog.prepare(rig.win, star, 0, "other", "");
  EXPECT_EQ(dialog.StarnameEdit, "other");
  EXPECT_FALSE(dialog.MagnitudeFieldsEnabled);

  // An empty field of the current filter takes the proposal, else the ROI's
  // reference magnitude.
  rig.win.bvri(star) = BVRIRec{};
  rig.win.roi(star).rmag = 10.25f;
  dialog.prepare(rig.win, star, 2, "", "");
  EXPECT_EQ(dialog.VMagEdit, "10.250");
  dialog.prepare(rig.win, star, 2, "", "9.75");
  EXPECT_EQ((Texts{dialog.VMagEdit, dialog.magstr}), (Texts{"9.75", "9.75"}));
  rig.win.FilterType = 5;  // "I"
  dialog.prepare(rig.win, star, 2, "", "");
  EXPECT_EQ((Texts{dialog.IMagEdit, dialog.VMagEdit}), (Texts{"10.250", ""}));
}

TEST_F(StarInfoTest, OkStoresTypeNameAndTypedValuesOnly) {
  dialog.prepare(rig.win, star, 0, "[Lyr", "");
  dialog.StarTypeGroupClick(1);
  dialog.VMagEditChange("11.200");
  dialog.BTEdit = "10.0";
  dialog.VTEdit = "9.5";
  ASSERT_TRUE(dialog.accept(rig.win));
  const TRoi1& r = rig.win.roi(star);
  EXPECT_TRUE(r.ref);
  EXPECT_EQ(r.rmag, 11.2f);
  EXPECT_EQ(r.Name, "(Lyr");
  EXPECT_EQ(dialog.starname, "[Lyr");
  EXPECT_EQ(rig.win.bvri(star).Vmag, 11.2f);  // typed, so stored
  EXPECT_EQ(rig.win.RefstarEdit, star);
  EXPECT_EQ(dialog.startype, 1);
  EXPECT_EQ(dialog.magstr, "11.200");
  EXPECT_EQ((Texts{dialog.BTEdit, dialog.VTEdit}), (Texts{"", ""}));
  EXPECT_TRUE(rig.ui.messages.empty());

  // A check star with its magnitude.
  dialog.prepare(rig.win, star, 2, "", "");
  dialog.VMagEditChange("10.5");
  ASSERT_TRUE(dialog.accept(rig.win));
  EXPECT_FALSE(r.ref);
  EXPECT_EQ(r.rmag, 10.5f);
  EXPECT_EQ(r.starType(), kStarCheck);

  // Fields shown but not typed are no catalogue values: B keeps all its
  // digits, V's proposal 0.000 is no magnitude.
  rig.win.roi(star).rmag = 0.0f;
  rig.win.bvri(star) = BVRIRec{12.3456f, 99.0f, 99.0f, 99.0f};
  dialog.prepare(rig.win, star, 0, "", "");
  EXPECT_EQ((Texts{dialog.BmagEdit, dialog.VMagEdit}), (Texts{"12.346", "0.000"}));
  dialog.RMagEdit = "13.100";
  ASSERT_TRUE(dialog.accept(rig.win));
  const BVRIRec& c = rig.win.bvri(star);
  EXPECT_EQ(std::vector({c.Bmag, c.Vmag, c.Rmag, c.Imag}), std::vector({12.3456f, 99.0f, 13.1f, 99.0f}));
  EXPECT_EQ(r.starType(), kStarVar);
}

TEST_F(StarInfoTest, RefusedStarAndFieldThatIsNoNumber) {
  TRoi1& r = rig.win.roi(sky);
  r.rmag = 10.5f;  // a check star so far
  dialog.prepare(rig.win, sky, 1, "", "");
  dialog.StarnameEdit = "Sky";
  dialog.VMagEditChange("11.200");
  ASSERT_TRUE(dialog.accept(rig.win));
  EXPECT_EQ(rig.ui.messages, std::vector<std::string>{"Stern nicht messbar!"});
  EXPECT_FALSE(r.ref);
  EXPECT_EQ(r.rmag, 10.5f);
  EXPECT_EQ(r.Name, "Sky");  // name and catalogue value do not depend on the signal
  EXPECT_EQ(rig.win.bvri(sky).Vmag, 11.2f);

  rig.ui.messages.clear();
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

}  // namespace
}  // namespace vargaze
