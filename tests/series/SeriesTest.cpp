// Series, frames, light-curve runs and their files, the colour-index table,
// and live mode on a folder driven by a clock the test moves.
#include <gtest/gtest.h>
#include <sys/time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <set>

#include "image/RawConverter.h"
#include "photometry/StarFinder.h"
#include "series/ColorIndex.h"
#include "series/CurveArrays.h"
#include "series/LightCurveRun.h"
#include "series/LiveMode.h"
#include "series/ProjectFile.h"
#include "series/RunFile.h"
#include "support/EnvGuard.h"
#include "support/FaultInjection.h"
#include "support/Lines.h"
#include "support/SeriesRig.h"
#include "support/StandInConverter.h"

namespace vargaze {
namespace {

namespace fs = std::filesystem;
using test::kHeight;
using test::readBytes;

class SeriesTest : public test::SeriesRig {
 protected:
  // Frame i at 2024-03-01 20:0i UT (JD 2460371.333333 + i min), target 2000 (i + 1).
  std::vector<std::string> writeSeries(int n) {
    std::vector<std::string> paths;
    for (int i = 0; i < n; ++i)
      paths.push_back(writeFrame("f" + std::to_string(i) + ".fit", i, 2000.0 * (i + 1)));
    return paths;
  }
  std::string writeFrame(const std::string& name, int minute, double target,
                         const std::string& filter = "V") {
    test::FrameContent content = test::twoStars("2024-03-01T20:0" + std::to_string(minute) + ":00");
    content.stars[1].counts = target;
    content.filter = filter;
    test::writeFrame(dir.file(name), content);
    return dir.file(name);
  }
  std::vector<std::string> lines(const std::string& name = "night.prn") {
    return test::crlfLines(readBytes(dir.file(name)));
  }
};

TEST_F(SeriesTest, OpeningKeepsTheGivenOrderBlinkWrapsAndAnEditRebuilds) {
  const auto paths = writeFrames({"c.fit", "a.fit", "b.fit"});
  openWithRois(paths);
  EXPECT_EQ(series.filelist1, paths);
  EXPECT_EQ(series.FramesLoaded, 3);
  EXPECT_EQ(series.img->filename, paths[0]);
  EXPECT_EQ(win.FilePanel, paths[0]);
  EXPECT_TRUE(series.imageLoaded && series.Timer1Enabled);
  EXPECT_EQ(series.ShiftListX.size(), 3u);
  EXPECT_EQ(series.imagepath, dir.path().string() + "/");
  EXPECT_EQ(settings.StartupDir, dir.path().string() + "/");
  EXPECT_EQ(series.controls.BlinkScrollBarMax, 3);
  flags.Blinkmode = true;
  series.controls.BlinkBox = true;
  for (const std::int32_t shown : {2, 3, 1}) {
    series.BlinkTimerTimer();
    EXPECT_EQ(flags.Activeframe, shown);
    EXPECT_EQ(series.img->filename, paths[static_cast<std::size_t>(shown - 1)]);
  }
  fs::remove(paths[1]);  // a frame that fails stops blinking
  series.BlinkTimerTimer();
  EXPECT_FALSE(series.controls.BlinkBox);
  EXPECT_EQ(ui.messages.back(), "Fehler beim Laden der Datei " + paths[1]);
  EXPECT_EQ(series.img->filename, paths[0]);  // the frame shown stays
  series.curve.NumCurvePoints = 3;
  EXPECT_FALSE(series.editFileList({"", ""}));  // an empty list is refused
  EXPECT_EQ(series.filelist1.size(), 3u);
  ASSERT_TRUE(series.editFileList({paths[2], ""}));
  EXPECT_EQ(series.filelist1, std::vector<std::string>{paths[2]});
  EXPECT_EQ(series.FramesLoaded, 1);
  EXPECT_EQ(series.img->filename, paths[2]);
  EXPECT_EQ(series.curve.NumCurvePoints, 0);
  series.curve.NumCurvePoints = 5;
  win.DeleteROI(1);  // removing a ROI voids the curve
  EXPECT_EQ(series.curve.NumCurvePoints, 0);

  // Only a lower-case ".vgp" is a project; "night.VGP" is read as a frame.
  const auto upper = writeFrames({"night.VGP"});
  std::string opened;
  series.openProject = [&](const std::string& name) { return !(opened = name).empty(); };
  ASSERT_TRUE(series.openSeries(upper));
  EXPECT_EQ(series.img->filename, upper[0]);
  EXPECT_TRUE(series.openSeries({dir.file("night.vgp")}));
  EXPECT_EQ(opened, dir.file("night.vgp"));
}

TEST_F(SeriesTest, FieldsLevelsAndFlipOfTheFrameShown) {
  std::vector<double> pixels(test::kWidth * kHeight, 100.0);
  pixels[(10 - 1) * test::kWidth + (20 - 1)] = 4000.0;  // (20, 10)
  test::writeBytes(dir.file("m.fit"), test::FitsBuilder(16, test::kWidth, kHeight)
                                          .card("DATE-OBS", "'2023-10-05T21:13:45.5'")
                                          .card("EXPTIME", "12.5")
                                          .card("AIRMASS", "1.2345")
                                          .pixels(pixels)
                                          .bytes());
  ASSERT_TRUE(series.openSeries({dir.file("m.fit")}));
  EXPECT_EQ(win.AirmassEdit, "1.23");
  EXPECT_EQ(win.ExposureEdit, "12.500");
  // 2023-10-05 0h UT is JD 2460222.5; 21:13:45.5 adds 76425.5 s.
  EXPECT_EQ(win.JDPanel, "JD(begin)=2460223.38455");
  settings.MiddletimeCorrection = true;  // half of the 12.5 s later
  EXPECT_EQ(jdPanelText(*series.img, settings), "JD(middle)=2460223.38463");

  // Levels follow the square law both ways.
  ASSERT_EQ(series.img->bufferMax, 4000);
  series.controls.LowerScrollBar = 100;  // (0.1)^2 of 4000 = 40
  series.controls.Upperscrollbar = 500;  // (0.5)^2 of 4000 = 1000
  std::int32_t lower = 0;
  std::int32_t upper = 0;
  series.Getlevels(lower, upper);
  EXPECT_EQ(lower, 40);
  EXPECT_EQ(upper, 1000);
  EXPECT_EQ(series.controls.LblUpper, "1000");
  series.Setlevels(1, 4000);
  EXPECT_EQ(series.controls.LowerScrollBar, 16);  // sqrt(1 / 4000) = 0.0158
  EXPECT_EQ(series.controls.Upperscrollbar, 1000);
  const Timgbuffer* frame = series.img.get();
  series.FlipcheckClick(true);
  EXPECT_EQ(series.img.get(), frame);  // flipped in place, not read again
  EXPECT_EQ(series.img->getpixel(20, kHeight - 10 + 1), 4000);
  series.FlipcheckClick(false);
  EXPECT_EQ(series.img->getpixel(20, 10), 4000);
  EXPECT_FALSE(series.img->Flipped);
}

// Raw frames go through the converter (a stand-in script), PPM plane by plane.
TEST_F(SeriesTest, CameraFramesAreConvertedTurnedDatedAndSplitIntoPlanes) {
  const test::StandInConverter converter(dir.path().string());
  const std::string raw = dir.file("IMG_0001.CR2");
  test::writeBytes(raw, "II*");
  settings.UToffset = 1;
  ASSERT_TRUE(series.openSeries({raw}, [] { return std::uint8_t{2}; }));
  const Timgbuffer& img = *series.img;
  EXPECT_EQ(img.xsize, 2);  // portrait turned to landscape
  EXPECT_EQ(img.ysize, 1);
  EXPECT_EQ(img.rotated, 0);
  // Green samples 2 (top) and 5 (bottom); a quarter turn puts the bottom one first.
  EXPECT_EQ(img.getpixel(1, 1), 5);
  EXPECT_EQ(img.getpixel(2, 1), 2);
  EXPECT_EQ(img.FilterName, "TG");
  EXPECT_EQ(img.Datetime, "2026-12-05T12:33:08");  // camera time minus one hour
  EXPECT_FALSE(fs::exists(rawPpmFilename(raw)));   // the step picture is removed
  test::writeBytes(rawPpmFilename(raw), "an older picture");
  ASSERT_TRUE(series.openSeries({raw}));
  EXPECT_TRUE(fs::exists(rawPpmFilename(raw)));  // one the user had stays
  const std::string ppm = dir.file("plane.ppm");
  test::writeBytes(ppm, std::string("P6\n2 1\n255\n\x0a\x14\x1e\x28\x32\x3c", 17));
  const timeval fileTime[2] = {{1'700'000'000, 0}, {1'700'000'000, 0}};  // 2023-11-14T22:13:20Z
  ASSERT_EQ(::utimes(ppm.c_str(), fileTime), 0);
  const test::EnvGuard zone("TZ", "EAST-2");
  ASSERT_TRUE(series.openSeries({ppm}, [] { return std::uint8_t{3}; }));
  // The local clock two hours east, less the camera's offset of one hour.
  EXPECT_EQ(series.img->Datetime, "2023-11-14T23:13:20.000");
  EXPECT_EQ(series.RGBcolornumber, 3);
  EXPECT_EQ(series.img->getpixel(1, 1), 0x1e);
  EXPECT_EQ(series.img->getpixel(2, 1), 0x3c);
  EXPECT_EQ(series.img->FilterName, "TB");
}

// Raw Bayer frames (cells R 1 / G 2+3 / B 4 and R 10 / G 20+30 / B 40) ask
// for their channel, green without a choice; a project keeps the channel. An
// unknown pattern is named once.
TEST_F(SeriesTest, BayerFramesAskForTheirChannelAndTheProjectKeepsIt) {
  const std::string path = dir.file("raw.fit");
  test::writeBytes(path, test::FitsBuilder(16, 4, 2).card("BAYERPAT", "'RGGB'").pixels({1, 2, 10, 20, 3, 4, 30, 40}).bytes());
  ASSERT_TRUE(series.openSeries({path}));
  EXPECT_EQ(std::tuple(series.img->xsize, series.img->getpixel(1, 1), series.img->getpixel(2, 1), series.img->FilterName),
            std::tuple(2, 5, 50, "TG"));
  int asked = 0;
  ASSERT_TRUE(series.openSeries({path}, [&] { return ++asked, std::uint8_t{3}; }));  // blue
  EXPECT_EQ(std::tuple(asked, series.img->getpixel(2, 1), series.img->FilterName), std::tuple(1, 40, "TB"));
  addRoi(1, 1);
  ASSERT_TRUE(SaveProject(series, dir.file("raw.vgp")));
  EXPECT_NE(readBytes(dir.file("raw.vgp")).find("ImgBinning=1\r\nRGBcolornumber=3\r\n"), std::string::npos);
  test::SeriesBench other;
  ASSERT_EQ(LoadProjectfile(other.series, dir.file("raw.vgp")), ProjectLoadResult::Loaded);
  EXPECT_EQ(std::tuple(other.series.RGBcolornumber, other.series.img->FilterName), std::tuple(3, "TB"));
  const std::string unknown = dir.file("unknown.fit");
  test::writeBytes(unknown, test::FitsBuilder(16, 4, 2).card("BAYERPAT", "'RGBW'").pixels({1, 2, 10, 20, 3, 4, 30, 40}).bytes());
  ASSERT_TRUE(series.openSeries({unknown}) && series.img->xsize == 4);  // monochrome, said once
  EXPECT_EQ(ui.messages, std::vector<std::string>{unknown + ": unknown Bayer pattern 'RGBW' (BAYERPAT): read as a monochrome frame"});
}

// The real colour-camera crop opens as its half-size green channel, timed as
// the full frame. Each ROI the star finder makes on it sits on a star (10
// sigma above the sky), one ROI per star, among them the clear stars (30
// sigma) of the monochrome read of the mosaic, which marks its sky.
TEST_F(SeriesTest, StarFinderOnTheGreenChannelOfARealBayerCrop) {
  const std::string crop = test::testDataDir() + "/real/seestar_m94_timeseries/Light_M 94_10.0s_IRCUT_20250327-014513.fit";
  std::string mono = readBytes(crop);
  test::writeBytes(dir.file("mono.fit"), mono.replace(mono.find("BAYERPAT"), 8, "NOPATTRN"));
  using Place = std::pair<int, int>;  // a pixel of the green channel
  const auto placesFound = [&](const std::string& file, int cell) {
    win.ClearROIs();
    StarfindDialog dialog;
    EXPECT_TRUE(series.openSeries({file}) && prepareFindstars(win, dialog));
    dialog.sensitivity = 2;  // "hoch"
    findstars(win, dialog);
    std::set<Place> places;
    for (const TRoi1& r : win.ROIlist) places.insert({(r.xa + cell - 1) / cell, (r.ya + cell - 1) / cell});
    return places;
  };
  const std::set<Place> green = placesFound(crop, 1);
  EXPECT_EQ(static_cast<std::int32_t>(green.size()), win.count());  // no star marked twice
  const std::unique_ptr<Timgbuffer> img = series.img->duplicate();
  Timgbuffer full;
  ASSERT_TRUE(full.Readfitsfile(crop));
  EXPECT_EQ(std::tuple(img->xsize, img->ysize, img->JDstart, img->FilterName), std::tuple(full.xsize / 2, full.ysize / 2, full.JDstart, "TG"));
  std::vector<double> values(img->data32(), img->data32() + img->pixelCount());
  const auto median = [](std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
  };
  const double sky = median(values);
  for (double& v : values) v = std::abs(v - sky);
  const double sigma = 1.4826 * median(values);
  const auto sigmas = [&](const Place& p) {
    int peak = 0;
    for (int y = std::max(p.second - 1, 1); y <= std::min(p.second + 1, img->ysize); ++y)
      for (int x = std::max(p.first - 1, 1); x <= std::min(p.first + 1, img->xsize); ++x) peak = std::max(peak, img->getpixel(x, y));
    return (peak - sky) / sigma;
  };
  const auto near = [](const Place& a) {
    return [a](const Place& b) { return std::abs(a.first - b.first) <= 3 && std::abs(a.second - b.second) <= 3; };
  };
  for (const Place& p : green) {
    EXPECT_GT(sigmas(p), 10) << p.first << "," << p.second;
    EXPECT_EQ(std::count_if(green.begin(), green.end(), near(p)), 1) << p.first << "," << p.second;
  }
  int monoSky = 0, monoClear = 0;
  for (const Place& p : placesFound(dir.file("mono.fit"), 2)) {
    monoSky += sigmas(p) < 10;
    monoClear += sigmas(p) >= 30;
    EXPECT_TRUE(sigmas(p) < 30 || std::any_of(green.begin(), green.end(), near(p))) << p.first << "," << p.second;
  }
  EXPECT_TRUE(monoClear > 0 && monoSky > 0) << monoClear << " " << monoSky;
}

TEST_F(SeriesTest, RunFileCurveAndCurveDataFileOfThreeFrames) {
  const auto paths = writeSeries(3);
  ASSERT_TRUE(series.openSeries(paths));
  EXPECT_EQ(Analyse1Click(series), RunResult::Refused);
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Keine ROI definiert."});
  openWithRois(paths);
  bool asked = false;
  EXPECT_EQ(Analyse1Click(series, [&] { return asked = true; }), RunResult::Refused);
  EXPECT_TRUE(asked);  // no project name: the save command was offered first
  series.ProjectFilename = dir.file("night.vgp");
  EXPECT_FALSE(SaveCurveData(series, dir.file("none.prn")));
  EXPECT_EQ(ui.messages.back(), "Keine Lichtkurven vorhanden.");
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  const auto line = [&](int i, const std::string& rest) {
    return "\"" + paths[static_cast<std::size_t>(i)] + "\";" + rest + "\r\n";
  };
  EXPECT_EQ(readBytes(dir.file("night.prn")),
            "\"filename\";\"JD-2450000\";\"ROI1  mag\";\"ROI2  mag\";\r\n"
            "\"------\";0;11.200;\"?\"\r\n" +
                line(0, "10371.33333;11.200;13.700") + line(1, "10371.33403;11.200;12.947") +
                line(2, "10371.33472;11.200;12.507"));
  EXPECT_EQ(series.curve.NumCurvePoints, 3);
  EXPECT_EQ(std::vector({ui.progressCaption, ui.progressCancelText}),
            (std::vector<std::string>{"Kurvengenerierung..", "Abbrechen"}));
  EXPECT_EQ(flags.Activeframe, 1);
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(series.curve.mag(i, 1), 11.2 + 2.5 * std::log10(10.0 / (i + 1)), 1e-5);
    EXPECT_NEAR(series.curve.mag(i, 0), 11.2, 1e-5);
  }
  EXPECT_EQ(series.curve.AirmassArray[0], -1.0f);  // no AIRMASS card

