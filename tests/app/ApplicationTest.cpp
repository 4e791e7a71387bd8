// The application object and the main window model: menus, commands held
// during a run, the ROI-mode buttons, the start with a file and closing.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/MainWindow.h"
#include "config/IniFile.h"
#include "photometry/RoiFile.h"
#include "series/ProjectFile.h"
#include "support/AppRig.h"

namespace vargaze::test {
namespace {

class AppTest : public ::testing::Test, protected AppRig {
 protected:
  AppTest() : AppRig(true) {}
  std::string iniValue(const char* section, const char* key) {
    return IniFile(dir.file("vargaze1.ini")).ReadString(section, key, "<none>");
  }
  MainWindowModel main{app};
};

TEST_F(AppTest, MenusFollowTheConfigurationFlagsAndTheSeriesMode) {
  struct Row { bool privateMode, testmode; };
  for (const Row row : {Row{false, false}, Row{true, false}, Row{false, true}, Row{true, true}}) {
    app.settings.PrivateMode = row.privateMode;
    app.settings.Testmode = row.testmode;
    EXPECT_EQ(main.menuVisible("Bearbeitung"), row.privateMode);
    EXPECT_EQ(main.visible(Command::JPGexport), row.privateMode);
    EXPECT_EQ(main.visible(Command::findstars1), row.testmode);
    EXPECT_TRUE(main.visible(Command::Flatkorrektur1));
    EXPECT_FALSE(main.menuVisible("Edit"));
    for (Command hidden : {Command::Load1, Command::Saveimage1, Command::SaveROIs1,
                           Command::setDCFmarker1, Command::getDCFtime1, Command::Autolightcurve1})
      EXPECT_FALSE(main.visible(hidden)) << menuItem(hidden).caption;
  }
  EXPECT_FALSE(main.visible(Command::BVRIanalyse));
  app.series.BVRImode = true;
  EXPECT_TRUE(main.visible(Command::BVRIanalyse));
  EXPECT_FALSE(main.enabled(Command::Analyse1) || main.enabled(Command::Datenexport1));
  EXPECT_TRUE(main.enabled(Command::Datenexportkomplett1));
}

TEST_F(AppTest, ARunOwnsTheFrameBufferAndClosingAsksFirst) {
  app.series.runActive = true;
  for (Command c : {Command::Serieladen1, Command::LoadProject1, Command::EditSeries,
                    Command::LoadROIs1, Command::ClearROIs1, Command::Analyse1, Command::Setup2,
                    Command::Flatkorrektur1, Command::BAVAAVSODatenexport1})
    EXPECT_FALSE(main.enabled(c)) << menuItem(c).caption;
  for (Command c : {Command::Exit1, Command::Autolightcurve1, Command::Fitsheader1, Command::Info1})
    EXPECT_TRUE(main.enabled(c)) << menuItem(c).caption;
  EXPECT_FALSE(main.frameControlsEnabled());
  EXPECT_FALSE(app.openSeries({twoStars("a.fit")}));
  ui.answers = {UiPort::Answer::No};  // "Nein" keeps the program and writes nothing
  EXPECT_FALSE(main.FormCloseQuery(900, 600));
  EXPECT_FALSE(std::filesystem::exists(dir.file("vargaze1.ini")));
  EXPECT_TRUE(main.FormCloseQuery(900, 600));
  EXPECT_TRUE(main.closeRequested);
  EXPECT_EQ(ui.questions.size(), 2u);
  EXPECT_EQ(iniValue("Window", "WindowWidth"), "900");
  EXPECT_EQ(iniValue("Window", "WindowHeight"), "600");
}

TEST_F(AppTest, RoiButtonsNeedAnImageAndRois) {
  main.ROIbuttonClick(true);
  main.MoveRoiButtonClick(true);
  EXPECT_EQ(ui.messages,
            (std::vector<std::string>{"Bitte erst ein Bild laden", "Noch keine ROI definiert."}));
  EXPECT_FALSE(main.ROIbuttonDown || main.MoveRoiButtonDown || app.flags.NewROI);
  EXPECT_FALSE(app.flags.EditROI);
  ASSERT_TRUE(app.openSeries({twoStars("a.fit")}));
  main.MROIneuClick();
  EXPECT_TRUE(main.ROIbuttonDown && app.flags.NewROI && main.roiWindowShown);
  EXPECT_EQ(main.statusPanel0, "Stern mit linker Maustaste markieren");
  EXPECT_EQ(main.cursor, ImageCursor::Cross);
  app.roiWindow.Newroi(29, 29);
  main.MROIeditClick();
  EXPECT_TRUE(main.MoveRoiButtonDown && app.flags.EditROI);
  EXPECT_FALSE(main.ROIbuttonDown || app.flags.NewROI);
  EXPECT_EQ(main.statusPanel0, "ROI mit linker Maustaste verschieben");
  main.MoveRoiButtonClick(false);
  EXPECT_EQ(main.statusPanel0, "");
  EXPECT_EQ(main.cursor, ImageCursor::Arrow);
}

TEST_F(AppTest, RoiFileReplacesTheRoisAndFindsTheTrackStar) {
  EXPECT_FALSE(main.LoadROIs1Click([] { return std::string("unused"); }));
  EXPECT_EQ(ui.messages.back(), "Bitte erst ein Bild laden");
  // Wide stars: the track-star search takes a single bright pixel for a hot pixel.
  ASSERT_TRUE(app.openSeries({twoStars("a.fit", 1.5), twoStars("b.fit", 1.5)}));
  app.roiWindow.Newroi(29, 29);
  app.roiWindow.Newroi(69, 49);
  ASSERT_TRUE(SaveROI(app.roiWindow, dir.file("two.roi")));
  app.roiWindow.DeleteROI(2);
  app.imageWindow.TrackstarX = app.imageWindow.TrackstarY = -1.0;
  ui.answers = {UiPort::Answer::Cancel};  // "Vorhandene ROIs werden gelöscht; ..."
  EXPECT_FALSE(main.LoadROIs1Click([this] { return dir.file("two.roi"); }));
  EXPECT_EQ(app.roiWindow.count(), 1);
  ASSERT_TRUE(main.LoadROIs1Click([this] { return dir.file("two.roi"); }));
  EXPECT_EQ(ui.questions.size(), 2u);
  ASSERT_EQ(app.roiWindow.count(), 2);
  EXPECT_NEAR(app.imageWindow.TrackstarX, 30.0, 0.01);  // the brighter star
  EXPECT_NEAR(app.imageWindow.TrackstarY, 30.0, 0.01);
  EXPECT_TRUE(app.series.Timer1Enabled);
  EXPECT_GT(app.roiWindow.roi(2).net(), 1500);
}

TEST_F(AppTest, OpeningASeriesWritesTheConfigurationAndResetsTheExportTable) {
  app.exportWindow().rows.assign(3, AavsoRow{});
  app.exportWindow().TableCleared = false;
  ASSERT_TRUE(app.openSeries({twoStars("a.fit"), twoStars("b.fit")}));
  EXPECT_EQ(iniValue("File", "StartupDir"), dir.path().string() + "/");
  EXPECT_TRUE(app.exportWindow().TableCleared);
  EXPECT_EQ(app.exportWindow().rows.size(), 1u);
  // "ROIs löschen" forgets the track star and the chart, frees the type choice.
  app.roiWindow.Newroi(29, 29);
  app.imageWindow.TrackstarX = app.imageWindow.TrackstarY = 30.0;
  app.roiWindow.AAVSOchartEdit = "X123";
  app.starInfo.CompTypeGroup.Enabled = false;
  app.exportWindow().TableCleared = false;
  main.ClearROIs1Click();
  EXPECT_EQ(app.roiWindow.count(), 0);
  EXPECT_EQ(app.imageWindow.TrackstarX, -1.0);
  EXPECT_EQ(app.roiWindow.AAVSOchartEdit, "");
  EXPECT_TRUE(app.starInfo.CompTypeGroup.Enabled);
  EXPECT_TRUE(app.exportWindow().TableCleared);
}

TEST_F(AppTest, CommandLineStartByLowerCasedExtension) {
  const std::string fits = twoStars("one.FIT");
  ASSERT_TRUE(main.commandLineStart(fits));
  EXPECT_EQ(app.series.filelist1, std::vector<std::string>{fits});
  EXPECT_TRUE(app.series.imageLoaded && app.series.controls.BlinkBoxEnabled);
  EXPECT_EQ(app.series.controls.BlinkScrollBarMax, 1);
  Application other(ui, rigOptions(dir));
  MainWindowModel otherMain(other);
  EXPECT_FALSE(otherMain.commandLineStart(dir.file("missing.fits")));
  EXPECT_FALSE(other.series.imageLoaded);
  EXPECT_EQ(ui.messages.back(), "Fehler beim Laden der Datei " + dir.file("missing.fits"));
  EXPECT_FALSE(otherMain.commandLineStart(twoStars("frame.txt")));
  app.roiWindow.Newroi(29, 29);
  ASSERT_TRUE(SaveProject(app.series, dir.file("p.VGP")));
  ASSERT_TRUE(otherMain.commandLineStart(dir.file("p.VGP")));
  EXPECT_EQ(other.series.ProjectFilename, dir.file("p.VGP"));
  EXPECT_EQ(other.roiWindow.count(), 1);
}

TEST_F(AppTest, LevelBarsGammaAndSingleImage) {
  const std::vector<std::string> files{twoStars("a.fit"), twoStars("b.fit"), twoStars("c.fit")};
  ASSERT_TRUE(app.openSeries(files));
  Series& s = app.series;
  const std::uint64_t shown = app.imageView.generation();
  // Levels by the square law; the upper bar takes Auto off, the lower not.
  s.LowerScrollBarChange(100);
  EXPECT_TRUE(s.controls.AutocontrastCheck);
  s.UpperscrollbarChange(500);
  EXPECT_FALSE(s.controls.AutocontrastCheck);
  EXPECT_EQ(s.displayLower, std::lround(s.img->bufferMax * 0.01));
  EXPECT_EQ(s.displayUpper, std::lround(s.img->bufferMax * 0.25));
  s.GammaComboBoxChange(2);
  EXPECT_EQ(s.gamma(), 2.0);
  EXPECT_GT(app.imageView.generation(), shown + 2);
  std::filesystem::remove(files[0]);
  EXPECT_FALSE(s.Load1Click(files[0]));
  EXPECT_EQ(ui.messages.back(), "Datei kann nicht geladen werden");
  ASSERT_TRUE(s.Load1Click(files[1]));
  EXPECT_EQ(s.filelist1, files);  // a single image keeps the series
}

TEST_F(AppTest, RefreshTimerMeasuresOnlyAfterAChange) {
  ASSERT_TRUE(app.openSeries({twoStars("a.fit")}));
  app.roiWindow.Newroi(29, 29);
  app.roiWindow.roi(1).acounts = 0;
  EXPECT_FALSE(main.Timer1Timer());
  app.roiWindow.ROIchanged = true;
  EXPECT_TRUE(main.Timer1Timer());
  EXPECT_GT(app.roiWindow.roi(1).acounts, 20000);
  EXPECT_FALSE(app.roiWindow.ROIchanged);
}

}  // namespace
}  // namespace vargaze::test
