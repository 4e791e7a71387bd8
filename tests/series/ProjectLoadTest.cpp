// Loading projects: round trip, name order, relocation, hand-written files
// with decimal commas, missing sections, cut-off files and values that are
// not numbers, and what a failed load leaves behind.
#include <gtest/gtest.h>

#include <filesystem>

#include "photometry/RoiFile.h"
#include "photometry/StarInfo.h"
#include "series/ProjectData.h"
#include "series/ProjectFile.h"
#include "support/SeriesRig.h"

namespace vargaze {
namespace {

using test::readBytes;
using test::writeBytes;

class ProjectLoadTest : public test::SeriesRig {
 protected:
  // A saved project "field.vgp" over frames c, a, b (saved in that order).
  void saveField(const std::string& folder = "") {
    std::filesystem::create_directories(dir.file(folder));
    std::vector<std::string> paths;
    for (const char* name : {"c.fit", "a.fit", "b.fit"}) {
      paths.push_back((std::filesystem::path(dir.file(folder)) / name).string());
      test::writeFrame(paths.back(), test::twoStars());
    }
    openWithRois(paths);
    win.roi(1).Name = "Comp A";
    win.roi(2).Name = "RR Lyr";
    win.bvri(1) = BVRIRec{11.9f, 11.2f, 10.8f, 10.5f};
    series.CurveTitle = "RR Lyr 2024-03-01";
    win.AAVSOchartEdit = "X27154AB";
    win.AutocenterCheckBox = false;
    project = (std::filesystem::path(dir.file(folder)) / "field.vgp").string();
    ASSERT_TRUE(SaveProject(series, project));
    ui.messages.clear();
  }

  // A hand-written project beside the ROI file of saveField().
  void writeProject(const std::string& text) { writeBytes(project, text); }

  std::string framesSection() const {
    return "[files]\r\n" + dir.file("c.fit") + "\r\n" + dir.file("a.fit") + "\r\n" +
           dir.file("b.fit") + "\r\n";
  }