  // A cancel keeps the lines measured and the old curve.
  const CurveArrays before = series.curve;
  ui.cancelAfterEvents = ui.eventsProcessed + 2;
  EXPECT_EQ(Analyse1Click(series), RunResult::Cancelled);
  ui.cancelAfterEvents = -1;
  EXPECT_EQ(lines().size(), 2u + 2u);
  EXPECT_EQ(series.curve.NumCurvePoints, 3);
  EXPECT_EQ(series.curve.XTimes, before.XTimes);
  EXPECT_FALSE(series.runActive);
  EXPECT_TRUE(series.Timer1Enabled);

  // The curve data file: always 5 decimals, the list and ROI 1 as they are now.
  settings.JDprecision = 3;
  win.roi(1).rmag = 10.5f;
  series.filelist1.pop_back();
  ASSERT_TRUE(SaveCurveData(series, dir.file("curve.prn")));
  EXPECT_EQ(lines("curve.prn"),
            (std::vector<std::string>{"\"filename\";\"JD-2450000\";\"ROI1  mag\";\"ROI2  mag\";",
                                      "\"------\";0;10.500;\"?\"",
                                      "\"" + paths[0] + "\";10371.33333;11.200;13.700",
                                      "\"" + paths[1] + "\";10371.33403;11.200;12.947"}));

