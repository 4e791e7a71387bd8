#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/SetupCommands.h"
#include "app/SetupDialog.h"
#include "support/AppRig.h"

namespace vargaze::test {
namespace {

struct SetupDialogTest : ::testing::Test {
  AppRig rig{true};
  Settings& s = rig.app.settings;
  SetupForm form{rig.app.roiWindow};
};

TEST_F(SetupDialogTest, ShowingFormatsTheSettings) {
  s.ElectronsPerCount = 1.236, s.ArcsecPerPixel = 3.0, s.imgBinning = 2, s.TF_Tbv = -0.125;
  s.DefaultZoomfactor = 0.35, s.OBSTYPE = "DSLR", s.ExportDelimiter = '|', s.StandardFilter = 3;
  form.FormShow();
  EXPECT_EQ(std::vector<std::string>({form.ElectronsEdit, form.pixelsizeEdit, form.TBedit,
                                      form.TBVedit, form.JDCurveoffsetEdit,
                                      form.FilterItems.at(form.FilterCombobox)}),
            std::vector<std::string>({"1.24", "1.50", "", "-0.125", "2450000", "V"}));
  EXPECT_EQ(std::vector({form.ZoomfactorCombobox, form.OBSTYPEselect, form.DelimiterGroup}),
            std::vector({4, 1, 2}));  // "35%", "DSLR", "| (Pipe)"
  s.DefaultZoomfactor = 0.8, s.OBSTYPE = "CMOS";  // neither is in its list
  form.FormShow();
  EXPECT_EQ(std::vector({form.ZoomfactorCombobox, form.OBSTYPEselect}), std::vector({-1, -1}));
}

// Every field valid, each distinct from the defaults; then one field at a
// time spoiled: what OK stored must be exactly the fields before it.
std::vector<bool> storedInOrder(const Settings& t) {
  return {t.ElectronsPerCount == 3.0,  t.ReadnoiseElectrons == 7.0, t.DarkElectronsPerSec == 0.25,
          t.imgBinning == 2,           t.ArcsecPerPixel == 3.0,     t.OBSCODE == "XYZ",
          t.JDCurveoffset == 2460000., t.DefaultROIsize == 11,      t.DefaultZoomfactor == 0.5,
          t.TF_Tb == 0.1,              t.TF_Tbv == 0.2,             t.TF_Tv == 0.3,
          t.TF_Tv2 == 0.4,             t.TF_Tvr == 0.5,             t.TF_Tr == 0.6,
          t.Dscope_cm == 25,           t.DefaultLocationHeight == 300};
}

TEST(SetupDialogOkTest, StopsAtTheFirstBadFieldKeepingWhatCameBefore) {
  const struct {
    std::string SetupForm::*field;
    const char* text;
    const char* message;  // empty: OK succeeds
    std::size_t stored;
  } rows[] = {
      {&SetupForm::ReadNoiseEdit, "", "Read noise Electrons incorrect", 1},
      {&SetupForm::DarkcurrentEdit, "0.5x", "Dark current incorrect", 2},
      {&SetupForm::pixelsizeEdit, "1.5.", "Arcseconds/pixel incorrect", 4},
      {&SetupForm::JDCurveoffsetEdit, "JD", "JD offset for curves incorrect", 6},
      {&SetupForm::TBedit, "1,5", "Tb factor incorrect", 9},
      {&SetupForm::TBVedit, "-", "Tbv factor incorrect", 10},
      {&SetupForm::TVedit, "e3", "Tv (BV) factor incorrect", 11},
      {&SetupForm::TV2Edit, "0..4", "Tv (VR) factor incorrect", 12},
      {&SetupForm::TvrEdit, "0.5 0", "Tvr factor incorrect", 13},
      {&SetupForm::TREdit, "x", "Tr factor incorrect", 14},
      {&SetupForm::DTelEdit, "25.0", "Teleskop-Öffnung nicht korrekt", 15},
      {&SetupForm::HlocationEdit, "3e2", "Höhe des Beobachtungsorts nicht korrekt", 16},
      {&SetupForm::cfgfileEdit, "not checked", "", 17},
  };
  for (const auto& row : rows) {
    AppRig r;
    SetupForm f(r.app.roiWindow);
    f.FormShow();
    f.ElectronsEdit = "3", f.ReadNoiseEdit = "7", f.DarkcurrentEdit = " 0.25 ";
    f.BinningEdit.set(2), f.pixelsizeEdit = "1.5", f.AAVSOObsEdit = "XYZ";
    f.JDCurveoffsetEdit = "2460000", f.ROIsizeSpinEditChange(11), f.ZoomfactorCombobox = 3;
    f.TBedit = "0.1", f.TBVedit = "0.2", f.TVedit = "0.3";
    f.TV2Edit = "0.4", f.TvrEdit = "0.5", f.TREdit = "0.6";
    f.DTelEdit = "25", f.HlocationEdit = "300";
    f.*row.field = row.text;
    std::vector<bool> expected(17, false);
    std::fill_n(expected.begin(), row.stored, true);
    EXPECT_EQ(f.OKButtonClick(), row.stored == expected.size()) << row.text;
    EXPECT_EQ(r.ui.messages, row.message[0] ? std::vector<std::string>{row.message}
                                            : std::vector<std::string>{});
    EXPECT_EQ(storedInOrder(r.app.settings), expected) << row.text;
    if (row.stored > 4) {
      EXPECT_EQ(r.app.roiWindow.PixelsizeEdit, "3.00");  // 1.5 x 2
    }
  }
}

TEST_F(SetupDialogTest, EmptyFieldsStoreNotSetAndShowEmptyAgain) {
  s.TF_Tr = 0.02;
  form.FormShow();
  form.TREdit = "";
  form.DTelEdit = " ";
  form.HlocationEdit = "";
  ASSERT_TRUE(form.OKButtonClick());
  EXPECT_EQ(s.TF_Tr, 99.0);
  EXPECT_EQ(s.Dscope_cm, 0);
  EXPECT_EQ(s.DefaultLocationHeight, 0);
  form.FormShow();
  EXPECT_EQ(form.TREdit, "");
}

TEST_F(SetupDialogTest, StarBoxAndRingsKeepTheirOrder) {
  const struct {
    int star, inner, outer;  // set in this order, from 5 / 7 / 9
    int innerMin, innerValue, outerMin, outerValue;
  } rows[] = {
      {7, 0, 0, 9, 9, 11, 11},     // 2 * round(4.95) + 1
      {5, 15, 0, 7, 15, 17, 17},   // outer 9 below inner 15: inner + 2
      {15, 0, 0, 17, 17, 23, 23},  // 2 * round(10.61) + 1
      {5, 0, 21, 7, 7, 9, 21},
  };
  for (const auto& r : rows) {
    SetupForm f(rig.app.roiWindow);
    f.ROIsizeSpinEditChange(5), f.BGinnerEditChange(7), f.BGouterEditChange(9);
    f.ROIsizeSpinEditChange(r.star);
    if (r.inner) f.BGinnerEditChange(r.inner);
    if (r.outer) f.BGouterEditChange(r.outer);
    EXPECT_EQ(std::vector({f.BGinnerEdit.minimum, f.BGinnerEdit.value, f.BGouterEdit.minimum,
                           f.BGouterEdit.value}),
              std::vector({r.innerMin, r.innerValue, r.outerMin, r.outerValue}))
        << "star " << r.star;
  }
}

TEST_F(SetupDialogTest, SetupOkWritesZoomsAndSavesTheNamedCopy) {
  rig.ui.answers = {UiPort::Answer::Yes};
  const std::string status = Setup2Click(
      rig.app,
      [](SetupForm& f) {
        f.OBSTYPEselectChange(1);  // stored at once
        f.ZoomfactorCombobox = 3;
        return f.OKButtonClick();
      },
      [&] { return rig.dir.file("night"); });
  EXPECT_EQ(status, "CFG-Datei=night.cfg");
  EXPECT_EQ(rig.app.series.controls.ZoomIndex, 3);
  EXPECT_EQ(s.ZoomFactor, 0.5);
  EXPECT_TRUE(s.ConfigChanged);
  Settings copy;
  TConfigOptions(copy, rig.dir.file("night.cfg")).ReadOptions();
  EXPECT_EQ(copy.OBSTYPE, "DSLR");
  EXPECT_EQ(copy.DefaultZoomfactor, 0.5);
}

TEST_F(SetupDialogTest, CancelKeepsZoomButImmediateControlsStay) {
  rig.ui.answers = {UiPort::Answer::No};
  const std::string status = Setup2Click(
      rig.app,
      [](SetupForm& f) {
        f.AutoFilterSelectClick(false);
        f.ZoomfactorCombobox = 0;
        return false;
      },
      [] { return std::string("never asked"); });
  EXPECT_EQ(status, "");
  EXPECT_FALSE(s.AutoReadFilter);
  EXPECT_EQ(s.ZoomFactor, 1.0);
  EXPECT_TRUE(s.ConfigChanged);
  EXPECT_FALSE(std::filesystem::exists(rig.dir.file("vargaze1.ini")));
}

TEST_F(SetupDialogTest, LoadingAMissingCopyNamesItAndKeepsTheName) {
  s.cfgfilename = "old.cfg";
  const std::string missing = rig.dir.file("gone.cfg");
  EXPECT_EQ(Einstellungenladen1Click(rig.app, missing), "CFG-Datei=old.cfg");
  ASSERT_EQ(rig.ui.messages.size(), 1u);
  EXPECT_EQ(rig.ui.messages[0].rfind("Load error\n", 0), 0u);
  EXPECT_NE(rig.ui.messages[0].find(missing), std::string::npos);
  EXPECT_EQ(Einstellungenladen1Click(rig.app, ""), "");
}

}  // namespace
}  // namespace vargaze::test
