// The ROI window: creating, placing, moving, finding and deleting ROIs, star
// types, the filter change, the size rule and the star information dialog.
#include <gtest/gtest.h>

#include "PhotometryRig.h"
#include "base/Errors.h"
#include "photometry/StarInfo.h"

namespace vargaze {
namespace {

using Texts = std::vector<std::string>;

class RoiWindowTest : public ::testing::Test, public test::Rig {
 protected:
  std::vector<int> where(std::int32_t n) { return {win.roi(n).xa, win.roi(n).ya, win.roi(n).x0a, win.roi(n).xb}; }
  Texts cells(int column) { return {win.table1.cell(1, column), win.table1.cell(2, column), win.table1.cell(3, column)}; }
  bool type(std::int32_t n, const std::string& text, StarType t) {
    win.RefstarEdit = n;
    win.MagEdit = text;
    return win.SetStarType(t);
  }
};

TEST_F(RoiWindowTest, NewRoisTheirBackgroundAndTheirCentring) {
  win.setStarSize(9);
  const auto n = win.Newroi(29, 19);  // 0-based click; no background yet
  EXPECT_EQ(std::vector({n, win.ROIindex, win.roi(n).y0a, win.roi(n).d}), std::vector({1, 1, 20, 9}));
  EXPECT_EQ(where(n), std::vector({30, 20, 30, -1}));
  EXPECT_EQ(std::pair(win.roi(n).mag, win.bvri(n).Vmag), std::pair(99.0f, 99.0f));
  EXPECT_EQ(win.table1.cell(1, 0), "1");
  // A background click within d - 1 on both axes is on the star (ring
  // mode); exactly d - 1 away on one axis it places a separate box.
  win.BGROI1(n, 29 + 7, 19 - 7);
  EXPECT_EQ(where(n), std::vector({30, 20, 30, 30}));
  EXPECT_TRUE(win.roi(n).ringMode());
  const auto m = win.Newroi(59, 19);
  win.BGROI1(m, 59 + 8, 19);
  EXPECT_FALSE(win.roi(m).ringMode());
  EXPECT_EQ(std::pair(win.roi(m).xb, win.roi(m).npixb), std::pair(68, 81));
  stars[{45, 30}] = 20000;
  draw();
  win.AutocenterCheckBox = true;
  imgwin.Vx = 25.0;  // a shift from an earlier frame must not move the search
  imgwin.Vy = -12.0;
  EXPECT_EQ(where(win.Newroi(42, 28)), std::vector({45, 30, 45, -1}));
}

TEST_F(RoiWindowTest, DeletingFindingAndMoving) {
  for (const int x : {20, 50, 80}) addStar(x, 20, 5000 + 10 * x);
  win.UpdateROItable(0);
  const Texts before = cells(3);
  EXPECT_TRUE(win.DeleteROI(2));
  EXPECT_EQ(std::vector({win.count(), win.ROIindex, win.roi(2).num, win.roi(2).xa, flags.BGROI}),
            std::vector({2, 2, 2, 80, -1}));
  EXPECT_EQ(cells(3), (Texts{before[0], before[2], ""}));  // the old third row moved up
  EXPECT_TRUE(win.DeleteROI(2));                          // the last: the other rows stay
  EXPECT_EQ(cells(3), (Texts{before[0], "", ""}));
  EXPECT_THROW(win.DeleteROI(5), RangeError);
  // ROI 1 at (20, 20) reaches 0-based 17..21; the lowest number wins.
  const auto b = win.Newroi(20, 19);
  const auto c = win.Newroi(59, 39);  // background not placed
  EXPECT_EQ(std::vector({win.ROIfound(17, 17, 10), win.ROIfound(21, 21, 10), win.ROIfound(22, 21, 10),
                         win.ROIfound(16, 19, 10), win.ROIfound(19, 19, 0)}),
            std::vector({1, 1, b, -1, -1}));
  win.MoveROI(Point{19, 19}, Point{3, -2}, false);
  EXPECT_EQ(where(1), std::vector({23, 18, 23, 23}));
  EXPECT_TRUE(win.roi(1).ringMode());
  EXPECT_EQ(win.roi(c).xa, 60);
  win.MoveROI(Point{0, 0}, Point{1, 1}, true);
  EXPECT_EQ(win.roi(c).xa, 61);
  EXPECT_LE(win.roi(c).xb, 0);  // still unplaced
}

TEST_F(RoiWindowTest, FixedRoisAndTypeLookups) {
  stars[{60, 20}] = 1000;
  const auto a = addStar(20, 20, 5000);
  flags.DCFROI = true;
  const auto fixedRoi = win.Newroi(59, 19);
  flags.DCFROI = false;
  EXPECT_TRUE(win.roi(fixedRoi).isFixed());
  // No background yet: the net signal is the box sum, 25 * 100 + 1000.
  EXPECT_NEAR(win.roi(fixedRoi).rmag, -2.5 * std::log10(3500.0), 1e-5);
  EXPECT_EQ(win.roi(fixedRoi).rmag, win.roi(fixedRoi).mag);
  win.roi(a).xa = 35;
  win.roi(fixedRoi).xa = 65;
  win.ResetROIposition();
  EXPECT_EQ(std::pair(win.roi(a).xa, win.roi(fixedRoi).xa), std::pair(20, 65));
  win.SetROIposition();
  EXPECT_TRUE(win.roi(fixedRoi).isFixed());
  const auto c = addStar(50, 40, 6000);
  const auto k = addStar(80, 40, 7000);
  makeComparison(c, 11.0f);
  win.roi(k).rmag = 12.0f;
  std::int32_t icomp = 0, ivar = 0, icheck = 0;
  EXPECT_EQ(win.GetCompstar(icomp), 1);
  EXPECT_TRUE(win.GetVarCheck(ivar, icheck));
  EXPECT_EQ(std::vector({icomp, ivar, icheck}), std::vector({c, a, k}));
  win.ClearROIs();
  EXPECT_EQ(std::pair(win.count(), win.table1.cell(1, 0)), std::pair(0, std::string()));
  EXPECT_FALSE(win.GetVarCheck(ivar, icheck));
}

TEST_F(RoiWindowTest, StarTypeFromTheMagnitudeText) {
  struct Step { const char* text; StarType type; bool ok; StarType result; float rmag; const char* message; };
  const Step steps[] = {  // one star typed step by step
      {"", kStarCheck, true, kStarVar, 0, ""},  // "Check" without a magnitude reads as 0
      {"12.345", kStarComp, true, kStarComp, 12.345f, ""},
      {"Var", kStarComp, true, kStarComp, 12.35f, ""},  // shown as "12.35*"
      {"9,5", kStarCheck, true, kStarCheck, 9.5f, ""},
      {"abc", kStarComp, false, kStarCheck, 9.5f, "Bitte Mag für Vergleichsstern korrekt eintragen"},
      {"12.345", kStarComp, true, kStarComp, 12.345f, ""},
  };
  const auto n = addStar(30, 30, 5000);
  for (const Step& s : steps) {
    SCOPED_TRACE(s.text);
    ui.messages.clear();
    EXPECT_EQ(type(n, s.text, s.type), s.ok);
    EXPECT_EQ(std::pair(win.roi(n).starType(), win.roi(n).rmag), std::pair(s.result, s.rmag));
    EXPECT_EQ(lastMessage(), s.message);
  }
  EXPECT_EQ(std::pair(win.MagEdit, win.StartypeIndex), std::pair(std::string("12.345"), 1));  // shown again
  // A net of 100 is not yet measurable: the star keeps its type; 101 is.
  const auto faint = addStar(60, 30, 100);
  win.roi(faint).rmag = 13.0f;
  flags.Blinkmode = true;
  EXPECT_FALSE(type(faint, "14.0", kStarComp));
  EXPECT_EQ(lastMessage(), "Stern nicht messbar!");
  EXPECT_EQ(std::pair(win.roi(faint).starType(), win.roi(faint).rmag), std::pair(kStarCheck, 13.0f));
  EXPECT_FALSE(flags.Blinkmode);
  EXPECT_TRUE(type(faint, "", kStarVar));  // a Var star needs no signal
  EXPECT_EQ(win.roi(faint).starType(), kStarVar);
  stars[{60, 30}] = 101;
  draw();
  EXPECT_TRUE(type(faint, "14.0", kStarComp));
  EXPECT_FALSE(type(9, "", kStarVar));
  EXPECT_EQ(lastMessage(), "Vergleichsstern-Nummer falsch");
}

TEST_F(RoiWindowTest, FilterChangeTakesCatalogueValuesAndReportsMissingOnes) {
  const auto comp = addStar(20, 20, 5000), check = addStar(50, 20, 6000), comp2 = addStar(80, 20, 7000);
  makeComparison(comp, 10.0f);
  makeComparison(comp2, 11.0f);
  win.roi(check).rmag = 12.0f;
  win.roi(check).stype = kStarCheck;
  win.bvri(comp) = BVRIRec{10.6f, 10.0f, 9.7f, 99.0f};
  win.bvri(comp2) = BVRIRec{11.5f, 11.0f, 99.0f, 99.0f};
  win.bvri(check) = BVRIRec{12.4f, 12.0f, 99.0f, 99.0f};
  win.FilterComboboxChange(7);  // "TG" takes V values
  EXPECT_TRUE(ui.messages.empty());
  win.FilterComboboxChange(4);  // "R": two stars miss it, one message
  EXPECT_EQ(std::vector({win.roi(comp).rmag, win.roi(comp2).rmag, win.roi(check).rmag}), std::vector({9.7f, 0.0f, 0.0f}));
  EXPECT_EQ(ui.messages, Texts{"R-Katalogwert (Vergleichsstern) fehlt, Umschaltung auf diff. Mag."});
  EXPECT_TRUE(win.Diffmag);
  win.FilterComboboxChange(2);  // "B": every star is calibrated again
  EXPECT_EQ(std::vector({win.roi(comp2).rmag, win.roi(check).rmag}), std::vector({11.5f, 12.4f}));
  EXPECT_EQ(std::pair(win.roi(check).starType(), win.RefstarEdit), std::pair(kStarCheck, 0));
}

TEST_F(RoiWindowTest, SizeRuleConfiguredSizesAndNames) {
  const auto sizes = [&] { return std::vector({win.ROIsizeEdit.value, win.BGinnerEdit.value, win.BGsizeEdit.value}); };
  const auto n = addStar(30, 30, 5000);
  win.setStarSize(9);
  // Inner d + 2 = 11; outer max(2 * round(9 / sqrt 2) + 1, 5 + 2) = 13,
  // computed before the inner control moved.
  EXPECT_EQ(std::vector({win.BGinnerEdit.minimum, win.BGsizeEdit.minimum}), std::vector({11, 13}));
  EXPECT_EQ(sizes(), std::vector({9, 11, 13}));
  EXPECT_EQ(std::vector({win.roi(n).d, win.roi(n).d2, win.roi(n).d3, win.roi(n).npixa}), std::vector({9, 11, 13, 81}));
  win.setStarSize(150);  // clamped to the control's maximum
  win.setOuterSize(3);   // below its minimum
  EXPECT_EQ(std::vector({win.ROIsizeEdit.value, win.BGsizeEdit.value}), std::vector({99, win.BGsizeEdit.minimum}));
  // The largest inner ring cannot push the outer ring past its own maximum.
  win.setStarSize(9);
  win.setInnerSize(150);
  EXPECT_EQ(sizes(), std::vector({9, 150, 150}));
  EXPECT_LE(win.BGsizeEdit.minimum, win.BGsizeEdit.maximum);
  // Names are cut to 40 characters and never start with a bracket.
  win.RefstarEdit = n;
  win.NameEditChange("[ROIfile] " + std::string(50, 'x'));
  EXPECT_EQ(win.roi(n).Name, "(ROIfile] " + std::string(30, 'x'));
  // The configured sizes apply at the first showing only.
  test::Rig shown;
  shown.settings.DefaultROIsize = 7;
  shown.settings.DefaultBGinnerSize = 9;
  shown.settings.DefaultBGoutersize = 15;
  shown.win.FormShow();
  EXPECT_EQ(std::vector({shown.win.ROIsizeEdit.value, shown.win.BGinnerEdit.value, shown.win.BGsizeEdit.value}),
            std::vector({7, 9, 15}));
  EXPECT_EQ(shown.win.ElcountEdit, "1.00");
  shown.win.setStarSize(11);
  shown.win.FormShow();
  EXPECT_EQ(shown.win.ROIsizeEdit.value, 11);
}

class StarInfoTest : public RoiWindowTest {
 protected:
  void SetUp() override { win.FilterType = 3; }  // "V"
  StarInfoDialog dialog{ui};
  const std::int32_t star = addStar(30, 30, 3000);
  const std::int32_t sky = addStar(60, 60, 0);  // nothing but sky: not measurable
  Texts shown() {
    return {dialog.IDEdit, dialog.StarnameEdit, dialog.BmagEdit, dialog.VMagEdit, dialog.RMagEdit,
            dialog.IMagEdit, dialog.BVEdit, dialog.magstr};
  }
};

TEST_F(StarInfoTest, TychoToJohnsonAndTheBVHandlers) {
  // B = Bt - 0.24 (Bt - Vt), V = Vt - 0.09 (Bt - Vt); both must be numbers.
  dialog.BTEdit = "10.000";
  dialog.TycToJButtonClick();
  dialog.VTEdit = "9,5x";
  dialog.TycToJButtonClick();
  EXPECT_EQ(dialog.BmagEdit, "");
  dialog.VTEdit = "9.500";
  dialog.TycToJButtonClick();
  EXPECT_EQ((Texts{dialog.BmagEdit, dialog.VMagEdit}), (Texts{"9.880", "9.455"}));
  EXPECT_EQ(ui.messages, (Texts{"Bt und Vt müssen eingetragen sein", "Bt und Vt müssen korrekt eingetragen sein"}));
  // Typing B shows B-V; typing B-V then leaves B alone until B-V is chosen;
  // a new V recomputes B-V from B.
  dialog.VMagEditChange("11.9");
  dialog.BmagEditClick();
  dialog.BmagEditChange("12.5");
  EXPECT_EQ(dialog.BVEdit, "0.600");
  dialog.BVEditChange("1.000");
  EXPECT_EQ(dialog.BmagEdit, "12.5");
  dialog.BVEditClick();
  dialog.BVEditChange("0.700");
  EXPECT_EQ(dialog.BmagEdit, "12.600");
  dialog.VMagEditChange("12.0");
  EXPECT_EQ(dialog.BVEdit, "0.600");
}

TEST_F(StarInfoTest, PrepareShowsTheCatalogueAndTheProposals) {
  win.bvri(star) = BVRIRec{12.5f, 11.9f, 90.0f, 99.0f};  // exactly 90 is still shown
  win.roi(star).Name = "RR Lyr";
  dialog.prepare(win, star, 2, "", "");
  EXPECT_EQ(shown(), (Texts{"ROI 1", "RR Lyr", "12.500", "11.900", "90.000", "", "0.600", "11.900"}));
  EXPECT_EQ(std::pair(dialog.StarTypeGroup, dialog.MagnitudeFieldsEnabled), std::pair(2, true));
  dialog.prepare(win, star, 0, "other", "");
  EXPECT_EQ(std::pair(dialog.StarnameEdit, dialog.MagnitudeFieldsEnabled), std::pair(std::string("other"), false));
  // An empty field of the current filter takes the proposal, else the ROI's
  // reference magnitude.
  win.bvri(star) = BVRIRec{};
  win.roi(star).rmag = 10.25f;
  dialog.prepare(win, star, 2, "", "");
  EXPECT_EQ(dialog.VMagEdit, "10.250");
  dialog.prepare(win, star, 2, "", "9.75");
  EXPECT_EQ((Texts{dialog.VMagEdit, dialog.magstr}), (Texts{"9.75", "9.75"}));
  win.FilterType = 5;  // "I"
  dialog.prepare(win, star, 2, "", "");
  EXPECT_EQ((Texts{dialog.IMagEdit, dialog.VMagEdit}), (Texts{"10.250", ""}));
}

TEST_F(StarInfoTest, OkStoresTypeNameAndTypedValuesOnly) {
  dialog.prepare(win, star, 0, "[Lyr", "");
  dialog.StarTypeGroupClick(1);
  dialog.VMagEditChange("11.200");
  dialog.BTEdit = dialog.VTEdit = "9.5";
  ASSERT_TRUE(dialog.accept(win));
  const TRoi1& r = win.roi(star);
  EXPECT_EQ(std::vector({int(r.starType()), win.RefstarEdit, dialog.startype}), std::vector({1, star, 1}));
  EXPECT_EQ(std::pair(r.rmag, win.bvri(star).Vmag), std::pair(11.2f, 11.2f));  // typed, so stored
  EXPECT_EQ((Texts{r.Name, dialog.starname, dialog.magstr, dialog.BTEdit, dialog.VTEdit}),
            (Texts{"(Lyr", "[Lyr", "11.200", "", ""}));
  dialog.prepare(win, star, 2, "", "");  // a check star with its magnitude
  dialog.VMagEditChange("10.5");
  ASSERT_TRUE(dialog.accept(win));
  EXPECT_EQ(std::pair(r.starType(), r.rmag), std::pair(kStarCheck, 10.5f));
  // Fields shown but not typed are no catalogue values: B keeps all its
  // digits, V's proposal 0.000 is no magnitude.
  win.roi(star).rmag = 0.0f;
  win.bvri(star) = BVRIRec{12.3456f, 99.0f, 99.0f, 99.0f};
  dialog.prepare(win, star, 0, "", "");
  EXPECT_EQ((Texts{dialog.BmagEdit, dialog.VMagEdit}), (Texts{"12.346", "0.000"}));
  dialog.RMagEdit = "13.100";
  ASSERT_TRUE(dialog.accept(win));
  const BVRIRec& c = win.bvri(star);
  EXPECT_EQ(std::vector({c.Bmag, c.Vmag, c.Rmag, c.Imag}), std::vector({12.3456f, 99.0f, 13.1f, 99.0f}));
  EXPECT_EQ(r.starType(), kStarVar);
  EXPECT_TRUE(ui.messages.empty());

  // A refused star keeps its type; name and catalogue value do not depend on
  // the signal. A field that is no number stores nothing.
  win.roi(sky).rmag = 10.5f;
  dialog.prepare(win, sky, 1, "Sky", "");
  dialog.VMagEditChange("11.200");
  ASSERT_TRUE(dialog.accept(win));
  EXPECT_EQ(std::pair(win.roi(sky).starType(), win.roi(sky).rmag), std::pair(kStarCheck, 10.5f));
  EXPECT_EQ(std::pair(win.roi(sky).Name, win.bvri(sky).Vmag), std::pair(std::string("Sky"), 11.2f));
  dialog.prepare(win, star, 1, "New", "");
  dialog.BmagEditChange("12.0");
  dialog.RMagEdit = "abc";
  dialog.BTEdit = "10";
  EXPECT_FALSE(dialog.accept(win));
  EXPECT_EQ(ui.messages, (Texts{"Stern nicht messbar!", "'abc' ist kein gültiger Gleitkommawert"}));
  EXPECT_EQ(std::pair(win.bvri(star).Bmag, win.roi(star).Name), std::pair(12.3456f, std::string("(Lyr")));
  EXPECT_EQ(std::pair(r.starType(), dialog.BTEdit), std::pair(kStarVar, std::string("10")));
}

TEST_F(StarInfoTest, StandardisedChoiceIsFinalAfterOk) {
  dialog.prepare(win, star, 0, "", "");
  dialog.CompTypeGroupClick(1);
  dialog.CompTypeGroupClick(0);
  ASSERT_TRUE(dialog.accept(win));
  EXPECT_EQ(std::pair(dialog.KatalogGroupEnabled, dialog.CompTypeGroup.Enabled), std::pair(false, true));
  dialog.CompTypeGroupClick(1);
  ASSERT_TRUE(dialog.accept(win));
  dialog.CompTypeGroupClick(0);  // disabled after OK with "standardisiert": no effect
  dialog.KatalogGroupEnabled = false;
  dialog.prepare(win, star, 0, "", "");
  EXPECT_EQ(std::vector({dialog.CompTypeGroup.Enabled, dialog.CompTypeGroup.ItemIndex == 1, dialog.KatalogGroupEnabled}),
            std::vector({false, true, true}));
}

}  // namespace
}  // namespace vargaze
