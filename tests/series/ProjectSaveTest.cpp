// Saving projects: the file layout byte for byte, the ROI and curve files
// beside it, and the refusals that protect existing files.
#include <gtest/gtest.h>

#include <filesystem>

#include "photometry/RoiFile.h"
#include "series/LightCurveRun.h"
#include "series/ProjectFile.h"
#include "support/SeriesRig.h"

namespace vargaze {
namespace {

using test::FrameContent;
using test::readBytes;
using test::writeBytes;

class ProjectSaveTest : public test::SeriesRig {
 protected:
  // Frames c, a, b (in that order) with a bright round star at (50, 40) that
  // the track-star search finds, and a fainter one at (25, 20).
  void openField() {
    FrameContent content;
    content.stars = {{50, 40, 5000.0, 1.5}, {25, 20, 1500.0, 1.5}};
    paths = writeFrames({"c.fit", "a.fit", "b.fit"}, content);
    ASSERT_TRUE(series.openSeries(paths));
    addRoi(50, 40);
    addRoi(25, 20);
  }

  std::vector<std::string> paths;
};

TEST_F(ProjectSaveTest, WritesTheLayoutByteForByte) {
  openField();
  win.roi(1).Name = "Delta Cep";
  win.roi(2).Name = "Comp 1";
  win.bvri(2) = BVRIRec{12.345f, 11.2f, 0.0f, 0.0f};
  series.CurveTitle = "Nacht 1";
  series.controls.AutocontrastCheck = false;
  series.controls.Upperscrollbar = 500;  // level 0.25
  series.controls.LowerScrollBar = 100;  // level 0.01
  win.AAVSOchartEdit = "X12345ABC";
  win.snr.LocationHeight = 350;
  win.snr.DScope_m = 0.254;
  win.snr.Stackingtype = 1;
  win.snr.Nstack = 4;
  const std::string project = dir.file("field.vgp");

  ASSERT_TRUE(SaveProject(series, project));

  const std::string expected =
      "[files]\r\n" + paths[0] + "\r\n" + paths[1] + "\r\n" + paths[2] + "\r\n" +
      "[ROIfile]\r\n2\r\nDelta Cep\r\nComp 1\r\n"
      "[Curvefile]\r\n0\r\nNacht 1\r\n"
      "[levels]\r\n0.25\r\n0.01\r\n"
      "[BVRI]\r\n99.000;99.000;99.000;99.000\r\n12.345;11.200;0.000;0.000\r\n"
      "[Filter]\r\n3\r\nBVRImode=0\r\n"
      "[image]\r\nflipvertical=0\r\nrotate180=0\r\nImgBinning=1\r\n"
      "[compstars]\r\nAAVSOchartID=X12345ABC\r\n"
      "[ROIcenter]\r\nAutocenterROI=1\r\nROID2=9\r\nROID3=15\r\n"
      "[Tracking]\r\n50.00;40.00\r\n"
      "[SNR]\r\nLocationHeight=350\r\nScope diameter in m=0.254\r\nStackingtype=1\r\n"
      "Number of stacked frames=4\r\n"
      "[end]\r\n";
  EXPECT_EQ(readBytes(project), expected);
  EXPECT_EQ(series.ProjectFilename, project);
  EXPECT_TRUE(ui.messages.empty());
  // The ROI file holds both ROIs; no curve yet, so no curve file.
  EXPECT_EQ(std::filesystem::file_size(dir.file("field.roi")), 2u * kRoiRecordSize);
  EXPECT_FALSE(std::filesystem::exists(dir.file("field.prn")));
}

TEST_F(ProjectSaveTest, FlagsAndAMissingTrackStarAreWrittenAsSuch) {
  test::FrameContent flat;  // no star: no track star either
  paths = writeFrames({"a.fit", "b.fit"}, flat);
  ASSERT_TRUE(series.openSeries(paths));
  win.Newroi(40, 40);
  series.controls.Flipcheck = true;
  series.controls.Rot180Check = true;
  settings.imgBinning = 2;
  win.AutocenterCheckBox = false;
  series.BVRImode = true;
  ASSERT_TRUE(SaveProject(series, dir.file("flat.vgp")));
  const std::string text = readBytes(dir.file("flat.vgp"));
  EXPECT_NE(text.find("[Filter]\r\n3\r\nBVRImode=1\r\n"), std::string::npos);
  EXPECT_NE(text.find("[image]\r\nflipvertical=1\r\nrotate180=1\r\nImgBinning=2\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("AutocenterROI=0\r\n"), std::string::npos);
  EXPECT_NE(text.find("[Tracking]\r\n-1.00;-1.00\r\n"), std::string::npos);
  EXPECT_EQ(imgwin.TrackstarX, -1.0);
}

TEST_F(ProjectSaveTest, WritesTheCurveFileBesideTheProjectWhenACurveExists) {
  paths = writeFrames({"f1.fit", "f2.fit"});
  openWithRois(paths);
  const std::string project = dir.file("night.vgp");
  ASSERT_TRUE(SaveProject(series, project));
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  std::filesystem::remove(dir.file("night.prn"));  // the run file shares the name

  ASSERT_TRUE(SaveProject(series, project));
  const std::string curve = readBytes(dir.file("night.prn"));
  // Header, reference line and one line per frame.
  EXPECT_EQ(curve.substr(0, curve.find("\r\n")),
            "\"filename\";\"JD-2450000\";\"ROI1  mag\";\"ROI2  mag\";");
  EXPECT_NE(curve.find("\r\n\"------\";0;11.200;\"?\"\r\n"), std::string::npos);
  EXPECT_NE(curve.find("\"" + paths[1] + "\";"), std::string::npos);
  EXPECT_NE(readBytes(project).find("[Curvefile]\r\n2\r\n"), std::string::npos);
}

TEST_F(ProjectSaveTest, AColourIndexSeriesKeepsItsTableUnderTheCurveName) {
  paths = writeFrames({"f1.fit", "f2.fit"});
  openWithRois(paths);
  ASSERT_TRUE(SaveProject(series, dir.file("bvri.vgp")));
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  series.BVRImode = true;
  writeBytes(dir.file("bvri.prn"), "Filt;B;V;\r\n");
  ASSERT_TRUE(SaveProject(series, dir.file("bvri.vgp")));
  EXPECT_EQ(readBytes(dir.file("bvri.prn")), "Filt;B;V;\r\n");
}

TEST_F(ProjectSaveTest, NothingToSaveWithoutRoisOrFrames) {
  EXPECT_FALSE(SaveProject(series, dir.file("empty.vgp")));
  paths = writeFrames({"a.fit", "b.fit"});
  ASSERT_TRUE(series.openSeries(paths));
  EXPECT_FALSE(SaveProject(series, dir.file("empty.vgp")));
  EXPECT_EQ(ui.messages, (std::vector<std::string>{"Noch keine Projektdaten vorhanden.",
                                                   "Noch keine Projektdaten vorhanden."}));
  EXPECT_FALSE(std::filesystem::exists(dir.file("empty.vgp")));
}

TEST_F(ProjectSaveTest, AProjectNameThatItsOwnRoiOrCurveFileWouldOverwriteIsRefused) {
  paths = writeFrames({"a.fit", "b.fit"});
  openWithRois(paths);
  writeBytes(dir.file("keep.roi"), "old");
  writeBytes(dir.file("keep.prn"), "old");
  EXPECT_FALSE(SaveProject(series, dir.file("keep.roi")));
  EXPECT_FALSE(SaveProject(series, dir.file("keep.prn")));
  EXPECT_EQ(readBytes(dir.file("keep.roi")), "old");
  EXPECT_EQ(readBytes(dir.file("keep.prn")), "old");
  EXPECT_EQ(ui.messages.size(), 2u);
  EXPECT_TRUE(series.ProjectFilename.empty());
}

TEST_F(ProjectSaveTest, AFailedSaveKeepsWhatWasThere) {
  paths = writeFrames({"a.fit", "b.fit"});
  openWithRois(paths);
  ASSERT_TRUE(SaveProject(series, dir.file("good.vgp")));
  const std::string before = readBytes(dir.file("good.vgp"));
  // A folder where the project should go cannot be replaced.
  std::filesystem::create_directory(dir.file("taken.vgp"));
  EXPECT_FALSE(SaveProject(series, dir.file("taken.vgp")));
  EXPECT_EQ(ui.messages.back(), "Fehler beim Speichern der Datei " + dir.file("taken.vgp"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("taken.vgp")));
  EXPECT_EQ(series.ProjectFilename, dir.file("good.vgp"));
  EXPECT_EQ(readBytes(dir.file("good.vgp")), before);
}

TEST_F(ProjectSaveTest, NoSaveWhileARunOwnsTheFrames) {
  paths = writeFrames({"a.fit", "b.fit"});
  openWithRois(paths);
  series.runActive = true;
  EXPECT_FALSE(SaveProject(series, dir.file("busy.vgp")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("busy.vgp")));
}

TEST_F(ProjectSaveTest, LineBreaksInTextsCannotShiftTheLines) {
  paths = writeFrames({"a.fit", "b.fit"});
  openWithRois(paths);
  series.CurveTitle = "one\r\ntwo";
  win.roi(1).Name = "V\nCep";
  const std::vector<std::string> lines = projectLines(series);
  ASSERT_EQ(lines.size(), 31u + 6u);  // 31 fixed lines; 2 frames, 2 names, 2 catalogue lines
  EXPECT_EQ(lines[5], "V Cep");
  EXPECT_EQ(lines[9], "one  two");
}

}  // namespace
}  // namespace vargaze