  // Middle of the 60 s exposure: 30 s later than the start.
  settings.MiddletimeCorrection = true;
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  EXPECT_NEAR(series.curve.XTimes[0], 2460371.3333333 + 30.0 / 86400 - 2450000, 1e-7);
}

// Check star K1 of 2000 counts in frames 1-3, then 1300 (0.47 mag fainter than its median),
// 1000 (0.75 fainter) and dithered 22 pixels out of its box. The ROI on empty sky is a
// variable: not watched.
TEST_F(SeriesTest, AfterARunTheFramesThatLostAComparisonOrCheckStarAreNamed) {
  std::vector<std::string> paths;
  for (const auto& [counts, dx] : {std::pair{2000.0, 0}, {2000.0, 0}, {2000.0, 0}, {1300.0, 0},
                                   {1000.0, 0}, {2000.0, 22}}) {
    test::FrameContent content = test::twoStars();
    content.stars[1].counts = counts;
    content.stars[1].x += dx;
    paths.push_back(dir.file("f" + std::to_string(paths.size()) + ".fit"));
    test::writeFrame(paths.back(), content);
  }
  openWithRois(paths);
  std::tie(win.roi(2).Name, win.roi(2).stype) = std::tuple("K1", kStarCheck);
  addRoi(50, 20);
  series.ProjectFilename = dir.file("night.vgp");
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed);
  EXPECT_EQ(ui.messages, std::vector<std::string>{
                             "Sterne außerhalb ihrer ROI? Vergleichs- oder Kontrollsterne ohne "
                             "Helligkeit oder mehr als 0.5 mag von ihrem Median entfernt:\n"
                             "ROI 2 (K1): Bilder 5-6\n"
                             "Ein Track-Stern oder ein größerer Tracking range kann helfen."});
}

