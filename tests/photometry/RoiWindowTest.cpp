// The ROI window: creating, placing, moving, finding and deleting ROIs,
// star types, the filter change and the aperture size rule.
#include <gtest/gtest.h>

#include "PhotometryRig.h"
#include "base/Errors.h"

namespace vargaze {
namespace {

TEST(RoiListTest, NewRoiTakesTheControlsAndIsCentredAroundTheClick) {
  test::Rig rig;
  rig.win.setStarSize(9);
  const auto n = rig.win.Newroi(29, 19);  // 0-based click
  EXPECT_EQ(n, 1);
  const TRoi1& r = rig.win.roi(n);
  EXPECT_EQ(std::vector({r.xa, r.ya, r.x0a, r.y0a, r.d, r.xb}), std::vector({30, 20, 30, 20, 9, -1}));
  EXPECT_EQ(r.mag, 99.0f);
  ASSERT_EQ(rig.win.BVRIlist.size(), 1u);
  EXPECT_EQ(rig.win.BVRIlist[0].Vmag, 99.0f);
  EXPECT_EQ(rig.win.table1.cell(1, 0), "1");
  EXPECT_EQ(rig.win.ROIindex, 1);

  rig.stars[{45, 30}] = 20000;
  rig.draw();
  rig.win.AutocenterCheckBox = true;
  rig.imgwin.Vx = 25.0;  // a shift from an earlier frame must not move the search
  rig.imgwin.Vy = -12.0;
  const auto m = rig.win.Newroi(42, 28);
  EXPECT_EQ(std::vector({rig.win.roi(m).xa, rig.win.roi(m).ya, rig.win.roi(m).x0a}),
            std::vector({45, 30, 45}));
}

TEST(RoiListTest, BackgroundClickOnTheStarGivesRingModeFartherGivesASkyBox) {
  test::Rig rig;
  const auto n = rig.win.Newroi(29, 19);  // centre (30, 20), d = 5: reach 4
  rig.win.BGROI1(n, 29 + 3, 19 - 3);      // 3 pixels away on both axes: on the star
  EXPECT_TRUE(rig.win.roi(n).ringMode());
  EXPECT_EQ(rig.win.roi(n).xb, 30);
  const auto m = rig.win.Newroi(59, 19);
  rig.win.BGROI1(m, 59 + 4, 19);          // exactly d - 1 away: a separate box
  EXPECT_FALSE(rig.win.roi(m).ringMode());
  EXPECT_EQ(rig.win.roi(m).xb, 64);
  EXPECT_EQ(rig.win.roi(m).npixb, 25);
}

TEST(RoiListTest, DeletingRenumbersAndRebuildsTheTable) {
  test::Rig rig;
  for (const int x : {20, 50, 80}) rig.addStar(x, 20, 5000 + 10 * x);
  rig.win.UpdateROItable(0);
  const std::string third = rig.win.table1.cell(3, 3);
  EXPECT_TRUE(rig.win.DeleteROI(2));
  EXPECT_EQ(rig.win.count(), 2);
  EXPECT_EQ(rig.win.ROIindex, 2);
  EXPECT_EQ(rig.win.roi(2).num, 2);
  EXPECT_EQ(rig.win.roi(2).xa, 80);
  EXPECT_EQ(rig.win.table1.cell(2, 3), third);  // the old third row moved up
  EXPECT_EQ(rig.win.table1.cell(3, 3), "");
  EXPECT_EQ(rig.flags.BGROI, -1);
  const std::string first = rig.win.table1.cell(1, 3);
  EXPECT_TRUE(rig.win.DeleteROI(2));  // the last: the other rows stay
  EXPECT_EQ(rig.win.table1.cell(1, 3), first);
  EXPECT_EQ(rig.win.table1.cell(2, 3), "");
  EXPECT_THROW(rig.win.DeleteROI(5), RangeError);
}

TEST(RoiListTest, FixedRoisKeepTheirPlaceAndTheirBrightnessAtCreation) {
  test::Rig rig;
  rig.stars[{60, 20}] = 1000;
  rig.draw();
  const auto a = rig.win.Newroi(29, 19);
  rig.flags.DCFROI = true;
  const auto fixedRoi = rig.win.Newroi(59, 19);
  rig.flags.DCFROI = false;
  EXPECT_TRUE(rig.win.roi(fixedRoi).isFixed());
  // No background yet: the net signal is the box sum, 25 * 100 + 1000.
  EXPECT_NEAR(rig.win.roi(fixedRoi).rmag, -2.5 * std::log10(3500.0), 1e-5);
  EXPECT_EQ(rig.win.roi(fixedRoi).rmag, rig.win.roi(fixedRoi).mag);
  rig.win.roi(a).xa = 35;
  rig.win.roi(fixedRoi).xa = 65;
  rig.win.ResetROIposition();
  EXPECT_EQ(rig.win.roi(a).xa, 30);
  EXPECT_EQ(rig.win.roi(fixedRoi).xa, 65);
  rig.win.SetROIposition();
  EXPECT_TRUE(rig.win.roi(fixedRoi).isFixed());
}

TEST(RoiListTest, FindingAndMovingRois) {
  test::Rig rig;
  const auto a = rig.addStar(30, 20, 5000);  // ring mode; 0-based hits 27..31
  rig.win.Newroi(30, 19);                    // overlapping
  const auto b = rig.win.Newroi(59, 39);     // background not placed
  EXPECT_EQ(rig.win.ROIfound(27, 17, 10), 1);
  EXPECT_EQ(rig.win.ROIfound(31, 21, 10), 1);
  EXPECT_EQ(rig.win.ROIfound(32, 21, 10), 2);
  EXPECT_EQ(rig.win.ROIfound(26, 19, 10), -1);
  EXPECT_EQ(rig.win.ROIfound(29, 19, 0), -1);
  rig.win.MoveROI(Point{29, 19}, Point{3, -2}, false);
  EXPECT_EQ(std::pair(rig.win.roi(a).xa, rig.win.roi(a).ya), std::pair(33, 18));
  EXPECT_TRUE(rig.win.roi(a).ringMode());
  EXPECT_EQ(rig.win.roi(b).xa, 60);
  rig.win.MoveROI(Point{0, 0}, Point{1, 1}, true);
  EXPECT_EQ(rig.win.roi(b).xa, 61);
  EXPECT_LE(rig.win.roi(b).xb, 0);  // still unplaced
}

TEST(RoiListTest, CompVarAndCheckLookups) {
  test::Rig rig;
  const auto v = rig.addStar(20, 20, 5000);
  const auto c = rig.addStar(50, 20, 6000);
  const auto k = rig.addStar(80, 20, 7000);
  rig.makeComparison(c, 11.0f);
  rig.win.roi(k).rmag = 12.0f;
  std::int32_t icomp = 0, ivar = 0, icheck = 0;
  EXPECT_EQ(rig.win.GetCompstar(icomp), 1);
  EXPECT_EQ(icomp, c);
  EXPECT_TRUE(rig.win.GetVarCheck(ivar, icheck));
  EXPECT_EQ(std::pair(ivar, icheck), std::pair(v, k));
  rig.win.ClearROIs();
  EXPECT_EQ(rig.win.count(), 0);
  EXPECT_EQ(rig.win.table1.cell(1, 0), "");
  EXPECT_FALSE(rig.win.GetVarCheck(ivar, icheck));
}

TEST(RoiControlsTest, StarTypeFromTheMagnitudeText) {
  // Each row types the same star one after the other.
  struct Step { const char* text; StarType type; bool ok; StarType result; float rmag; const char* message; };
  const Step steps[] = {
      {"", kStarCheck, true, kStarVar, 0.0f, ""},  // "Check" without a magnitude reads as 0
      {"12.345", kStarComp, true, kStarComp, 12.345f, ""},
      {"Var", kStarComp, true, kStarComp, 12.35f, ""},  // shown as "12.35*"; the star stays
      {"9,5", kStarCheck, true, kStarCheck, 9.5f, ""},
      {"abc", kStarComp, false, kStarCheck, 9.5f, "Bitte Mag für Vergleichsstern korrekt eintragen"},
  };
  test::Rig rig;
  const auto n = rig.addStar(30, 30, 5000);
  for (const Step& s : steps) {
    SCOPED_TRACE(s.text);
    rig.win.RefstarEdit = n;
    rig.win.MagEdit = s.text;
    rig.ui.messages.clear();
    EXPECT_EQ(rig.win.SetStarType(s.type), s.ok);
    EXPECT_EQ(rig.win.roi(n).starType(), s.result);
    EXPECT_FLOAT_EQ(rig.win.roi(n).rmag, s.rmag);
    EXPECT_EQ(rig.lastMessage(), s.message);
  }
  rig.win.MagEdit = "12.345";
  ASSERT_TRUE(rig.win.SetStarType(kStarComp));
  EXPECT_EQ(rig.win.MagEdit, "12.345");  // shown again by the selection handler
  EXPECT_EQ(rig.win.StartypeIndex, kStarComp);
}

TEST(RoiControlsTest, StarWithoutSignalOrWrongNumberIsRefused) {
  test::Rig rig;
  const auto faint = rig.addStar(60, 30, 100);  // net 100 is not yet measurable
  rig.win.RefstarEdit = faint;
  rig.win.roi(faint).rmag = 13.0f;
  rig.win.MagEdit = "14.0";
  rig.flags.Blinkmode = true;
  EXPECT_FALSE(rig.win.SetStarType(kStarComp));
  EXPECT_EQ(rig.lastMessage(), "Stern nicht messbar!");
  EXPECT_FALSE(rig.win.roi(faint).ref);
  EXPECT_FLOAT_EQ(rig.win.roi(faint).rmag, 13.0f);  // restored
  EXPECT_FALSE(rig.flags.Blinkmode);
  EXPECT_TRUE(rig.win.SetStarType(kStarVar));  // a Var star needs no signal
  EXPECT_EQ(rig.win.roi(faint).starType(), kStarVar);
  rig.stars[{60, 30}] = 101;
  rig.draw();
  rig.win.MagEdit = "14.0";
  EXPECT_TRUE(rig.win.SetStarType(kStarComp));
  rig.win.RefstarEdit = 9;
  EXPECT_FALSE(rig.win.SetStarType(kStarVar));
  EXPECT_EQ(rig.lastMessage(), "Vergleichsstern-Nummer falsch");
}

TEST(RoiControlsTest, FilterChangeTakesCatalogueValuesAndReportsMissingOnes) {
  test::Rig rig;
  const auto comp = rig.addStar(20, 20, 5000);
  const auto check = rig.addStar(50, 20, 6000);
  const auto comp2 = rig.addStar(80, 20, 7000);
  rig.makeComparison(comp, 10.0f);
  rig.makeComparison(comp2, 11.0f);
  rig.win.roi(check).rmag = 12.0f;
  rig.win.roi(check).stype = kStarCheck;
  rig.win.bvri(comp) = BVRIRec{10.6f, 10.0f, 9.7f, 99.0f};
  rig.win.bvri(comp2) = BVRIRec{11.5f, 11.0f, 99.0f, 99.0f};
  rig.win.bvri(check) = BVRIRec{12.4f, 12.0f, 99.0f, 99.0f};
  rig.win.FilterComboboxChange(7);  // "TG" takes V values
  EXPECT_TRUE(rig.ui.messages.empty());
  rig.win.FilterComboboxChange(4);  // "R": two stars miss it, one message
  EXPECT_FLOAT_EQ(rig.win.roi(comp).rmag, 9.7f);
  EXPECT_EQ(rig.win.roi(comp2).rmag, 0.0f);
  EXPECT_EQ(rig.win.roi(check).rmag, 0.0f);
  EXPECT_EQ(rig.ui.messages, std::vector<std::string>{"R-Katalogwert (Vergleichsstern) fehlt, Umschaltung auf diff. Mag."});
  EXPECT_TRUE(rig.win.Diffmag);
  rig.win.FilterComboboxChange(2);  // "B": every star is calibrated again
  EXPECT_FLOAT_EQ(rig.win.roi(comp2).rmag, 11.5f);
  EXPECT_FLOAT_EQ(rig.win.roi(check).rmag, 12.4f);
  EXPECT_EQ(rig.win.roi(check).starType(), kStarCheck);
  EXPECT_EQ(rig.win.RefstarEdit, 0);
}

TEST(RoiControlsTest, SizeRuleRaisesTheRingAndAppliesToEveryRoi) {
  test::Rig rig;
  const auto n = rig.addStar(30, 30, 5000);
  rig.win.setStarSize(9);
  // Inner d + 2 = 11; outer max(2 * round(9 / sqrt 2) + 1, 5 + 2) = 13,
  // computed before the inner control moved.
  EXPECT_EQ(std::vector({rig.win.BGinnerEdit.minimum, rig.win.BGinnerEdit.value,
                         rig.win.BGsizeEdit.minimum, rig.win.BGsizeEdit.value}),
            std::vector({11, 11, 13, 13}));
  const TRoi1& r = rig.win.roi(n);
  EXPECT_EQ(std::vector({r.d, r.d2, r.d3, r.npixa}), std::vector({9, 11, 13, 81}));
  rig.win.setStarSize(150);  // clamped to the control's maximum
  EXPECT_EQ(rig.win.ROIsizeEdit.value, 99);
  rig.win.setOuterSize(3);   // below its minimum
  EXPECT_EQ(rig.win.BGsizeEdit.value, rig.win.BGsizeEdit.minimum);
  // The largest inner ring cannot push the outer ring past its own maximum.
  rig.win.setStarSize(9);
  rig.win.setInnerSize(150);
  EXPECT_EQ(rig.win.BGinnerEdit.value, 150);
  EXPECT_EQ(rig.win.BGsizeEdit.value, 150);
  EXPECT_LE(rig.win.BGsizeEdit.minimum, rig.win.BGsizeEdit.maximum);
}

TEST(RoiControlsTest, ConfiguredSizesAtTheFirstShowingAndNames) {
  test::Rig rig;
  rig.settings.DefaultROIsize = 7;
  rig.settings.DefaultBGinnerSize = 9;
  rig.settings.DefaultBGoutersize = 15;
  rig.win.FormShow();
  EXPECT_EQ(std::vector({rig.win.ROIsizeEdit.value, rig.win.BGinnerEdit.value, rig.win.BGsizeEdit.value}),
            std::vector({7, 9, 15}));
  EXPECT_EQ(rig.win.ElcountEdit, "1.00");
  rig.win.setStarSize(11);
  rig.win.FormShow();
  EXPECT_EQ(rig.win.ROIsizeEdit.value, 11);
  // Names are cut to 40 characters and never start with a bracket.
  rig.win.RefstarEdit = rig.addStar(30, 30, 5000);
  rig.win.NameEditChange("[ROIfile] " + std::string(50, 'x'));
  EXPECT_EQ(rig.win.roi(1).Name, "(ROIfile] " + std::string(30, 'x'));
}

}  // namespace
}  // namespace vargaze
