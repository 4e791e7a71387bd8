// The application object and the main window model: what passes between the
// parts of a running program, the menus, the ROI-mode buttons, the start with
// a file and the close sequence.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/Application.h"
#include "app/MainWindow.h"
#include "config/IniFile.h"
#include "photometry/RoiFile.h"
#include "series/ProjectFile.h"
#include "support/RecordingUi.h"
#include "support/SyntheticFrame.h"
#include "support/TempDir.h"

namespace vargaze::test {
namespace {

class AppTest : public ::testing::Test {
 protected:
  ApplicationOptions options() {
    ApplicationOptions o;
    o.iniPath = dir.file("vargaze1.ini");
    return o;
  }
  // Single-pixel stars, or stars of width `sigma` (the track-star search
  // takes a single bright pixel for a hot pixel).
  std::string frame(const std::string& name, double sigma = 0.0) {
    FrameContent content;
    content.stars = {{30, 30, 20000.0, sigma}, {70, 50, 2000.0, sigma}};
    writeFrame(dir.file(name), content);
    return dir.file(name);
  }
  std::string iniValue(const char* section, const char* key) {
    IniFile ini(dir.file("vargaze1.ini"));
    return ini.ReadString(section, key, "<none>");
  }

  TempDir dir;
  RecordingUi ui;
  Application app{ui, options()};
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
    EXPECT_TRUE(main.visible(Command::Flatkorrektur1));  // shown with its menu
    EXPECT_FALSE(main.menuVisible("Edit"));
    for (Command hidden : {Command::Load1, Command::Saveimage1, Command::SaveROIs1,
                           Command::setDCFmarker1, Command::getDCFtime1, Command::Autolightcurve1}) {
      EXPECT_FALSE(main.visible(hidden)) << menuItem(hidden).caption;
    }
  }
  EXPECT_FALSE(main.visible(Command::BVRIanalyse));
  app.series.BVRImode = true;
  EXPECT_TRUE(main.visible(Command::BVRIanalyse));
  EXPECT_FALSE(main.enabled(Command::Analyse1));
  EXPECT_FALSE(main.enabled(Command::Datenexport1));
  EXPECT_TRUE(main.enabled(Command::Datenexportkomplett1));
}

TEST_F(AppTest, ARunOwnsTheFrameBuffer) {
  const std::string first = frame("a.fit");
  app.series.runActive = true;
  for (Command c : {Command::Serieladen1, Command::LoadProject1, Command::EditSeries,
                    Command::LoadROIs1, Command::ClearROIs1, Command::Analyse1, Command::Setup2,
                    Command::Flatkorrektur1, Command::BAVAAVSODatenexport1}) {
    EXPECT_FALSE(main.enabled(c)) << menuItem(c).caption;
  }
  for (Command c : {Command::Exit1, Command::Autolightcurve1, Command::Fitsheader1, Command::Info1}) {
    EXPECT_TRUE(main.enabled(c)) << menuItem(c).caption;
  }
  EXPECT_FALSE(main.frameControlsEnabled());
  EXPECT_FALSE(app.openSeries({first}));

  // Closing asks first; "Nein" keeps the program and the configuration file.
  ui.answers = {UiPort::Answer::No};
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
  EXPECT_EQ(ui.messages, (std::vector<std::string>{"Bitte erst ein Bild laden", "Noch keine ROI definiert."}));
  EXPECT_FALSE(main.ROIbuttonDown || main.MoveRoiButtonDown || app.flags.NewROI || app.flags.EditROI);

  ASSERT_TRUE(app.openSeries({frame("a.fit")}));
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
  ASSERT_TRUE(app.openSeries({frame("a.fit", 1.5), frame("b.fit", 1.5)}));
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

TEST_F(AppTest, ProjectSaveOffersTheFirstFrameAndTheRunSavesFirst) {
  EXPECT_FALSE(main.SaveProject1Click([](const std::string&) { return std::string("x.vgp"); }));
  EXPECT_EQ(ui.messages.back(), "Noch keine Projektdaten vorhanden.");
  ASSERT_TRUE(app.openSeries({frame("a.fit"), frame("b.fit")}));
  app.roiWindow.Newroi(29, 29);
  std::string offered;
  const auto decline = [&](const std::string& proposed) {
    offered = proposed;
    return std::string();
  };
  EXPECT_EQ(main.Analyse1Click(decline), RunResult::Refused);
  EXPECT_EQ(offered, dir.file("a.vgp"));
  EXPECT_EQ(main.Analyse1Click([](const std::string& p) { return p; }), RunResult::Completed);
  EXPECT_EQ(app.series.ProjectFilename, dir.file("a.vgp"));
  EXPECT_EQ(app.series.curve.NumCurvePoints, 2);
  EXPECT_TRUE(std::filesystem::exists(dir.file("a.roi")));

  EXPECT_TRUE(main.Autolightcurve1Click());
  EXPECT_TRUE(app.live.on());
  EXPECT_FALSE(main.Autolightcurve1Click());
  EXPECT_FALSE(app.live.on());
}

TEST_F(AppTest, OpeningASeriesWritesTheConfigurationAndResetsTheExportTable) {
  const std::string first = frame("a.fit");
  app.exportWindow().rows.assign(3, AavsoRow{});
  app.exportWindow().TableCleared = false;
  ASSERT_TRUE(app.openSeries({first, frame("b.fit")}));
  EXPECT_EQ(iniValue("File", "StartupDir"), dir.path().string() + "/");
  EXPECT_TRUE(app.exportWindow().TableCleared);
  EXPECT_EQ(app.exportWindow().rows.size(), 1u);
  // The image window's title names the frame (the ROI results table uses it).
  EXPECT_EQ(app.imageWindow.title.rfind("a.fit ", 0), 0u) << app.imageWindow.title;

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
  const std::string fits = frame("one.FIT");
  ASSERT_TRUE(main.commandLineStart(fits));
  EXPECT_EQ(app.series.filelist1, std::vector<std::string>{fits});
  EXPECT_EQ(app.series.FramesLoaded, 1);
  EXPECT_TRUE(app.series.controls.BlinkBoxEnabled);
  EXPECT_EQ(app.series.controls.BlinkScrollBarMax, 1);
  EXPECT_TRUE(app.series.imageLoaded);

  Application other(ui, options());
  MainWindowModel otherMain(other);
  EXPECT_FALSE(otherMain.commandLineStart(dir.file("missing.fits")));
  EXPECT_FALSE(other.series.imageLoaded);
  EXPECT_EQ(ui.messages.back(), "Fehler beim Laden der Datei " + dir.file("missing.fits"));
  EXPECT_FALSE(otherMain.commandLineStart(frame("frame.txt")));

  // A project: saved from this series, opened by the other program.
  app.roiWindow.Newroi(29, 29);
  ASSERT_TRUE(SaveProject(app.series, dir.file("p.VGP")));
  ASSERT_TRUE(otherMain.commandLineStart(dir.file("p.VGP")));
  EXPECT_EQ(other.series.ProjectFilename, dir.file("p.VGP"));
  EXPECT_EQ(other.roiWindow.count(), 1);
}

// Blink, flip and zoom are run through the real controls by the GUI tests.
TEST_F(AppTest, LevelBarsGammaAndSingleImage) {
  const std::vector<std::string> files{frame("a.fit"), frame("b.fit"), frame("c.fit")};
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

  // The series stays when a single image is shown.
  std::filesystem::remove(files[0]);
  EXPECT_FALSE(s.Load1Click(files[0]));
  EXPECT_EQ(ui.messages.back(), "Datei kann nicht geladen werden");
  ASSERT_TRUE(s.Load1Click(files[1]));
  EXPECT_EQ(s.filelist1, files);  // the series stays
}

TEST_F(AppTest, RefreshTimerMeasuresOnlyAfterAChange) {
  ASSERT_TRUE(app.openSeries({frame("a.fit")}));
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
