// Project files, and a series under hostile conditions: every save under
// injected failures, killed runs, a full disk, huge projects.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>

#include "base/TextFile.h"
#include "photometry/RoiFile.h"
#include "photometry/StarInfo.h"
#include "series/ColorIndex.h"
#include "series/LightCurveRun.h"
#include "series/ProjectFile.h"
#include "support/FaultInjection.h"
#include "support/Lines.h"
#include "support/SeriesRig.h"

namespace vargaze {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::writeBytes;

// A second program state that loads what the first one saved.
using Reloaded = test::SeriesBench;

// What a load restored: frames, ROIs (name, B/V/R/I, ring sizes), settings.
std::string restored(Reloaded& r) {
  std::ostringstream s;
  s << r.series.FramesLoaded << " frames (" << r.series.ShiftListX.size() << " shifts) of width "
    << r.series.img->xsize << "; rois";
  for (std::int32_t i = 1; i <= r.win.count(); ++i) {
    const BVRIRec& c = r.win.bvri(i);
    s << " '" << r.win.roi(i).Name << "' " << c.Bmag << "/" << c.Vmag << "/" << c.Rmag << "/"
      << c.Imag << " @" << r.win.roi(i).d2 << "/" << r.win.roi(i).d3;
  }
  const DisplayControls& c = r.series.controls;
  s << "; title '" << r.series.CurveTitle << "' chart '" << r.win.AAVSOchartEdit << "' filter "
    << r.win.FilterType << " colour " << r.series.BVRImode << " flip " << c.Flipcheck << " turn "
    << c.Rot180Check << " binning " << int(r.settings.imgBinning) << " centring "
    << r.win.AutocenterCheckBox << " rings " << r.win.BGinnerEdit.value << "/"
    << r.win.BGsizeEdit.value << " track " << r.imgwin.TrackstarX << ";" << r.imgwin.TrackstarY
    << " levels " << c.Upperscrollbar << "/" << c.LowerScrollBar;
  return s.str();
}

class ProjectFileTest : public test::SeriesRig {
 protected:
  // Frames c, a, b in `folder` with a round star at (50, 40) that the track
  // star search finds (ROI 1, comparison star of 11.2) and one at (25, 20).
  void openField(const std::string& folder = "") {
    fs::create_directories(dir.file(folder));
    test::FrameContent content;
    content.stars = {{50, 40, 5000.0, 1.5}, {25, 20, 1500.0, 1.5}};
    paths.clear();
    for (const char* name : {"c.fit", "a.fit", "b.fit"}) {
      paths.push_back((fs::path(dir.file(folder)) / name).string());
      test::writeFrame(paths.back(), content);
    }
    ASSERT_TRUE(series.openSeries(paths));
    addRoi(50, 40);
    addRoi(25, 20);
    win.roi(1).ref = true;
    win.roi(1).rmag = 11.2f;
    project = (fs::path(dir.file(folder)) / "field.vgp").string();
  }
  // The frame section as a load leaves it: in name order.
  std::string sortedFiles(const std::string& folder = "") const {
    return "[files]\r\n" + dir.file(folder + "a.fit") + "\r\n" + dir.file(folder + "b.fit") +
           "\r\n" + dir.file(folder + "c.fit") + "\r\n";
  }
  std::vector<std::string> paths;
  std::string project;
};

TEST_F(ProjectFileTest, LayoutByteForByteAndTheSameAfterALoad) {
  // Everything away from a fresh program's values, so nothing comes back by chance.
  settings.AutoReadFilter = false;  // the filter stays the one chosen
  openField("old");
  win.roi(1).Name = "Delta\nCep";  // a line break must not shift the lines after it
  win.roi(2).Name = "Comp 1";
  win.bvri(2) = BVRIRec{12.345f, 11.2f, 0.0f, 0.0f};
  series.CurveTitle = "Nacht\r\n1";
  series.controls.AutocontrastCheck = false;
  series.controls.Upperscrollbar = 500;  // level 0.25
  series.controls.LowerScrollBar = 100;  // level 0.01
  win.FilterType = 4;                    // the frames say V (3)
  series.BVRImode = true;
  // Flipped and turned by half is mirrored left to right: the track star at
  // x = 50 is found at 101 - 50.
  series.controls.Flipcheck = true;
  series.controls.Rot180Check = true;
  settings.imgBinning = 2;  // applies from the next frame read
  win.AutocenterCheckBox = false;
  win.setInnerSize(11);
  win.setOuterSize(21);
  win.AAVSOchartEdit = "X12345ABC";
  win.snr.LocationHeight = 350;
  win.snr.DScope_m = 0.254;
  win.snr.Stackingtype = 1;
  win.snr.Nstack = 4;
  ASSERT_TRUE(SaveProject(series, project));
  const std::string first = readBytes(project);
  EXPECT_EQ(first, "[files]\r\n" + paths[0] + "\r\n" + paths[1] + "\r\n" + paths[2] + "\r\n" +
                       "[ROIfile]\r\n2\r\nDelta Cep\r\nComp 1\r\n"
                       "[Curvefile]\r\n0\r\nNacht  1\r\n"
                       "[levels]\r\n0.25\r\n0.01\r\n"
                       "[BVRI]\r\n99.000;99.000;99.000;99.000\r\n12.345;11.200;0.000;0.000\r\n"
                       "[Filter]\r\n4\r\nBVRImode=1\r\n"
                       "[image]\r\nflipvertical=1\r\nrotate180=1\r\nImgBinning=2\r\n"
                       "[compstars]\r\nAAVSOchartID=X12345ABC\r\n"
                       "[ROIcenter]\r\nAutocenterROI=0\r\nROID2=11\r\nROID3=21\r\n"
                       "[Tracking]\r\n51.00;40.00\r\n"
                       "[SNR]\r\nLocationHeight=350\r\nScope diameter in m=0.254\r\n"
                       "Stackingtype=1\r\nNumber of stacked frames=4\r\n"
                       "[end]\r\n");
  EXPECT_EQ(series.ProjectFilename, project);
  EXPECT_TRUE(ui.messages.empty());
  // The ROI file holds both ROIs; no curve yet, so no curve file.
  EXPECT_EQ(fs::file_size(dir.file("old/field.roi")), 2u * kRoiRecordSize);
  EXPECT_FALSE(fs::exists(dir.file("old/field.prn")));
  Reloaded other;
  other.settings.AutoReadFilter = false;
  other.series.controls.AutocontrastCheck = false;
  ASSERT_EQ(LoadProjectfile(other.series, project), ProjectLoadResult::Loaded);
  EXPECT_EQ(restored(other),
            "3 frames (3 shifts) of width 50; rois 'Delta Cep' 99/99/99/99 @11/21 'Comp 1' "
            "12.345/11.2/0/0 @11/21; title 'Nacht  1' chart 'X12345ABC' filter 4 colour 1 flip 1 "
            "turn 1 binning 2 centring 0 rings 11/21 track 51;40 levels 500/100");
  EXPECT_EQ(other.series.img->filename, dir.file("old/a.fit"));
  EXPECT_EQ(other.series.ProjectFilename, project);
  EXPECT_TRUE(other.series.imageLoaded && other.series.Timer1Enabled);
  EXPECT_TRUE(other.ui.messages.empty());

  // Saved again: in name order, the rest the same up to the track star, which
  // is searched anew on the frame now read binned.
  ASSERT_TRUE(SaveProject(other.series, dir.file("again.vgp")));
  const std::string again = readBytes(dir.file("again.vgp"));
  const auto from = first.find("[ROIfile]");
  EXPECT_EQ(again.substr(0, again.find("[Tracking]")),
            sortedFiles("old/") + first.substr(from, first.find("[Tracking]") - from));

  // Moved elsewhere, the frames are looked for beside the project; names
  // written on another system are re-rooted the same way.
  fs::rename(dir.file("old"), dir.file("new"));
  Reloaded moved;
  ASSERT_EQ(LoadProjectfile(moved.series, dir.file("new/field.vgp")), ProjectLoadResult::Loaded);
  EXPECT_EQ(moved.series.filelist1,
            (std::vector<std::string>{dir.file("new/a.fit"), dir.file("new/b.fit"),
                                      dir.file("new/c.fit")}));
  EXPECT_EQ(moved.series.imagepath, dir.file("new/"));
  EXPECT_EQ(moved.win.count(), 2);
  writeBytes(dir.file("new/field.vgp"), "[files]\r\nD:\\Nacht\\b.fit\r\nD:\\Nacht\\a.fit\r\n");
  ASSERT_EQ(LoadProjectfile(moved.series, dir.file("new/field.vgp")), ProjectLoadResult::Loaded);
  EXPECT_EQ(moved.series.filelist1,
            (std::vector<std::string>{dir.file("new/a.fit"), dir.file("new/b.fit")}));
}

// A hand-written project loaded over another one: missing sections fall back
// to defaults, decimal commas read, blank frame lines are skipped. Its ROI count
// stops the ROI file's own reading: rings and track star come from the loader.
TEST_F(ProjectFileTest, HandWrittenProjectLoadsOverAnotherOne) {
  openField();
  ASSERT_TRUE(SaveProject(series, project));
  fs::copy_file(paths[0], dir.file("d.fit"));  // the same field: no star is lost
  const std::string text = "[files]\r\n" + paths[0] + "\r\n\r\n" + paths[1] + "\r\n" + paths[2] +
                           "\r\n" + dir.file("d.fit") +
                           "\r\n[ROIfile]\r\nzwei\r\n[BVRI]\r\n12,345;11,200;0,000;0,000\r\n"
                           "13|12,5|99|99\r\n[Tracking]\r\n30,50;29,75\r\n[levels]\r\n0,25\r\n"
                           "0,3\r\n[ROIcenter]\r\nROID2=20\r\nROID3=30\r\n[end]\r\n";
  writeBytes(project, text);
  Reloaded r;
  ASSERT_TRUE(r.series.openSeries({paths[0]}));
  r.win.Newroi(10, 10);
  r.series.CurveTitle = "old";
  r.win.AAVSOchartEdit = "old";
  r.win.AutocenterCheckBox = false;
  r.series.BVRImode = true;
  r.imgwin.TrackstarX = 5.0;
  r.series.controls.AutocontrastCheck = false;  // stored levels apply
  ASSERT_EQ(LoadProjectfile(r.series, project), ProjectLoadResult::Loaded);
  // Level 0.3 is 547.7 on the square-root scale.
  EXPECT_EQ(restored(r),
            "4 frames (4 shifts) of width 100; rois '' 12.345/11.2/0/0 @20/30 '' 13/12.5/99/99 "
            "@20/30; title '' chart '' filter 3 colour 0 flip 0 turn 0 binning 1 centring 1 "
            "rings 20/30 track 30.5;29.75 levels 500/548");
  EXPECT_EQ(r.ui.messages, std::vector<std::string>{"'zwei' ist kein gültiger Integerwert"});
  // More than three frames offer the light curve (Yes runs it), unless colour index.
  EXPECT_EQ(r.ui.questions, std::vector<std::string>{"Lichtkurve darstellen?"});
  EXPECT_EQ(r.series.curve.NumCurvePoints, 4);
  writeBytes(project, text + "[Filter]\r\n2\r\nBVRImode=1\r\n");
  Reloaded colour;
  ASSERT_EQ(LoadProjectfile(colour.series, project), ProjectLoadResult::Loaded);
  EXPECT_TRUE(colour.series.BVRImode);
  EXPECT_TRUE(colour.ui.questions.empty());
  for (const bool colourIndex : {true, false}) {  // the menu offers one kind of measurement
    const SeriesMenuState menu = SetSeriesMode(colourIndex);
    EXPECT_EQ(std::vector<bool>({menu.Analyse1Enabled, menu.Autolightcurve1Enabled,
                                 menu.Datenexport1Enabled, menu.BVRIanalyseVisible}),
              std::vector<bool>({!colourIndex, !colourIndex, !colourIndex, colourIndex}));
  }
}

// No file, blank frame lines, frames gone, and every cut of a saved project,
// loaded over another one: unreadable changes nothing; frame 1 not shown keeps
// the list but clears ROIs, name and curve. Loading never writes.
TEST_F(ProjectFileTest, UnusableAndCutProjectsLoadOrAreRefusedCleanly) {
  openField();
  ASSERT_TRUE(SaveProject(series, project));
  const std::string other = dir.file("other.vgp");
  ASSERT_TRUE(SaveProject(series, other));
  const std::string full = readBytes(project);
  const std::string roi = readBytes(dir.file("field.roi"));
  const std::string gone = dir.file("gone/x1.fit") + "\r\n" + dir.file("gone/x2.fit");
  std::vector<std::optional<std::string>> texts = {
      std::nullopt, "[files]\r\n\r\n  \r\n[ROIfile]\r\n2\r\n", "[files]\r\n" + gone + "\r\n"};
  for (std::size_t cut = 0; cut < full.size(); cut += 7) texts.push_back(full.substr(0, cut));
  std::set<ProjectLoadResult> seen;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    SCOPED_TRACE(i < 3 ? "no file, blank frame lines, frames gone: " + std::to_string(i)
                       : "cut at byte " + std::to_string((i - 3) * 7));
    fs::remove(project);
    if (texts[i]) writeBytes(project, *texts[i]);
    Reloaded r;
    ASSERT_EQ(LoadProjectfile(r.series, other), ProjectLoadResult::Loaded);
    r.series.curve.NumCurvePoints = 3;
    const std::string before = restored(r);
    const ProjectLoadResult result = LoadProjectfile(r.series, project);
    seen.insert(result);
    const bool loaded = result == ProjectLoadResult::Loaded;
    const bool unchanged = result == ProjectLoadResult::ReadError;
    EXPECT_TRUE(loaded || unchanged || result == ProjectLoadResult::DisplayFailed);
    EXPECT_EQ(r.series.ProjectFilename, loaded ? project : unchanged ? other : "");
    EXPECT_EQ(r.series.imageLoaded, loaded || unchanged);
    if (loaded) {
      EXPECT_EQ(r.series.FramesLoaded, static_cast<std::int32_t>(r.series.filelist1.size()));
      EXPECT_TRUE(r.ui.questions.empty());  // three frames at most: no light curve offered
      continue;
    }
    ASSERT_EQ(r.ui.messages.size(), 1u);
    EXPECT_EQ(r.ui.messages[0].rfind(unchanged ? "read error" : "Fehler beim Laden der Datei ", 0),
              0u)
        << r.ui.messages[0];
    EXPECT_TRUE(!unchanged || restored(r) == before) << restored(r);
    EXPECT_EQ(r.win.count(), unchanged ? 2 : 0);
    EXPECT_EQ(r.series.curve.NumCurvePoints, unchanged ? 3 : 0);
    EXPECT_TRUE(i > 2 || unchanged == (i < 2));
    if (i == 2) {  // the frames are gone: the list stays, the message names frame 1
      EXPECT_EQ(r.ui.messages[0], "Fehler beim Laden der Datei " + dir.file("x1.fit"));
      EXPECT_EQ(r.series.filelist1.size(), 2u);
    }
  }
  EXPECT_EQ(seen.size(), 3u);
  EXPECT_EQ(readBytes(dir.file("field.roi")), roi);
}

