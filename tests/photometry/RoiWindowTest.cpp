// The ROI window: creating, moving, finding and deleting ROIs, star types, the filter change,
// the size rule, zero point, magnitudes and the table (figures worked out by hand), the star
// information dialog; ROI files, project files and the results file, also under injected faults.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "PhotometryRig.h"
#include "photometry/RoiFile.h"
#include "photometry/StarInfo.h"
#include "support/FaultInjection.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

using test::readBytes;
using test::roiRecord;
using test::writeBytes;
using Texts = std::vector<std::string>;

class RoiWindowTest : public ::testing::Test, public test::Rig {
 protected:
  std::vector<int> where(std::int32_t n) { return {win.roi(n).xa, win.roi(n).ya, win.roi(n).x0a, win.roi(n).xb}; }
  Texts cells(int column) { return {win.table1.cell(1, column), win.table1.cell(2, column), win.table1.cell(3, column)}; }
  bool type(std::int32_t n, const std::string& text, StarType t) {
    std::tie(win.RefstarEdit, win.MagEdit) = std::tuple(n, text);
    return win.SetStarType(t);
  }
};

TEST(MagnitudeTest, ZeroPointFromComparisonStars) {
  // A comparison of net 10000 and magnitude 10 gives 10 + 2.5 * 4 = 20; the target has net 1000.
  // An unusable comparison falls back to instrumental magnitudes and stops the blinking.
  struct Case { const char* what; int compNet; float rmag; double exposure; float magcal, target; bool instr; };
  const Case cases[] = {
      {"per second: 10 + 2.5 * 3", 10000, 10, 10, 17.5f, 12.5f, false},
      {"comparison of net 100 is usable", 100, 10, 0, 15, 7.5f, false},
      {"net 99 falls back to instrumental", 99, 10, 0, 0, -7.5f, true},
      {"differential: 2.5 mag fainter", 10000, 0, 0, 10, 2.5f, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::Rig rig;
    std::tie(rig.settings.InstmagCorr, rig.exposure, rig.flags.Blinkmode) = std::tuple(c.exposure > 0, c.exposure, true);
    rig.makeComparison(rig.addStar(20, 20, c.compNet), c.rmag);
    const auto target = rig.addStar(60, 20, 1000);
    rig.win.UpdateROItable(0);
    EXPECT_EQ(std::tuple(rig.win.Magcal, rig.win.roi(target).mag, rig.win.InstrMag, rig.flags.Blinkmode),
              std::tuple(c.magcal, c.target, c.instr, !c.instr));
  }
}

TEST_F(RoiWindowTest, AveragedZeroPointDoublingAndFaintTargets) {
  makeComparison(addStar(20, 20, 10000), 10.0f);  // zero point 20
  makeComparison(addStar(60, 20, 1000), 12.0f);   // zero point 19.5
  const auto single = addStar(90, 40, 100000), twice = addStar(90, 60, 200000);
  const auto faint = addStar(20, 60, 10), least = addStar(60, 60, 11);  // the least signal is 11
  const auto bare = win.Newroi(59, 39);  // background never placed
  win.UpdateROItable(0);
  EXPECT_EQ(std::tuple(win.Magcal, win.MagCalEdit, win.roi(single).mag), std::tuple(19.75f, std::string("19.75"), 19.75f - 12.5f));
  EXPECT_NEAR(win.roi(single).mag - win.roi(twice).mag, 0.7525750, 1e-5);  // 2.5 lg 2
  EXPECT_NEAR(win.roi(least).mag, 19.75 - 2.6034817, 1e-5);
  EXPECT_EQ(std::vector({win.roi(faint).mag, win.roi(bare).mag, float(win.roi(bare).SN)}), std::vector({99.0f, 99.0f, 0.0f}));
  for (const auto n : {faint, least, bare}) EXPECT_EQ(win.table1.cell(n, 5), "?") << n;
}

// Variable of net 4000 and comparison of net 9000 on a sky of 100: boxes of
// 25 pixels (sky 2500), rings 7 x 7 minus 3 x 3. S/N by hand: 42.07 and 75.96.
TEST_F(RoiWindowTest, RowsAsTheTableShowsThem) {
  settings.ArcsecPerPixel = 2.0;
  const auto var = addStar(20, 20, 4000), comp = addStar(60, 20, 9000);
  const auto faint = addStar(90, 20, 750);  // S/N 750 / sqrt(2539 + 2500 + 750) = 9.86
  makeComparison(comp, 10.0f);
  win.bvri(comp) = BVRIRec{10.65f, 10.0f, 99.0f, 9.5f};
  win.bvri(var) = BVRIRec{12.0f, 11.0f, 10.5f, 10.0f};  // Var: no catalogue shown
  win.UpdateROItable(0);
  // Error 1.086 sqrt(1/42² + (1.0857/76)²) = 0.0302.
  EXPECT_EQ(win.table1.row(var), (RoiTableRow{"1", "6500", "2500", "4000", "4100", "10.880", "", "42 (0.030)", "", "", "", ""}));
  EXPECT_EQ(win.table1.row(comp),
            (RoiTableRow{"2", "11500", "2500", "9000", "9100", "10.000*", "0.000", "76", "0.650", "10.000", "", "9.500"}));
  // Sky 2500 per 10" x 10" box: 25 per square arcsecond below the zero
  // point 19.8856: 16.3908, shown with five significant digits.
  EXPECT_EQ(win.SkymagEdit, "16.39");
  EXPECT_EQ(win.table1.cell(faint, 7), "10 (0.110)");  // 1.086 sqrt(1/10² + (1.0857/76)²) = 0.10970
  // Without a comparison star: 1.086 / S/N, and no sky brightness.
  std::tie(win.roi(comp).ref, win.roi(comp).rmag) = std::tuple(false, 0.0f);
  win.UpdateROItable(0);
  EXPECT_EQ(win.table1.cell(var, 7) + "|" + win.table1.cell(faint, 7) + "|" + win.SkymagEdit, "42 (0.026)|10 (0.109)|");
  // The table grows with the ROI numbers; the header row is fixed.
  RoiTable table(3);
  table.setCell(10, 5, "12.500");
  EXPECT_EQ((Texts{table.cell(0, 7), table.cell(10, 5), std::to_string(table.rowCount())}), (Texts{"S/N (error)", "12.500", "11"}));
}

TEST_F(RoiWindowTest, DriftIsFollowedAndAnEmptyRingReportedOnce) {
  win.AutocenterCheckBox = true;
  const auto frame = [&](std::int32_t number, int dx, int dy) {
    flags.Activeframe = number;
    stars = {{{30 + dx, 30 + dy}, 30000}, {{70 + dx, 40 + dy}, 20000}};
    draw();
  };
  const auto a = addStar(30, 30, 30000), b = addStar(70, 40, 20000);
  frame(2, 2, -3);  // moved by (+2, -3), within the search half-size of round(0.75 * 4) = 3
  win.UpdateROItable(0);
  EXPECT_EQ(std::tuple(win.roi(a).xa, win.roi(a).ya, win.roi(b).xa, win.roi(a).net(), imgwin.Vx, imgwin.Vy),
            std::tuple(32, 27, 72, 30000, 2.0, -3.0));
  frame(1, 0, 0);  // frame 1 again: positions reset to the start before measuring
  win.UpdateROItable(0);
  EXPECT_EQ(std::pair(win.roi(a).xa, imgwin.Vx), std::pair(30, 0.0));
  std::tie(win.BGinnerEdit.value, win.BGsizeEdit.value) = std::tuple(13, 7);  // inner larger than outer: no ring
  win.startCommand();
  win.UpdateROItable(0);
  win.UpdateROItable(0);
  EXPECT_EQ(std::pair(ui.messages, win.roi(1).mag), std::pair(Texts{"error imgwin:191"}, 99.0f));
}

TEST_F(RoiWindowTest, NewRoisTheirBackgroundAndTheirCentring) {
  win.setStarSize(9);
  const auto n = win.Newroi(29, 19);  // 0-based click; no background yet
  EXPECT_EQ(std::pair(where(n), std::vector({n, win.ROIindex, win.roi(n).y0a, win.roi(n).d})),
            std::pair(std::vector({30, 20, 30, -1}), std::vector({1, 1, 20, 9})));
  EXPECT_EQ(std::pair(win.roi(n).mag, win.table1.cell(1, 0)), std::pair(99.0f, std::string("1")));
  // A background click within d - 1 on both axes is on the star (ring
  // mode); exactly d - 1 away on one axis it places a separate box.
  win.BGROI1(n, 29 + 7, 19 - 7);
  const auto m = win.Newroi(59, 19);
  win.BGROI1(m, 59 + 8, 19);
  EXPECT_EQ(std::vector({win.roi(n).ringMode(), win.roi(m).ringMode()}), std::vector({true, false}));
  EXPECT_EQ(std::vector({win.roi(n).xb, win.roi(m).xb, win.roi(m).npixb}), std::vector({30, 68, 81}));
  stars[{45, 30}] = 20000;
  draw();
  win.AutocenterCheckBox = true;
  std::tie(imgwin.Vx, imgwin.Vy) = std::tuple(25.0, -12.0);  // an earlier frame's shift must not move the search
  EXPECT_EQ(where(win.Newroi(42, 28)), std::vector({45, 30, 45, -1}));
}

TEST_F(RoiWindowTest, DeletingFindingMovingAndFixedRois) {
  for (const int x : {20, 50, 80}) addStar(x, 20, 5000 + 10 * x);
  win.UpdateROItable(0);
  const Texts before = cells(3);
  EXPECT_TRUE(win.DeleteROI(2));
  EXPECT_EQ(std::vector({win.count(), win.ROIindex, win.roi(2).num, win.roi(2).xa}), std::vector({2, 2, 2, 80}));
  EXPECT_EQ(cells(3), (Texts{before[0], before[2], ""}));  // the old third row moved up
  EXPECT_TRUE(win.DeleteROI(2));                          // the last: the other rows stay
  EXPECT_EQ(cells(3), (Texts{before[0], "", ""}));
  // ROI 1 at (20, 20) reaches 0-based 17..21; the lowest number wins.
  const auto b = win.Newroi(20, 19);
  EXPECT_EQ(std::vector({win.ROIfound(17, 17, 10), win.ROIfound(21, 21, 10), win.ROIfound(22, 21, 10),
                         win.ROIfound(16, 19, 10), win.ROIfound(19, 19, 0)}),
            std::vector({1, 1, b, -1, -1}));
  win.MoveROI(Point{19, 19}, Point{3, -2}, false);
  EXPECT_EQ(where(1), std::vector({23, 18, 23, 23}));
  // A fixed ROI remembers its brightness: no background, so 25 * 100 + 1000.
  stars[{70, 60}] = 1000;
  draw();
  flags.DCFROI = true;
  const auto fixedRoi = win.Newroi(69, 59);
  EXPECT_NEAR(win.roi(fixedRoi).rmag, -2.5 * std::log10(3500.0), 1e-5);
  std::tie(win.roi(1).xa, win.roi(fixedRoi).xa) = std::tuple(35, 75);
  win.ResetROIposition();
  EXPECT_EQ(std::vector({win.roi(1).xa, win.roi(fixedRoi).xa}), std::vector({23, 75}));
}

TEST_F(RoiWindowTest, StarTypeFromTheMagnitudeText) {
  struct Step { const char* text; StarType type; bool ok; StarType result; float rmag; const char* message; };
  const Step steps[] = {  // one star typed step by step
      {"", kStarCheck, true, kStarVar, 0, ""},  // "Check" without a magnitude reads as 0
      {"12.345", kStarComp, true, kStarComp, 12.345f, ""},
      {"Var", kStarComp, true, kStarComp, 12.35f, ""},  // shown as "12.35*"
      {"9,5", kStarCheck, true, kStarCheck, 9.5f, ""},
      {"abc", kStarComp, false, kStarCheck, 9.5f, "Bitte Mag für Vergleichsstern korrekt eintragen"},
  };
  const auto n = addStar(30, 30, 5000);
  for (const Step& s : steps) {
    ui.messages.clear();
    const bool ok = type(n, s.text, s.type);
    EXPECT_EQ(std::tuple(ok, win.roi(n).starType(), win.roi(n).rmag, lastMessage()),
              std::tuple(s.ok, s.result, s.rmag, std::string(s.message))) << s.text;
  }
  // A net of 100 is not yet measurable: the star keeps its type; 101 is.
  const auto faint = addStar(60, 30, 100);
  std::tie(win.roi(faint).rmag, flags.Blinkmode) = std::tuple(13.0f, true);
  EXPECT_FALSE(type(faint, "14.0", kStarComp));
  EXPECT_EQ(std::tuple(lastMessage(), win.roi(faint).starType(), flags.Blinkmode),
            std::tuple(std::string("Stern nicht messbar!"), kStarCheck, false));
  EXPECT_TRUE(type(faint, "", kStarVar));  // a Var star needs no signal
  stars[{60, 30}] = 101;
  draw();
  EXPECT_TRUE(type(faint, "14.0", kStarComp));
  EXPECT_FALSE(type(3, "", kStarVar));  // one beyond the last ROI
  EXPECT_EQ(lastMessage(), "Vergleichsstern-Nummer falsch");
}

TEST_F(RoiWindowTest, FilterChangeTakesCatalogueValuesAndReportsMissingOnes) {
  const auto comp = addStar(20, 20, 5000), check = addStar(50, 20, 6000), comp2 = addStar(80, 20, 7000);
  makeComparison(comp, 10.0f);
  makeComparison(comp2, 11.0f);
  std::tie(win.roi(check).rmag, win.roi(check).stype) = std::tuple(12.0f, kStarCheck);
  std::tie(win.bvri(comp), win.bvri(comp2), win.bvri(check)) = std::tuple(
      BVRIRec{10.6f, 10.0f, 9.7f, 99.0f}, BVRIRec{11.5f, 11.0f, 99.0f, 99.0f}, BVRIRec{12.4f, 12.0f, 99.0f, 99.0f});
  win.FilterComboboxChange(4);  // "R": two stars miss it, one message
  EXPECT_EQ(std::vector({win.roi(comp).rmag, win.roi(comp2).rmag, win.roi(check).rmag}), std::vector({9.7f, 0.0f, 0.0f}));
  EXPECT_EQ(std::pair(ui.messages, win.Diffmag), std::pair(Texts{"R-Katalogwert (Vergleichsstern) fehlt, Umschaltung auf diff. Mag."}, true));
  win.FilterComboboxChange(2);  // "B": every star is calibrated again
  EXPECT_EQ(std::pair(std::vector({win.roi(comp2).rmag, win.roi(check).rmag}), win.roi(check).starType()),
            std::pair(std::vector({11.5f, 12.4f}), kStarCheck));
  win.FilterComboboxChange(7);  // "TG" takes V values
  EXPECT_EQ(std::vector({win.roi(comp).rmag, win.roi(comp2).rmag, float(ui.messages.size())}), std::vector({10.0f, 11.0f, 1.0f}));
}

TEST_F(RoiWindowTest, SizeRuleAndConfiguredSizes) {
  const auto sizes = [&] { return std::vector({win.ROIsizeEdit.value, win.BGinnerEdit.value, win.BGsizeEdit.value}); };
  const auto n = addStar(30, 30, 5000);
  win.setStarSize(9);
  // Inner d + 2 = 11; outer max(2 round(9 / sqrt 2) + 1, 5 + 2) = 13, before the inner moved.
  EXPECT_EQ(std::vector({win.BGinnerEdit.minimum, win.BGsizeEdit.minimum, win.roi(n).d, win.roi(n).d2, win.roi(n).d3}),
            std::vector({11, 13, 9, 11, 13}));
  // The largest inner ring cannot push the outer ring past its own maximum.
  win.setInnerSize(150);
  EXPECT_EQ(sizes(), std::vector({9, 150, 150}));
  // The configured sizes apply at the first showing, a star size of 3 raised to the smallest, 5.
  std::tie(settings.DefaultROIsize, settings.DefaultBGinnerSize, settings.DefaultBGoutersize) = std::tuple(3, 9, 15);
  win.FormShow();
  EXPECT_EQ(std::pair(sizes(), win.ElcountEdit), std::pair(std::vector({5, 9, 15}), std::string("1.00")));
}

TEST_F(RoiWindowTest, StarInformationDialog) {
  StarInfoDialog dialog{ui};
  win.FilterType = 3;  // "V"
  const auto star = addStar(30, 30, 3000);
  // B = Bt - 0.24 (Bt - Vt), V = Vt - 0.09 (Bt - Vt); both must be numbers.
  std::tie(dialog.BTEdit, dialog.VTEdit) = std::tuple("10.000", "9,5x");
  dialog.TycToJButtonClick();
  dialog.VTEdit = "9.500";
  dialog.TycToJButtonClick();
  EXPECT_EQ((Texts{dialog.BmagEdit, dialog.VMagEdit}), (Texts{"9.880", "9.455"}));
  // Typing B shows B-V; a chosen B-V sets B; a new V recomputes B-V from B.
  dialog.VMagEditChange("11.9");
  dialog.BmagEditClick();
  dialog.BmagEditChange("12.5");
  const std::string typedB = dialog.BVEdit;
  dialog.BVEditClick();
  dialog.BVEditChange("0.700");
  const std::string chosenBV = dialog.BmagEdit;
  dialog.VMagEditChange("12.0");
  EXPECT_EQ((Texts{typedB, chosenBV, dialog.BVEdit}), (Texts{"0.600", "12.600", "0.600"}));
  win.bvri(star) = BVRIRec{12.3456f, 11.9f, 90.0f, 99.0f};  // exactly 90 is still shown
  win.roi(star).Name = "RR Lyr";
  dialog.prepare(win, star, 0, "", "");
  EXPECT_EQ((Texts{dialog.IDEdit, dialog.StarnameEdit, dialog.BmagEdit, dialog.VMagEdit, dialog.RMagEdit,
                   dialog.IMagEdit, dialog.BVEdit}),
            (Texts{"ROI 1", "RR Lyr", "12.346", "11.900", "90.000", "", "0.446"}));
  // Fields shown but not typed are no catalogue values: B keeps all its digits.
  dialog.RMagEdit = "13.100";
  ASSERT_TRUE(dialog.accept(win));
  const BVRIRec& c = win.bvri(star);
  EXPECT_EQ(std::vector({c.Bmag, c.Vmag, c.Rmag, c.Imag}), std::vector({12.3456f, 11.9f, 13.1f, 99.0f}));
  // A comparison star takes the typed value of the current filter; names never start with a bracket.
  dialog.prepare(win, star, 0, "[Lyr", "");
  dialog.StarTypeGroupClick(1);
  dialog.VMagEditChange("11.200");
  ASSERT_TRUE(dialog.accept(win));
  const TRoi1& r = win.roi(star);
  EXPECT_EQ(std::tuple(r.starType(), win.RefstarEdit, r.rmag, c.Vmag, r.Name),
            std::tuple(kStarComp, star, 11.2f, 11.2f, std::string("(Lyr")));
  // An empty field of the current filter ("I") takes the ROI's reference magnitude.
  win.FilterType = 5;
  dialog.prepare(win, star, 2, "", "");
  EXPECT_EQ((Texts{dialog.IMagEdit, dialog.VMagEdit}), (Texts{"11.200", "11.200"}));
  // A field that is no number stores nothing.
  dialog.prepare(win, star, 1, "New", "");
  dialog.RMagEdit = "abc";
  EXPECT_FALSE(dialog.accept(win));
  EXPECT_EQ(win.roi(star).Name, "(Lyr");
  EXPECT_EQ(ui.messages, (Texts{"Bt und Vt müssen korrekt eingetragen sein", "'abc' ist kein gültiger Gleitkommawert"}));
}

class RoiFileTest : public RoiWindowTest {
 protected:
  // Loads the lines as a project file with CR LF line ends.
  bool loadProject(const Texts& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    writeBytes(dir.file("field.vgp"), text);
    return LoadStarinfos(win, dir.file("field.vgp"));
  }
  std::vector<float> bvri(std::int32_t n) { return {win.bvri(n).Bmag, win.bvri(n).Vmag, win.bvri(n).Rmag, win.bvri(n).Imag}; }
  test::TempDir dir;
  const std::string path = dir.file("field.roi");
};

TEST_F(RoiFileTest, SavedRecordsAndTheRoundTrip) {
  EXPECT_FALSE(SaveROI(win, path));
  EXPECT_EQ(std::pair(ui.messages, std::filesystem::exists(path)), std::pair(Texts{"Keine ROI definiert"}, false));
  appendRoi(12, 34, 12, 34, 9, true, 11.25f);  // a comparison star in ring mode
  appendRoi(-1, 300, 0, 0, 200, false, -7.5f);  // a fixed marker without background, too large
  ASSERT_TRUE(SaveROI(win, path));
  std::string bytes = roiRecord(12, 34, 12, 34, 9, true, 11.25f) + roiRecord(-1, 300, 0, 0, 200, false, -7.5f);
  EXPECT_EQ(readBytes(path), bytes);
  for (const std::size_t at : {21u, 22u, 23u, 49u, 50u, 51u}) bytes[at] = '\xAB';  // padding is ignored
  writeBytes(path, bytes);
  test::Rig other;
  ASSERT_TRUE(LoadROI(other.win, path));
  ASSERT_EQ(std::tuple(other.win.count(), other.win.ROIindex, other.ui.questions.size()), std::tuple(2, 2, 0u));
  const TRoi1& a = other.win.roi(1);
  const TRoi1& b = other.win.roi(2);
  // Start positions become the centres. The size control took each record's size in turn,
  // clamped to 99: all end with the last, and those before the last change also with the
  // ring sizes; the later ones keep none.
  EXPECT_EQ(std::vector({a.num, a.xa, a.x0a, a.ya, a.y0a, a.xb, a.yb, a.d, b.num, b.xa, b.y0a, b.xb, b.d}),
            std::vector({1, 12, 12, 34, 34, 12, 34, 99, 2, -1, 300, 0, 99}));
  EXPECT_EQ(std::vector({a.d2, a.d3, b.d2, b.d3}), std::vector({other.win.BGinnerEdit.value, other.win.BGsizeEdit.value, 0, 0}));
  EXPECT_EQ(std::vector({a.ringMode(), a.ref, b.isFixed(), b.ref}), std::vector({true, true, true, false}));
  EXPECT_EQ(std::vector({a.rmag, a.mag, b.rmag, b.mag, other.win.bvri(1).Vmag}), std::vector({11.25f, 99.0f, -7.5f, 99.0f, 99.0f}));
  // A project file beside it supplies the star information; ROI 1 is a
  // comparison star of known magnitude: "standardisiert".
  writeBytes(dir.file("field.vgp"), "[ROIfile]\r\n2\r\nAlpha\r\nBeta\r\n[BVRI]\r\n1;2;3;4\r\n");
  CompTypeState compType;
  ASSERT_TRUE(LoadROI(win, path, false, &compType));
  EXPECT_EQ((Texts{win.roi(1).Name, win.roi(2).Name}), (Texts{"Alpha", "Beta"}));
  EXPECT_EQ(std::pair(bvri(1), compType.ItemIndex), std::pair(std::vector({1.0f, 2.0f, 3.0f, 4.0f}), 1));
}

TEST_F(RoiFileTest, DamagedTornMissingAndRefusedLoads) {
  const std::string good = roiRecord(10, 20, 10, 20, 9);
  const struct { const char* what; std::string bytes; std::int32_t loaded; const char* message; } cases[] = {
      {"NaN magnitude", good + roiRecord(10, 20, 10, 20, 9, false, std::bit_cast<float>(0x7FC00000u)) + good, 1,
       "ist beschädigt: ROI 2 ist ungültig; 1 ROIs geladen"},
      {"x far beyond any image", roiRecord(0x70000000, 20, 10, 20, 9), 0, "ROI 1 ist ungültig; 0 ROIs"},
      {"torn end", good + good + std::string(10, '\x07'), 2, "unvollständig: die letzten 10 Byte"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    writeBytes(path, c.bytes);
    test::Rig fresh;
    EXPECT_FALSE(LoadROI(fresh.win, path));
    ASSERT_EQ(std::pair(fresh.win.count(), fresh.ui.messages.size()), std::pair(c.loaded, std::size_t{1}));
    EXPECT_NE(fresh.ui.messages[0].find(c.message), std::string::npos) << fresh.ui.messages[0];
  }
  win.Newroi(50, 50);
  // Existing ROIs are replaced only after Yes (here the torn file's two whole records).
  ui.answers = {UiPort::Answer::No, UiPort::Answer::Cancel, UiPort::Answer::Yes};
  for (const int x0a : {51, 51, 10}) {
    EXPECT_FALSE(LoadROI(win, path));
    EXPECT_EQ(win.roi(1).x0a, x0a);
  }
  EXPECT_EQ(std::pair(win.count(), ui.questions), std::pair(2, Texts(3, "Vorhandene ROIs werden gelöscht; sind Sie sicher?")));
}

TEST_F(RoiFileTest, HugeFilesAreRefusedUnreadAndTheLimitLoadsBounded) {
  // A sparse file of 100 MB (its size alone decides), one record over the limit, the limit;
  // each loaded in a child with a hang guard; its sizes alternate, so every record changes it.
  const std::string tooLarge = "0|Datei " + path + " ist keine ROI-Datei (zu groß)";
  const struct { std::int64_t records; int exitCode; std::string report; std::int64_t rssKb; } cases[] = {
      {-1, 1, tooLarge, 16 * 1024}, {kMaxRoiFileRecords + 1, 1, tooLarge, 256 * 1024},
      {kMaxRoiFileRecords, 0, std::to_string(kMaxRoiFileRecords) + "|", 256 * 1024}};
  for (const auto& c : cases) {
    {
      std::ofstream out(path, std::ios::binary);
      for (std::int32_t i = 0; i < c.records; ++i) out << roiRecord(i % 1000, i / 1000, i % 1000, i / 1000, 7 + i % 2 * 4);
    }
    if (c.records < 0) std::filesystem::resize_file(path, 100'000'000);
    const test::ChildOutcome child = test::runInChild([&](std::string& report) {
      test::Rig reader;
      const bool loaded = LoadROI(reader.win, path, false);
      report = std::to_string(reader.win.count()) + "|" + reader.lastMessage();
      return loaded ? 0 : 1;
    });
    ASSERT_TRUE(child.exited) << "signal " << child.signal << " (SIGALRM: hung)";
    EXPECT_EQ(std::pair(child.exitCode, child.report), std::pair(c.exitCode, c.report));
    EXPECT_LT(child.rssGrowthKb, c.rssKb) << c.records;
  }
  const std::string pipe = test::makePipe(dir, "stars.roi");
  const auto loadPipe = [&](std::string& report) {
    const bool loaded = LoadROI(win, pipe, false);
    report = lastMessage();
    return loaded;
  };
  EXPECT_EQ(test::expectPipeRefused(loadPipe), "Fehler beim Laden der Datei " + pipe);
}

TEST_F(RoiFileTest, ResultsTableLinesAndSaveFailures) {
  std::tie(imgwin.title, win.FilterType) = std::tuple("m31.fit", 3);  // filter "V"
  // Net 5230 twice (a comparison star as bright as ROI 1: ROI 1 gets its
  // magnitude), then net 5 with S/N 2: no magnitude below S/N 3.
  const struct { std::int64_t a; std::int32_t max, sn; bool ref; float rmag; } rois[] = {
      {6230, 1800, 45, false, 0}, {6230, 1700, 45, true, 12.3456f}, {1005, 120, 2, false, 0}};
  for (const auto& m : rois) {
    appendRoi(10, 10, 10, 10, 5, m.ref, m.rmag);
    TRoi1& r = win.roi(win.count());
    std::tie(r.acounts, r.bcounts, r.amaxcounts, r.npixa, r.npixb, r.SN) = std::tuple(m.a, 1000, m.max, 25, 100, m.sn);
  }
  ASSERT_TRUE(SaveROITable(win, dir.file("results.txt")));
  EXPECT_EQ(readBytes(dir.file("results.txt")),
            "Vargaze results for m31.fit\r\nN; Counts; PixelMax; Mag; S/N; Refmag; Filter\r\n"
            "1;5230;1800;12.346;45;;V\r\n2;5230;1700;12.346;45;12.346;V\r\n3;5;120; ;2;;V\r\n");
  win.FilterType = 0;  // the first filter has a name too
  ASSERT_TRUE(SaveROITable(win, dir.file("results.txt")));
  EXPECT_TRUE(readBytes(dir.file("results.txt")).ends_with("\r\n3;5;120; ;2;;CV\r\n"));
  for (const auto save : {SaveROI, SaveROITable}) {
    test::expectSaveFaultsReported(dir, save == SaveROI ? "saved.roi" : "saved.txt", [&](const std::string& target, std::string& message) {
      ui.messages.clear();
      const bool saved = save(win, target);
      message = lastMessage();
      return saved;
    });
    EXPECT_FALSE(save(win, dir.file("missing/out")));
    EXPECT_EQ(lastMessage(), "Fehler beim Speichern der Datei " + dir.file("missing/out"));
  }
}

TEST_F(RoiFileTest, ProjectFileSections) {
  for (int i = 0; i < 3; ++i) win.Newroi(10 + 10 * i, 20);
  ASSERT_TRUE(loadProject({"[files]", "/data/a.fit", "[ROIfile]", "3", "RR Lyr", "HD 182989", "", "[BVRI]",
                           "12,345;11,8;99,000;99,000", "8.1;7.6;7.2;6.9", "", "[compstars]", "AAVSOchartID=X12",
                           "[compstars]", "AAVSOchartID=again", "[ROIcenter]", "ROID2=9", "ROID3=15", "[Tracking]",
                           "123,50;456,25", "[end]"}));
  // An empty line names nothing and leaves the catalogue values; each section is read once.
  EXPECT_EQ((Texts{win.roi(1).Name, win.roi(2).Name, win.roi(3).Name, win.AAVSOchartEdit}),
            (Texts{"RR Lyr", "HD 182989", "", "X12"}));
  EXPECT_EQ((std::vector{bvri(1), bvri(2), bvri(3)}),
            (std::vector<std::vector<float>>{{12.345f, 11.8f, 99, 99}, {8.1f, 7.6f, 7.2f, 6.9f}, {99, 99, 99, 99}}));
  for (const TRoi1& r : win.ROIlist)
    EXPECT_EQ(std::vector({win.BGinnerEdit.value, win.BGsizeEdit.value, r.d2, r.d3}), std::vector({9, 15, 9, 15}));
  EXPECT_EQ(std::pair(imgwin.TrackstarX, imgwin.TrackstarY), std::pair(123.5, 456.25));
  // Ring sizes are clamped by the controls, and need a following section.
  ASSERT_TRUE(loadProject({"[ROIcenter]", "ROID2=13", "ROID3=300", "[Tracking]"}));
  ASSERT_TRUE(loadProject({"[ROIcenter]", "ROID2=17", "ROID3=21"}));
  EXPECT_EQ(std::vector({win.BGinnerEdit.value, win.BGsizeEdit.value, win.roi(2).d2, win.roi(2).d3}),
            std::vector({13, 150, 13, 150}));
  // Fewer names than ROIs: the header ends the names and starts its
  // section; names are cut to 40 characters, the umlaut counting as one.
  ASSERT_TRUE(loadProject({"[ROIfile]", "3", "Ä123456789012345678901234567890123456789XYZ", "[BVRI]", "1;2;3;4", "5;6;7;8"}));
  EXPECT_EQ((Texts{win.roi(1).Name, win.roi(2).Name}), (Texts{"Ä123456789012345678901234567890123456789", "HD 182989"}));
  EXPECT_EQ(win.bvri(2).Bmag, 5.0f);
  // Short lines repeat their last field; adjacent separators enclose an empty field, no number.
  EXPECT_FALSE(loadProject({"[BVRI]", "12.5|11.9", "10;;9;8"}));
  EXPECT_EQ(std::pair(bvri(1), bvri(2)), std::pair(std::vector({12.5f, 11.9f, 11.9f, 11.9f}), std::vector({10.0f, 6.0f, 7.0f, 8.0f})));
  // What was read before a field that is no number stays; the chart identifier was emptied at the start.
  win.AAVSOchartEdit = "old";
  EXPECT_FALSE(loadProject({"[ROIfile]", "3", "P", "Q", "R", "[BVRI]", "1;2;3;4", "5;x7;6;7", "[compstars]", "AAVSOchartID=Z1"}));
  EXPECT_EQ(std::pair(bvri(1), bvri(2)), std::pair(std::vector({1.0f, 2.0f, 3.0f, 4.0f}), std::vector({5.0f, 6.0f, 7.0f, 8.0f})));
  EXPECT_EQ((Texts{win.roi(3).Name, win.AAVSOchartEdit}), (Texts{"R", ""}));
  EXPECT_FALSE(loadProject({"[ROIfile]", "drei", "A"}));
  EXPECT_EQ(ui.messages, (Texts{"'' ist kein gültiger Gleitkommawert", "'x7' ist kein gültiger Gleitkommawert",
                                "'drei' ist kein gültiger Integerwert"}));
  win.AAVSOchartEdit = "kept";  // a missing file changes nothing
  EXPECT_FALSE(LoadStarinfos(win, dir.file("none.vgp")));
  EXPECT_EQ(win.AAVSOchartEdit, "kept");
}

}  // namespace
}  // namespace vargaze