// Lines the runs above do not write, curve file names, a curve of any size.
TEST(RunFileTest, LinesCurveFileNamesAndCurveArrays) {
  EXPECT_EQ(runHeaderLine(0.0, 1), "\"filename\";\"JD\";\"ROI1  mag\";");
  EXPECT_EQ(runHeaderLine(-5.0, 0), "\"filename\";\"JD\";");
  EXPECT_EQ(runHeaderLine(2460000.5, 0), "\"filename\";\"JD-2460000.5\";");
  TRoi1 comp;
  comp.ref = true;
  comp.rmag = 11.2f;
  TRoi1 check;
  check.rmag = 12.0f;  // a check star's magnitude is not a reference
  EXPECT_EQ(runReferenceLine({comp, check}), "\"------\";0;11.200;\"?\"");
  EXPECT_EQ(runFrameLine("b.fit", 2455234.123456789, 8, {12.3456f}),
            "\"b.fit\";2455234.12345679;12.346");
  Settings settings;
  for (const auto& [ext, name] : {std::pair{".csv", "/p/night.csv"},
                                  {".vgp", "/p/night.prn"},
                                  {".VGP", "/p/night.prn"},
                                  {".roi", "/p/night.prn"},
                                  {"", "/p/night.prn"},
                                  {"csv", "/p/night.prn"}}) {
    settings.CurveFileExt = ext;
    EXPECT_EQ(curveFileName("/p/night.vgp", settings), name) << ext;
  }
  CurveArrays curve;
  curve.setFrame(4999, 123.25, 1.2f, std::vector<float>(1500, 12.5f));  // frame 5000, 1500 ROIs
  EXPECT_EQ(curve.AirmassArray.size(), 5000u);
  EXPECT_EQ(curve.AirmassArray[10], -1.0f);
  EXPECT_EQ(curve.mag(10, 0), 99.0f);  // never measured
  EXPECT_EQ(curve.mag(4999, 1499), 12.5f);
}