// Refused saves and loads; with a curve the run file is written beside the
// project, where a colour-index series keeps its table instead.
TEST_F(ProjectFileTest, RefusedSavesAndLoadsAndTheCurveFileBesideTheProject) {
  const auto frames = writeFrames({"a.fit", "b.fit"});
  ASSERT_TRUE(series.openSeries(frames));
  EXPECT_FALSE(SaveProject(series, dir.file("empty.vgp")));
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Noch keine Projektdaten vorhanden."});
  EXPECT_FALSE(fs::exists(dir.file("empty.vgp")));
  openWithRois(frames);
  for (const char* name : {"keep.roi", "keep.prn"}) {
    SCOPED_TRACE(name);
    writeBytes(dir.file(name), "old");
    EXPECT_FALSE(SaveProject(series, dir.file(name)));
    EXPECT_EQ(ui.messages.back(),
              "Projektdatei " + dir.file(name) +
                  " würde von der ROI- oder Kurvendatei überschrieben; bitte .vgp verwenden.");
    EXPECT_EQ(readBytes(dir.file(name)), "old");
  }
  EXPECT_TRUE(series.ProjectFilename.empty());
  project = dir.file("night.vgp");
  ASSERT_TRUE(SaveProject(series, project));
  EXPECT_NE(readBytes(project).find("[Tracking]\r\n-1.00;-1.00\r\n"), std::string::npos);
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  const std::string run = readBytes(dir.file("night.prn"));
  fs::remove(dir.file("night.prn"));
  ASSERT_TRUE(SaveProject(series, project));
  EXPECT_EQ(readBytes(dir.file("night.prn")), run);
  EXPECT_NE(readBytes(project).find("[Curvefile]\r\n2\r\n"), std::string::npos);
  series.BVRImode = true;
  writeBytes(dir.file("night.prn"), "Filt;B;V;\r\n");
  ASSERT_TRUE(SaveProject(series, project));
  EXPECT_EQ(readBytes(dir.file("night.prn")), "Filt;B;V;\r\n");
  series.runActive = true;
  series.CurveTitle = "kept";
  EXPECT_FALSE(SaveProject(series, dir.file("busy.vgp")));
  EXPECT_FALSE(fs::exists(dir.file("busy.vgp")));
  EXPECT_EQ(LoadProjectfile(series, project), ProjectLoadResult::Refused);
  EXPECT_EQ(series.CurveTitle, "kept");
  Reloaded other;  // a ".vgp" chosen in the open dialog loads as a project
  installProjectLoader(other.series);
  ASSERT_TRUE(other.series.openSeries({project}));
  EXPECT_EQ(other.series.ProjectFilename, project);
  EXPECT_EQ(other.win.count(), 2);
}

