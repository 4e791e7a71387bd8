// The ROI window's buttons beyond its own state: erasing after asking, the
// star information for the selected ROI, row selection, "SNR+" and the S/N
// dialog; a new series keeps the telescope and the site.
#include <gtest/gtest.h>

#include <cmath>

#include "app/RoiWindowCommands.h"
#include "support/AppRig.h"

namespace vargaze::test {
namespace {

using Texts = std::vector<std::string>;
using Answer = UiPort::Answer;

// Single-pixel stars on a sky of 100: a 5 x 5 box with a ring holds the star's
// counts as "A-B". ROI 1 has 20000, ROI 2 2000, ROI 3 8000.
class RoiWindowCommandsTest : public ::testing::Test, protected AppRig {
 protected:
  void SetUp() override {
    app.settings.DefaultROIsize = 5;
    writeFrame(dir.file("a.fit"),
               {.stars = {{30, 30, 20000.0}, {70, 50, 2000.0}, {50, 20, 8000.0}}});
    ASSERT_TRUE(app.openSeries({dir.file("a.fit")}));
    win.FormShow();
    addRois();
  }
  void addRois() {
    win.ClearROIs();
    for (auto [x, y] : {std::pair{29, 29}, {69, 49}, {49, 19}}) win.BGROI1(win.Newroi(x, y), x, y);
    win.UpdateROItable(0);
  }
  Texts column(int c) {
    Texts texts;
    for (std::int32_t i = 1; i <= win.count(); ++i) texts.push_back(win.table1.cell(i, c));
    return texts;
  }