// ROI 1 (20000 counts) is a comparison star of B 12.345, V 11.678; ROI 2 at
// 2000 counts is 2.5 mag fainter, at 200 five. C, X and TG print no column, a
// later B frame overwrites, a frame that fails is reported, the rest measured.
TEST_F(SeriesTest, ColourIndexTable) {
  ASSERT_TRUE(series.openSeries({writeFrame("a.fit", 0, 2000.0)}));
  series.ProjectFilename = dir.file("colour.vgp");
  addRoi(30, 30);
  EXPECT_FALSE(BVRIanalyseClick(series));
  EXPECT_EQ(ui.messages,
            std::vector<std::string>{"Farbindex-Tabelle erst ab 2 Bilddateien verfügbar."});
  win.ClearROIs();
  ui.messages.clear();
  std::vector<std::string> paths;
  for (const auto& [filter, counts] : std::vector<std::pair<std::string, double>>{{"B", 20000.0},
                                                                                  {"V", 200.0},
                                                                                  {"C", 200.0},
                                                                                  {"TG", 200.0},
                                                                                  {"X", 200.0},
                                                                                  {"B", 2000.0},
                                                                                  {"V", 200.0}})
    paths.push_back(writeFrame(filter + std::to_string(paths.size()) + ".fit", 0, counts, filter));
  openWithRois(paths);
  win.bvri(1) = BVRIRec{12.345f, 11.678f, 99.0f, 99.0f};
  win.FilterComboboxChange(series.img->FilterType);
  series.BVRImode = true;
  series.ProjectFilename.clear();
  fs::remove(paths[1]);
  EXPECT_FALSE(BVRIanalyseClick(series, [] { return false; }));  // declined to name it
  ASSERT_TRUE(BVRIanalyseClick(series, [&] {
    series.ProjectFilename = dir.file("colour.vgp");
    return true;
  }));
  EXPECT_EQ(readBytes(dir.file("colour.prn")),
            "Filt;B;V;\r\n1;12.345;11.678;\r\n2;14.845;16.678;\r\n");
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Fehler beim Laden der Datei " + paths[1]});
  // Frame 1 is shown again and the series counts as measured.
  EXPECT_EQ(series.Activeframe(), 1);
  EXPECT_EQ(series.curve.NumCurvePoints, 7);
  EXPECT_NEAR(series.curve.mag(6, 1), 16.678, 1e-4);
  EXPECT_EQ(series.curve.YMags[6].size(), 2u);  // one magnitude per ROI
  EXPECT_FALSE(series.runActive);
}