// Frames f0..f9 one minute apart (each run line has its own time) with two ROIs.
class SeriesFaultsTest : public test::SeriesRig {
 protected:
  void SetUp() override {
    for (int i = 0; i < 10; ++i) {
      paths.push_back(dir.file("f" + std::to_string(i) + ".fit"));
      test::writeFrame(paths.back(), test::twoStars("2024-03-01T20:0" + std::to_string(i) + ":00"));
    }
    openWithRois(paths);
  }

  // A save as a SaveAction; its message is the last one shown.
  test::SaveAction action(const std::function<bool(const std::string&)>& save) {
    return [this, save](const std::string& path, std::string& message) {
      ui.messages.clear();
      const bool saved = save(path);
      message = ui.messages.empty() ? "" : ui.messages.back();
      return saved;
    };
  }
  std::string lastMessage() const { return ui.messages.empty() ? "none" : ui.messages.back(); }

  // Runs `run` in a child that kills itself with SIGKILL when the run lets
  // events run for the `k`-th time, i.e. right after its k-th frame.
  void killAfter(int k, const std::function<void()>& run) {
    const test::ChildOutcome child = test::runInChild([&](std::string&) {
      int rounds = 0;
      ui.onEvents = [&rounds, k] {
        if (++rounds == k) ::raise(SIGKILL);
      };
      run();
      return 0;
    });
    EXPECT_EQ(child.signal, SIGKILL) << "after " << k << " frames";
  }
  std::vector<std::string> paths;
  const std::string project = dir.file("night.vgp");
  const std::string runFile = dir.file("night.prn");
};