  RoiWindow& win = app.roiWindow;
  RoiWindowCommands commands{app};
};

TEST_F(RoiWindowCommandsTest, EraseAsksForTheSelectedRoiAndRenumbers) {
  struct Row { std::int32_t selected; Answer answer; Texts questions, net; };
  const Row rows[] = {
      {0, Answer::Yes, {}, {"20000", "2000", "8000"}},
      {4, Answer::Yes, {}, {"20000", "2000", "8000"}},
      {2, Answer::No, {"Markierung ROI 2 löschen?"}, {"20000", "2000", "8000"}},
      {2, Answer::Yes, {"Markierung ROI 2 löschen?"}, {"20000", "8000"}},
  };
  for (const Row& r : rows) {
    addRois();
    ui.questions.clear();
    ui.answers = {r.answer};
    win.RefstarEdit = r.selected;
    EXPECT_EQ(commands.ROIclearBtnClick(), r.net.size() == 2) << r.selected;
    EXPECT_EQ(ui.questions, r.questions);
    EXPECT_EQ(column(3), r.net);
    EXPECT_EQ(column(0).back(), std::to_string(r.net.size()));
  }
}

TEST_F(RoiWindowCommandsTest, SelectingARowAndSetOpenTheStarInformation) {
  win.roi(3).Name = "HD 1234";
  for (std::int32_t row : {0, 4}) commands.table1SelectCell(row);
  EXPECT_EQ(win.RefstarEdit, 0);
  EXPECT_EQ(commands.SetRefButtonClick(), 0);
  commands.table1SelectCell(3);
  EXPECT_EQ(std::tuple(win.RefstarEdit, win.MagEdit, win.NameEdit),
            std::tuple(3, "Var", "HD 1234"));
  win.StartypeIndex = 2;
  EXPECT_EQ(commands.SetRefButtonClick(), 3);
  EXPECT_EQ(std::tuple(app.starInfo.IDEdit, app.starInfo.StarnameEdit, app.starInfo.StarTypeGroup),
            std::tuple("ROI 3", "HD 1234", 2));
}

TEST_F(RoiWindowCommandsTest, SnrPlusNeedsAnAirmassAndFollowsTheDialog) {
  const auto sn = [&] { return std::stoi(win.table1.cell(1, 7)); };
  const int basic = sn();
  ASSERT_GT(basic, 50);
  int shown = 0;
  win.AirmassEdit.clear();
  commands.SNRButtonClick([&] { return ++shown > 0; });
  EXPECT_EQ(ui.messages, Texts{"Bitte Airmass(Luftmasse) eintragen"});
  EXPECT_EQ(std::tuple(shown, win.snr.SNRspecial), std::tuple(0, false));
  commands.AirmassEditChange("1.50");
  win.snr.scintillation = false;
  commands.SNRButtonClick([&] {  // four averaged frames: twice the ratio
    commands.snrForm.nstackEditChange(4);
    commands.snrForm.Stackinggroup = 1;
    return commands.snrForm.OKbuttonClick();
  });
  EXPECT_TRUE(win.snr.SNRspecial && commands.snrForm.AirmassReadOnly);
  EXPECT_EQ(win.snr.airmass, 1.5);
  EXPECT_NEAR(sn(), 2 * basic, 1);
  commands.SNRButtonClick([] { return false; });
  EXPECT_FALSE(win.snr.SNRspecial);
  EXPECT_EQ(sn(), basic);
  commands.AirmassEditChange("hoch");  // no airmass: no scintillation from it
  EXPECT_TRUE(std::isnan(win.snr.airmass));
}

TEST_F(RoiWindowCommandsTest, DialogShowsTheTelescopeOnceThenTheModelUntilANewSeries) {
  SnrForm& form = commands.snrForm;
  win.ExposureEdit = "60.000";
  form.FormShow();  // nothing configured: 0.2 m and height 0
  const auto fields = [&] { return Texts{form.DTelEdit, form.HlocationEdit, form.AcqtimeEdit}; };
  EXPECT_EQ(fields(), Texts({"20", "0", "60.000"}));
  std::tie(app.settings.Dscope_cm, app.settings.DefaultLocationHeight) = std::tuple(25, 300);
  form.DTelEdit.clear();
  form.HlocationEdit.clear();
  form.FormShow();
  EXPECT_EQ(std::tuple(win.snr.DScope_m, win.snr.LocationHeight), std::tuple(0.25, 300));
  form.nstackEditChange(7);
  EXPECT_EQ(form.AcqtimeEdit, "8.571");  // 60 s / 7
  win.snr.DScope_m = 0.4;
  form.FormShow();  // the fields are filled: the model wins
  EXPECT_EQ(fields(), Texts({"40", "300", "8.571"}));
  struct Row { const char *aperture, *height; bool ok; double metres; int site; Texts messages; };
  const Row rows[] = {
      {"30", " 250.5 ", true, 0.30, 250, {}},  // ties to even
      {"x", "100", false, 0.30, 250, {"'x' ist kein gültiger Gleitkommawert"}},
      {"35", "hoch", false, 0.35, 250, {"'hoch' ist kein gültiger Gleitkommawert"}},
  };
  for (const Row& r : rows) {
    ui.messages.clear();
    std::tie(form.DTelEdit, form.HlocationEdit) = std::tuple(r.aperture, r.height);
    EXPECT_EQ(form.OKbuttonClick(), r.ok) << r.aperture;
    EXPECT_EQ(std::tuple(win.snr.DScope_m, win.snr.LocationHeight, ui.messages),
              std::tuple(r.metres, r.site, r.messages));
  }
  // A new series resets only the stacking.
  win.snr = {true, 5, 1, 0.3, 500, 1.2, false, false};
  ASSERT_TRUE(app.openSeries({dir.file("a.fit")}));
  const SnrModel& s = win.snr;
  EXPECT_EQ(std::tuple(s.SNRspecial, s.Nstack, s.Stackingtype), std::tuple(false, 1, 0));
  EXPECT_EQ(std::tuple(s.DScope_m, s.LocationHeight, s.airmass, s.scintillation, s.exposureIsTotal),
            std::tuple(0.3, 500, 1.2, false, false));
}

}  // namespace
}  // namespace vargaze::test