// ROI 1's values choose the columns: its V of 99 ("no magnitude") leaves no
// V column, its I of 98.999 makes one; a value missing prints as 100.
TEST(BVRIArrayTest, ColumnsFollowRoiOneAndMissingValuesPrintAsHundred) {
  BVRIArray table(150);  // more than a hundred ROIs
  for (const auto& [code, roi, mag] : {std::tuple{2, 0, 12.5},
                                       {3, 0, 99.0},
                                       {4, 0, 11.0},
                                       {5, 0, 98.999},
                                       {3, 1, 13.25},
                                       {2, 149, 15.125}})
    table.store(code, static_cast<std::size_t>(roi), mag);
  const std::vector<std::string> lines = table.lines();
  ASSERT_EQ(lines.size(), 151u);
  EXPECT_EQ(lines[0], "Filt;B;R;I;");
  EXPECT_EQ(lines[1], "1;12.500;11.000;98.999;");
  EXPECT_EQ(lines[2], "2;100.000;100.000;100.000;");
  EXPECT_EQ(lines[150], "150;15.125;100.000;100.000;");
  BVRIArray few(1);  // codes 2..8 are stored, "TR" (8) never printed
  few.store(8, 0, 9.5);
  EXPECT_EQ(few.value(8, 0), 9.5);
  EXPECT_EQ(few.lines(), (std::vector<std::string>{"Filt;", "1;"}));
}

// Open descriptors of this process, without the one that lists them.
int openDescriptors() {
  int n = 0;
  std::error_code ec;
  for (fs::directory_iterator it("/proc/self/fd", ec), end; !ec && it != end; it.increment(ec)) ++n;
  return n - 1;
}

class LiveModeTest : public test::SeriesRig {
 protected:
  LiveModeTest() : live(series, [this] { return now; }) {}

  // Frame i, taken at 20:10 plus i minutes on 2024-03-01.
  std::string frame(int i) const { return dir.file("f" + std::to_string(100 + i) + ".fit"); }
  static std::string frameOf(int i) {
    return test::frameBytes(test::twoStars("2024-03-01T20:" + std::to_string(10 + i) + ":00"));
  }
  void writeNew(int i) { test::writeBytes(frame(i), frameOf(i)); }
  // Frames 1..count with two ROIs.
  std::vector<std::string> openNight(int count = 3) {
    std::vector<std::string> paths;
    for (int i = 1; i <= count; ++i) {
      writeNew(i);
      paths.push_back(frame(i));
    }
    openWithRois(paths);
    return paths;
  }
  void advance(int seconds) { now += std::chrono::seconds(seconds); }
  std::vector<std::string> runLines(const std::string& name = "autolightcurve.prn") const {
    return test::crlfLines(readBytes(dir.file(name)));
  }
  // The mode as the windows show it.
  std::string shown() const {
    static const char* const signs[] = {"neutral", "yellow", "green"};
    return std::string(live.on() ? "on" : "off") + (live.timerEnabled() ? ", timer, " : ", ") +
           signs[static_cast<int>(live.refreshSign())] +
           (live.LifeBtnEnabled() ? ", live button" : "") +
           (live.StopButtonVisible() ? ", stop button" : "");
  }
  std::chrono::steady_clock::time_point now{std::chrono::hours(1)};
  LiveMode live;
};