TEST_F(SeriesFaultsTest, EverySaveReportsFailuresAndKeepsTheOldFile) {
  const auto faults = [&](const std::string& name,
                          const std::function<bool(const std::string&)>& save) {
    SCOPED_TRACE(name);
    test::expectSaveFaultsReported(dir, name, action(save));
  };
  faults("p.vgp", [&](const std::string& path) {
    series.ProjectFilename.clear();
    // A failed save that took the name counts as a claimed success.
    return SaveProject(series, path) || series.ProjectFilename == path;
  });
  ASSERT_TRUE(SaveProject(series, dir.file("q.vgp")));  // the ROI file kept whole
  EXPECT_EQ(readBytes(dir.file("p.roi")), readBytes(dir.file("q.roi")));
  const test::SaveAction run = action([&](const std::string& path) {
    series.ProjectFilename = fs::path(path).replace_extension(".vgp").string();
    return Analyse1Click(series) == RunResult::Completed;
  });
  test::expectMissingFolderReported(dir, "r.prn", run);
  test::expectParentFileReported(dir, "r.prn", run);
  test::expectFolderTargetReported(dir, "r.prn", run);
  series.ProjectFilename = project;
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  faults("d.prn", [&](const std::string& path) { return SaveCurveData(series, path); });
  ASSERT_TRUE(series.editFileList({paths[0], paths[1]}));  // the fewest a colour table takes
  faults("c.prn", [&](const std::string& path) {
    series.ProjectFilename = fs::path(path).replace_extension(".vgp").string();
    return BVRIanalyseClick(series);
  });
}