  std::string project;
};

// A second program state that loads what the first one saved.
using Reloaded = test::SeriesBench;

TEST_F(ProjectLoadTest, RoundTripRestoresTheProjectInNameOrder) {
  saveField();
  const double trackX = imgwin.TrackstarX;
  Reloaded other;
  other.series.controls.AutocontrastCheck = true;
  CompTypeState compType;
  ProjectLoadOptions options;
  options.compType = &compType;

  ASSERT_EQ(LoadProjectfile(other.series, project, options), ProjectLoadResult::Loaded);

  EXPECT_EQ(other.series.filelist1, (std::vector<std::string>{dir.file("a.fit"), dir.file("b.fit"),
                                                             dir.file("c.fit")}));
  EXPECT_EQ(other.series.FramesLoaded, 3);
  EXPECT_EQ(other.series.ShiftListX.size(), 3u);
  EXPECT_EQ(other.series.ProjectFilename, project);
  EXPECT_EQ(other.series.CurveTitle, "RR Lyr 2024-03-01");
  EXPECT_TRUE(other.series.imageLoaded);
  EXPECT_TRUE(other.series.Timer1Enabled);
  EXPECT_EQ(other.series.img->filename, dir.file("a.fit"));
  ASSERT_EQ(other.win.count(), 2);
  EXPECT_EQ(other.win.roi(1).Name, "Comp A");
  EXPECT_EQ(other.win.roi(2).Name, "RR Lyr");
  EXPECT_TRUE(other.win.roi(1).ref);
  EXPECT_EQ(other.win.bvri(1).Bmag, 11.9f);
  EXPECT_EQ(other.win.bvri(1).Imag, 10.5f);
  EXPECT_EQ(other.win.bvri(2).Vmag, 99.0f);
  EXPECT_EQ(other.win.FilterType, 3);
  EXPECT_EQ(other.win.AAVSOchartEdit, "X27154AB");
  EXPECT_FALSE(other.win.AutocenterCheckBox);  // saved with AutocenterROI=0
  EXPECT_EQ(other.win.BGinnerEdit.value, 9);
  EXPECT_EQ(other.win.BGsizeEdit.value, 15);
  EXPECT_EQ(other.win.roi(2).d2, 9);
  EXPECT_EQ(other.win.roi(2).d3, 15);
  EXPECT_EQ(other.imgwin.TrackstarX, std::round(trackX * 100) / 100);
  EXPECT_EQ(compType.ItemIndex, 1);  // a comparison star of known magnitude
  EXPECT_FALSE(other.series.BVRImode);
  EXPECT_TRUE(other.ui.questions.empty());  // 3 frames: no question
  EXPECT_TRUE(other.ui.messages.empty());
}

TEST_F(ProjectLoadTest, SavingTheReloadedProjectGivesTheSameFile) {
  saveField();
  const std::string first = readBytes(project);
  Reloaded other;
  ASSERT_EQ(LoadProjectfile(other.series, project), ProjectLoadResult::Loaded);
  // Saved again in name order, the rest unchanged.
  ASSERT_TRUE(SaveProject(other.series, project));
  const std::string second = readBytes(project);
  EXPECT_EQ(second.substr(second.find("[ROIfile]")), first.substr(first.find("[ROIfile]")));
  EXPECT_EQ(second.substr(0, second.find("[ROIfile]")),
            "[files]\r\n" + dir.file("a.fit") + "\r\n" + dir.file("b.fit") + "\r\n" +
                dir.file("c.fit") + "\r\n");
}

TEST_F(ProjectLoadTest, FramesAreLookedForBesideAMovedProject) {
  saveField("old");
  std::filesystem::rename(dir.file("old"), dir.file("new"));
  Reloaded other;
  const std::string moved = dir.file("new/field.vgp");
  ASSERT_EQ(LoadProjectfile(other.series, moved), ProjectLoadResult::Loaded);
  EXPECT_EQ(other.series.filelist1,
            (std::vector<std::string>{dir.file("new/a.fit"), dir.file("new/b.fit"),
                                      dir.file("new/c.fit")}));
  EXPECT_EQ(other.series.imagepath, dir.file("new/"));
  EXPECT_EQ(other.series.img->filename, dir.file("new/a.fit"));
  EXPECT_EQ(other.win.count(), 2);
}

TEST_F(ProjectLoadTest, WindowsPathsOfAnOlderProjectAreReRooted) {
  saveField();
  writeProject("[files]\r\nD:\\Nacht\\b.fit\r\nD:\\Nacht\\a.fit\r\n[ROIfile]\r\n2\r\n");
  Reloaded other;
  ASSERT_EQ(LoadProjectfile(other.series, project), ProjectLoadResult::Loaded);
  EXPECT_EQ(other.series.filelist1,
            (std::vector<std::string>{dir.file("a.fit"), dir.file("b.fit")}));
}

TEST_F(ProjectLoadTest, DecimalCommasInCatalogueAndTrackingLines) {
  saveField();
  writeProject(framesSection() +
               "[ROIfile]\r\n2\r\nComp A\r\nRR Lyr\r\n"
               "[BVRI]\r\n12,345;11,200;0,000;0,000\r\n13|12,5|99|99\r\n"
               "[Tracking]\r\n30,50;29,75\r\n[end]\r\n");
  Reloaded other;
  ASSERT_EQ(LoadProjectfile(other.series, project), ProjectLoadResult::Loaded);
  EXPECT_EQ(other.win.bvri(1).Bmag, 12.345f);
  EXPECT_EQ(other.win.bvri(1).Vmag, 11.2f);
  EXPECT_EQ(other.win.bvri(1).Rmag, 0.0f);
  EXPECT_EQ(other.win.bvri(1).Imag, 0.0f);
  EXPECT_EQ(other.win.bvri(2).Bmag, 13.0f);
  EXPECT_EQ(other.win.bvri(2).Vmag, 12.5f);
  EXPECT_EQ(other.imgwin.TrackstarX, 30.5);
  EXPECT_EQ(other.imgwin.TrackstarY, 29.75);
}

TEST_F(ProjectLoadTest, StoredLevelsApplyWhenAutomaticContrastIsOff) {
  saveField();
  writeProject(framesSection() + "[ROIfile]\r\n2\r\n[levels]\r\n0.25\r\n0.04\r\n[end]\r\n");
  Reloaded other;
  other.series.controls.AutocontrastCheck = false;
  ASSERT_EQ(LoadProjectfile(other.series, project), ProjectLoadResult::Loaded);
  EXPECT_EQ(other.series.controls.Upperscrollbar, 500);
  EXPECT_EQ(other.series.controls.LowerScrollBar, 200);

  // An upper level of 0 (or none that reads) is taken as 1.0.
  writeProject(framesSection() + "[levels]\r\n0\r\nkaputt\r\n");
  Reloaded third;
  third.series.controls.AutocontrastCheck = false;
  ASSERT_EQ(LoadProjectfile(third.series, project), ProjectLoadResult::Loaded);
  EXPECT_EQ(third.series.controls.Upperscrollbar, 1000);
  EXPECT_EQ(third.series.controls.LowerScrollBar, 0);
}

TEST_F(ProjectLoadTest, MoreThanThreeFramesAskForTheLightCurve) {
  saveField();
  test::writeFrame(dir.file("d.fit"), test::twoStars("2024-03-01T20:10:00"));
  writeProject(framesSection() + dir.file("d.fit") + "\r\n[ROIfile]\r\n2\r\n");
  Reloaded other;
  other.ui.answers = {UiPort::Answer::Yes};
  ASSERT_EQ(LoadProjectfile(other.series, project), ProjectLoadResult::Loaded);
  EXPECT_EQ(other.ui.questions, std::vector<std::string>{"Lichtkurve darstellen?"});
  EXPECT_EQ(other.series.curve.NumCurvePoints, 4);  // Yes ran the light curve
  EXPECT_TRUE(std::filesystem::exists(dir.file("field.prn")));

  Reloaded quiet;
  ProjectLoadOptions options;
  options.askForCurve = false;
  ASSERT_EQ(LoadProjectfile(quiet.series, project, options), ProjectLoadResult::Loaded);
  EXPECT_TRUE(quiet.ui.questions.empty());
  EXPECT_EQ(quiet.series.curve.NumCurvePoints, 0);
}

TEST_F(ProjectLoadTest, AColourIndexSeriesAsksNothingAndSwitchesTheMenu) {
  saveField();
  test::writeFrame(dir.file("d.fit"), test::twoStars());
  writeProject(framesSection() + dir.file("d.fit") +
               "\r\n[ROIfile]\r\n2\r\n[Filter]\r\n2\r\nBVRImode=1\r\n[end]\r\n");
  Reloaded other;
  ASSERT_EQ(LoadProjectfile(other.series, project), ProjectLoadResult::Loaded);
  EXPECT_TRUE(other.series.BVRImode);
  EXPECT_TRUE(other.ui.questions.empty());
  const SeriesMenuState menu = SetSeriesMode(other.series.BVRImode);
  EXPECT_FALSE(menu.Analyse1Enabled);
  EXPECT_FALSE(menu.Autolightcurve1Enabled);
  EXPECT_FALSE(menu.Datenexport1Enabled);
  EXPECT_TRUE(menu.BVRIanalyseVisible);
  const SeriesMenuState timeSeries = SetSeriesMode(false);
  EXPECT_TRUE(timeSeries.Analyse1Enabled);
  EXPECT_FALSE(timeSeries.BVRIanalyseVisible);
}

TEST_F(ProjectLoadTest, ImageSectionSetsOrientationAndBinning) {
  saveField();
  writeProject(framesSection() +
               "[ROIfile]\r\n2\r\n[image]\r\nflipvertical=1\r\nrotate180=1\r\nImgBinning=2\r\n"
               "[end]\r\n");
  Reloaded other;
  ASSERT_EQ(LoadProjectfile(other.series, project), ProjectLoadResult::Loaded);
  EXPECT_TRUE(other.series.controls.Flipcheck);
  EXPECT_TRUE(other.series.controls.Rot180Check);
  EXPECT_EQ(other.settings.imgBinning, 2);
  EXPECT_EQ(other.series.img->xsize, test::kWidth / 2);  // frame 1 shown binned
  EXPECT_TRUE(other.series.img->Flipped);
}

TEST_F(ProjectLoadTest, ValuesThatAreNotNumbersAreIgnored) {
  saveField();
  writeProject(framesSection() +
               "[ROIfile]\r\nzwei\r\nComp A\r\nRR Lyr\r\n[Curvefile]\r\nviele\r\nTitel\r\n"
               "[levels]\r\nhoch\r\ntief\r\n[BVRI]\r\nB;V;11.5;x\r\n"
               "[Filter]\r\nV\r\nBVRImode=1\r\n"
               "[image]\r\nImgBinning=zwei\r\nImgBinning=300\r\n"
               "[ROIcenter]\r\nROID2=neun\r\nROID3=15.5\r\n"
               "[Tracking]\r\nx;y\r\n[end]\r\n");
  Reloaded other;
  other.series.controls.AutocontrastCheck = false;
  ASSERT_EQ(LoadProjectfile(other.series, project), ProjectLoadResult::Loaded);
  EXPECT_EQ(other.win.count(), 2);  // the count that does not read still loads the ROIs
  EXPECT_EQ(other.win.roi(2).Name, "RR Lyr");
  EXPECT_EQ(other.series.CurveTitle, "Titel");
  EXPECT_EQ(other.series.controls.Upperscrollbar, 1000);
  EXPECT_EQ(other.win.bvri(1).Bmag, 99.0f);
  EXPECT_EQ(other.win.bvri(1).Rmag, 11.5f);
  EXPECT_EQ(other.win.bvri(1).Imag, 99.0f);
  EXPECT_EQ(other.win.FilterType, 3);  // from the frame's FILTER card
  EXPECT_TRUE(other.series.BVRImode);
  EXPECT_EQ(other.settings.imgBinning, 1);
  EXPECT_EQ(other.win.BGinnerEdit.value, 9);  // the sizes of the window stay
  EXPECT_EQ(other.win.BGsizeEdit.value, 15);
  EXPECT_EQ(other.imgwin.TrackstarX, -1.0);
  EXPECT_TRUE(other.series.imageLoaded);
}

TEST_F(ProjectLoadTest, MissingSectionsLeaveDefaultsNotTheOldProject) {
  saveField();
  // Only frames: the ROIs, texts and flags of the program's previous state go.
  writeProject(framesSection());
  series.BVRImode = true;
  series.CurveTitle = "old";
  win.AAVSOchartEdit = "old";
  ASSERT_EQ(LoadProjectfile(series, project), ProjectLoadResult::Loaded);
  EXPECT_EQ(win.count(), 0);
  EXPECT_EQ(series.CurveTitle, "");
  EXPECT_EQ(win.AAVSOchartEdit, "");
  EXPECT_TRUE(win.AutocenterCheckBox);
  EXPECT_FALSE(series.BVRImode);
  EXPECT_EQ(imgwin.TrackstarX, -1.0);
  EXPECT_EQ(series.FramesLoaded, 3);
}

TEST_F(ProjectLoadTest, SectionHeadersAreNeverTakenAsNames) {
  saveField();
  // Fewer names than ROIs, then the next section; and a repeated section.
  writeProject(framesSection() +
               "[ROIfile]\r\n2\r\nOnly one\r\n[compstars]\r\nAAVSOchartID=A1\r\n"
               "[compstars]\r\nAAVSOchartID=B2\r\n[end]\r\n");
  Reloaded other;
  ASSERT_EQ(LoadProjectfile(other.series, project), ProjectLoadResult::Loaded);
  EXPECT_EQ(other.win.roi(1).Name, "Only one");
  EXPECT_EQ(other.win.roi(2).Name, "");
  EXPECT_EQ(other.win.AAVSOchartEdit, "A1");
}

TEST_F(ProjectLoadTest, RingSizesApplyOnlyWhenTheSectionWasClosed) {
  saveField();
  writeProject(framesSection() + "[ROIfile]\r\n2\r\n[ROIcenter]\r\nROID2=20\r\nROID3=30\r\n");
  Reloaded cut;
  ASSERT_EQ(LoadProjectfile(cut.series, project), ProjectLoadResult::Loaded);
  EXPECT_EQ(cut.win.BGinnerEdit.value, 9);

  writeProject(framesSection() + "[ROIfile]\r\n2\r\n[ROIcenter]\r\nROID2=20\r\nROID3=30\r\n[end]\r\n");
  Reloaded closed;
  ASSERT_EQ(LoadProjectfile(closed.series, project), ProjectLoadResult::Loaded);
  EXPECT_EQ(closed.win.BGinnerEdit.value, 20);
  EXPECT_EQ(closed.win.BGsizeEdit.value, 30);
  EXPECT_EQ(closed.win.roi(1).d3, 30);
}

TEST_F(ProjectLoadTest, AnUnreadableFileChangesNothing) {
  saveField();
  const std::vector<std::string> frames = series.filelist1;
  EXPECT_EQ(LoadProjectfile(series, dir.file("missing.vgp")), ProjectLoadResult::ReadError);
  // A file without frames is no project either.
  writeBytes(dir.file("noframes.vgp"), "[ROIfile]\r\n2\r\nA\r\nB\r\n");
  EXPECT_EQ(LoadProjectfile(series, dir.file("noframes.vgp")), ProjectLoadResult::ReadError);
  EXPECT_EQ(ui.messages, (std::vector<std::string>{"read error", "read error"}));
  EXPECT_EQ(series.filelist1, frames);
  EXPECT_EQ(series.ProjectFilename, project);
  EXPECT_EQ(win.count(), 2);
  EXPECT_EQ(win.roi(1).Name, "Comp A");
}

TEST_F(ProjectLoadTest, EveryCutOfASavedProjectLoadsOrIsRefusedCleanly) {
  saveField();
  const std::string full = readBytes(project);
  const std::string roi = readBytes(dir.file("field.roi"));
  int loaded = 0;
  int refused = 0;
  for (std::size_t cut = 0; cut < full.size(); cut += 7) {
    writeBytes(project, full.substr(0, cut));
    Reloaded other;
    const ProjectLoadResult result = LoadProjectfile(other.series, project);
    SCOPED_TRACE("cut at byte " + std::to_string(cut));
    if (result == ProjectLoadResult::Loaded) {
      ++loaded;
      EXPECT_EQ(other.series.ProjectFilename, project);
      EXPECT_TRUE(other.series.imageLoaded);
      EXPECT_EQ(other.series.FramesLoaded, static_cast<std::int32_t>(other.series.filelist1.size()));
    } else {
      ++refused;
      // Cut inside the first frame name: that frame is not found, or no frame at all.
      EXPECT_TRUE(result == ProjectLoadResult::ReadError ||
                  result == ProjectLoadResult::DisplayFailed);
      EXPECT_TRUE(other.series.ProjectFilename.empty());
      EXPECT_EQ(other.win.count(), 0);
    }
  }
  EXPECT_GT(loaded, 0);
  EXPECT_GT(refused, 0);
  EXPECT_EQ(readBytes(dir.file("field.roi")), roi);  // loading never writes
}

TEST_F(ProjectLoadTest, AFirstFrameThatCannotBeShownClearsRoisAndName) {
  saveField();
  writeProject("[files]\r\n" + dir.file("gone/x1.fit") + "\r\n" + dir.file("gone/x2.fit") +
               "\r\n[ROIfile]\r\n2\r\n");
  // Not in the project's folder either.
  EXPECT_EQ(LoadProjectfile(series, project), ProjectLoadResult::DisplayFailed);
  EXPECT_EQ(ui.messages,
            std::vector<std::string>{"Fehler beim Laden der Datei " + dir.file("x1.fit")});
  EXPECT_EQ(win.count(), 0);
  EXPECT_TRUE(series.ProjectFilename.empty());
  EXPECT_FALSE(series.imageLoaded);
  EXPECT_TRUE(series.Timer1Enabled);
  EXPECT_EQ(series.curve.NumCurvePoints, 0);
  EXPECT_EQ(series.filelist1.size(), 2u);  // listed, not shown
}

TEST_F(ProjectLoadTest, NoLoadWhileARunOwnsTheFrames) {
  saveField();
  series.runActive = true;
  series.CurveTitle = "kept";
  EXPECT_EQ(LoadProjectfile(series, project), ProjectLoadResult::Refused);
  EXPECT_EQ(LoadProjectfile(series, ""), ProjectLoadResult::Refused);
  EXPECT_EQ(series.CurveTitle, "kept");
}

TEST_F(ProjectLoadTest, OpeningAVgpFileThroughTheSeriesDialogLoadsIt) {
  saveField();
  Reloaded other;
  installProjectLoader(other.series);
  ASSERT_TRUE(other.series.openSeries({project}));
  EXPECT_EQ(other.series.ProjectFilename, project);
  EXPECT_EQ(other.win.count(), 2);
}

TEST(ProjectParseTest, ExtraNameLinesAreIgnoredAndBlankFrameLinesSkipped) {
  const ProjectData data = parseProject(
      {"[files]", "/a/1.fit", "", "/a/2.fit", "[ROIfile]", "1", "first", "second", "[Curvefile]",
       "5", "[levels]", "1.5e-1", "0,01", "[SNR]", "LocationHeight=1", "[end]"});
  EXPECT_EQ(data.files, (std::vector<std::string>{"/a/1.fit", "/a/2.fit"}));
  EXPECT_EQ(data.roiCount, 1);
  EXPECT_EQ(data.names, std::vector<std::string>{"first"});
  EXPECT_FALSE(data.curveTitle.has_value());  // the count only; the title line is missing
  EXPECT_EQ(data.upperLevel, 0.15);
  EXPECT_EQ(data.lowerLevel, 0.01);
  EXPECT_FALSE(data.ringSizesApply);
}

}  // namespace
}  // namespace vargaze