TEST_F(LiveModeTest, OneNight) {
  openNight(1);
  EXPECT_FALSE(live.start());
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Lichtkurve erst ab 2 Bilddateien verfügbar."});
  win.ClearROIs();
  ui.messages.clear();
  openNight();
  series.BVRImode = true;  // the run file would be the colour table
  EXPECT_FALSE(live.start());
  EXPECT_TRUE(series.ProjectFilename.empty());  // no leftover "autolightcurve" name
  series.BVRImode = false;
  settings.AutocurveRefreshSec = 5;
  EXPECT_EQ(live.intervalMs(), 5000);
  ASSERT_TRUE(live.toggle());
  EXPECT_EQ(shown(), "on, timer, green, stop button");
  EXPECT_EQ(series.ProjectFilename, dir.file("autolightcurve.vgp"));
  EXPECT_FALSE(fs::exists(dir.file("autolightcurve.vgp")));  // written only on save
  EXPECT_EQ(runLines().size(), 5u);                          // the series was measured first

  // New frames are taken once unchanged for 2 s, other kinds of file never.
  // A frame cut short does not load and is tried again quietly until,
  // finished by the camera, it is seen anew.
  writeNew(4);
  test::writeBytes(dir.file("F101.fit"), frameOf(5));             // differs only in letter case
  test::writeBytes(frame(6), frameOf(6).substr(0, 2880 + 4000));  // header and part of the pixels
  for (const char* other : {"notes.txt", "preview.jpg", "PREVIEW.JPG"})
    test::writeBytes(dir.file(other), "x");
  EXPECT_EQ(live.scanFolder(),
            (std::vector<std::string>{dir.file("F101.fit"), frame(4), frame(6)}));
  EXPECT_EQ(live.cycle(), 0);  // first seen now
  advance(1);
  EXPECT_EQ(live.cycle(), 0);  // stable for only 1 s
  advance(1);
  EXPECT_EQ(live.cycle(), 2);
  EXPECT_EQ(series.filelist1, (std::vector<std::string>{frame(1), frame(2), frame(3),
                                                        dir.file("F101.fit"), frame(4)}));
  EXPECT_EQ(series.FramesLoaded, 5);
  EXPECT_EQ(series.curve.NumCurvePoints, 5);
  EXPECT_NEAR(series.curve.XTimes[4], 2460371.3333333 + 14.0 / 1440 - 2450000, 1e-6);
  EXPECT_NEAR(series.curve.mag(4, 1), 11.2 + 2.5, 1e-5);  // a tenth of ROI 1's counts
  const auto lines = runLines();
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[6].rfind("\"" + frame(4) + "\";", 0), 0u) << lines[6];
  test::writeBytes(frame(6), frameOf(6));
  EXPECT_EQ(live.cycle(), 0);  // changed: seen anew
  advance(1);
  EXPECT_EQ(live.cycle(), 0);
  advance(1);
  EXPECT_EQ(live.cycle(), 1);
  EXPECT_EQ(series.filelist1.back(), frame(6));
  EXPECT_TRUE(live.scanFolder().empty());
  EXPECT_TRUE(ui.messages.empty());

  // A run file gone meanwhile is begun anew, without measuring the series again.
  EXPECT_FALSE(live.toggle());
  EXPECT_EQ(shown(), "off, neutral, live button");
  fs::remove(dir.file("autolightcurve.prn"));
  ASSERT_TRUE(live.start());
  EXPECT_EQ(readBytes(dir.file("autolightcurve.prn")),
            "\"filename\";\"JD-2450000\";\"ROI1  mag\";\"ROI2  mag\";\r\n"
            "\"------\";0;11.200;\"?\"\r\n");

  // Stopped during a cycle (events run before the files and after each).
  writeNew(8);
  writeNew(9);
  live.cycle();
  advance(2);
  int events = 0;
  ui.onEvents = [&] {
    if (++events == 2) live.stop();
  };
  EXPECT_EQ(live.cycle(), 1);
  ui.onEvents = nullptr;
  EXPECT_EQ(shown(), "off, neutral, live button");
  EXPECT_EQ(series.filelist1.size(), 7u);
  EXPECT_FALSE(series.runActive);
}