// A killed run keeps the header, reference line and whole lines of the frames
// done, as an uninterrupted run writes them; the project stays byte for byte.
// A disk full halfway stops the run with a message and keeps the old curve.
TEST_F(SeriesFaultsTest, InterruptedRunsKeepWholeLinesOfTheFramesDoneAndTheProject) {
  ASSERT_TRUE(SaveProject(series, project));
  const std::string projectBytes = readBytes(project);
  const std::string roiBytes = readBytes(dir.file("night.roi"));
  const int ks[] = {1, 4, 9};
  std::vector<std::string> killed;
  for (const int k : ks) {
    killAfter(k, [&] { Analyse1Click(series); });
    killed.push_back(readBytes(runFile));
  }
  EXPECT_EQ(readBytes(project), projectBytes);
  EXPECT_EQ(readBytes(dir.file("night.roi")), roiBytes);
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  const std::string completeBytes = readBytes(runFile);
  const std::vector<std::string> complete = test::crlfLines(completeBytes);
  ASSERT_EQ(complete.size(), 2u + 10u);
  for (std::size_t i = 0; i < killed.size(); ++i) {
    SCOPED_TRACE("killed after " + std::to_string(ks[i]) + " frames");
    EXPECT_EQ(test::crlfLines(killed[i]),
              std::vector<std::string>(complete.begin(), complete.begin() + 2 + ks[i]));
  }
  const auto limit = static_cast<std::int64_t>(completeBytes.size() / 2);
  const test::ChildOutcome child = test::runInChild(
      [&](std::string& report) {
        series.curve.NumCurvePoints = 7;
        const RunResult result = Analyse1Click(series);
        report = lastMessage();
        return result != RunResult::Failed ? 1 : series.curve.NumCurvePoints != 7 ? 2 : 0;
      },
      test::ChildLimits{limit, 120});
  EXPECT_EQ(child.exitCode, 0) << child.report;
  EXPECT_NE(child.report.find("File too large"), std::string::npos) << child.report;
  EXPECT_EQ(readBytes(runFile), completeBytes.substr(0, static_cast<std::size_t>(limit)));

  // An incremental run over the last four frames, killed after two of them.
  ASSERT_TRUE(series.editFileList({paths.begin(), paths.begin() + 6}));
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  const std::vector<std::string> later(paths.begin() + 6, paths.end());
  killAfter(2, [&] { AnalyseNew(series, later); });
  EXPECT_EQ(test::crlfLines(readBytes(runFile)),
            std::vector<std::string>(complete.begin(), complete.begin() + 2 + 6 + 2));
}

// A million frames (62 bytes a line, only the first exists) load with bounded
// memory and time; a project above the text file limit is refused unread.
TEST_F(SeriesFaultsTest, MillionFrameProjectsLoadOrAreRefusedWithBoundedMemory) {
  // Freed blocks stay in the sanitizer's quarantine: about 480 MB against 240 MB.
#if defined(__SANITIZE_ADDRESS__)
  constexpr std::int64_t kMaxGrowthKb = 768 * 1024;
#else
  constexpr std::int64_t kMaxGrowthKb = 512 * 1024;
#endif
  const std::string prefix = dir.file("f");
  const std::size_t digits =
      std::max<std::size_t>(7, 62 - std::min<std::size_t>(62, prefix.size() + 6));
  for (const std::int64_t frames : {1'000'000, 1'100'000}) {
    SCOPED_TRACE(frames);
    const bool fits = frames == 1'000'000;
    const std::string huge = dir.file("huge.vgp");
    {
      std::ofstream out(huge, std::ios::binary);
      out << "[files]\r\n";
      for (std::int64_t i = 0; i < frames; ++i) {
        const std::string number = std::to_string(i);
        out << prefix << std::string(digits - number.size(), '0') << number << ".fit\r\n";
      }
      out << "[ROIfile]\r\n0\r\n[Curvefile]\r\n0\r\n\r\n[end]\r\n";
    }
    const std::uintmax_t size = fs::file_size(huge);
    EXPECT_EQ(size > kMaxTextFileBytes, !fits) << size;
    test::writeFrame(prefix + std::string(digits - 1, '0') + "0.fit", test::twoStars());
    const test::ChildOutcome child = test::runInChild(
        [&](std::string& report) {
          test::SeriesBench b;
          ProjectLoadOptions options;
          options.askForCurve = false;
          const ProjectLoadResult result = LoadProjectfile(b.series, huge, options);
          report = std::to_string(b.series.filelist1.size()) + " frames";
          if (!b.ui.messages.empty()) report += "; " + b.ui.messages.back();
          return static_cast<int>(result);
        },
        test::ChildLimits{-1, 300});
    ASSERT_TRUE(child.exited) << "signal " << child.signal << " (SIGALRM: hung)";
    EXPECT_EQ(child.exitCode,
              static_cast<int>(fits ? ProjectLoadResult::Loaded : ProjectLoadResult::ReadError))
        << child.report;
    EXPECT_EQ(child.report, fits ? "1000000 frames" : "0 frames; read error");
    EXPECT_LT(child.rssGrowthKb, fits ? kMaxGrowthKb : 32 * 1024);  // far below the file's size
  }
}

}  // namespace
}  // namespace vargaze