// A run file that cannot be begun or extended keeps the mode off with one
// message, and what it held stays.
TEST_F(LiveModeTest, RunFileFailuresSwitchTheModeOffAndKeepTheLines) {
  openNight();
  ASSERT_TRUE(live.start());
  live.stop();
  const test::SaveAction begin = [&](const std::string& path, std::string& message) {
    series.ProjectFilename = fs::path(path).replace_extension(".vgp").string();
    ui.messages.clear();
    const bool started = live.start();
    live.stop();
    const std::vector<std::string> failed = {"Fehler beim Speichern der Datei " + path};
    message = ui.messages == failed ? failed[0] : "";
    return started;
  };
  test::expectMissingFolderReported(dir, "night.prn", begin);
  test::expectParentFileReported(dir, "night.prn", begin);
  test::expectFolderTargetReported(dir, "night.prn", begin);
  test::expectFullDiskKeepsFile(dir.file("night.prn"), 20, begin);  // no room for the header

  // The disk fills up while a cycle appends: off after one message.
  ASSERT_TRUE(live.start());
  const std::string measured = readBytes(dir.file("night.prn"));
  writeNew(4);
  writeNew(5);
  live.cycle();
  advance(2);
  const test::ChildOutcome full = test::runInChild(
      [&](std::string& report) {
        ui.messages.clear();
        live.cycle();
        report = ui.messages.size() == 1 ? ui.messages.front() : "not one message";
        return live.on() || live.timerEnabled() ? 1 : 0;
      },
      test::ChildLimits{static_cast<std::int64_t>(measured.size()) + 10, 60});
  EXPECT_EQ(full.exitCode, 0) << full.report;
  EXPECT_NE(full.report.find("File too large"), std::string::npos) << full.report;
  EXPECT_EQ(readBytes(dir.file("night.prn")).substr(0, measured.size()), measured);
}

// A new frame every fifth cycle, a non-image and a cut frame never taken; then
// full runs, and runs stopped by a missing frame keeping the lines before it.
TEST_F(LiveModeTest, LongSessionsLeaveNoDescriptorOpen) {
  const std::vector<std::string> paths = openNight();
  test::writeBytes(dir.file("results.csv"), "\"filename\";\"JD\";\r\n");
  test::writeBytes(dir.file("zz_cut.fit"), frameOf(0).substr(0, 2880 + 4000));
  const int before = openDescriptors();
  ASSERT_TRUE(live.start());
  int next = 4;
  int appended = 0;
  for (int c = 1; c <= 100; ++c) {
    advance(1);
    if (c % 5 == 0) writeNew(next++);
    appended += live.cycle();
    ASSERT_TRUE(live.on()) << "cycle " << c;
  }
  live.stop();
  EXPECT_EQ(openDescriptors(), before);
  // The last frame written is not stable yet; every other one was taken.
  EXPECT_EQ(appended, next - 4 - 1);
  const std::size_t frames = static_cast<std::size_t>(next - 2);
  ASSERT_EQ(series.filelist1.size(), frames);
  EXPECT_EQ(series.filelist1.back(), frame(next - 2));
  EXPECT_EQ(series.curve.NumCurvePoints, static_cast<std::int32_t>(frames));
  EXPECT_EQ(series.curve.XTimes.size(), frames);
  EXPECT_EQ(series.curve.AirmassArray.size(), frames);
  EXPECT_EQ(series.curve.YMags.size(), frames);
  EXPECT_EQ(runLines().size(), 2 + frames);
  EXPECT_EQ(live.scanFolder(), (std::vector<std::string>{frame(next - 1), dir.file("results.csv"),
                                                         dir.file("zz_cut.fit")}));
  EXPECT_TRUE(ui.messages.empty());
  series.ProjectFilename = dir.file("night.vgp");
  for (int run = 0; run < 40; ++run)
    ASSERT_EQ(Analyse1Click(series), RunResult::Completed) << "run " << run;
  fs::remove(paths[1]);
  for (int run = 0; run < 20; ++run)
    ASSERT_EQ(Analyse1Click(series), RunResult::Failed) << "run " << run;
  EXPECT_EQ(openDescriptors(), before);
  EXPECT_EQ(ui.messages, std::vector<std::string>(20, "Fehler beim Laden der Datei " + paths[1]));
  EXPECT_EQ(series.curve.NumCurvePoints, static_cast<std::int32_t>(frames));
  EXPECT_EQ(runLines("night.prn").size(), 2u + 1u);
  EXPECT_FALSE(series.runActive);
}

}  // namespace
}  // namespace vargaze
