// Opening a series, the frame shown, levels, toggles, the file-list edit and
// frames from colour cameras.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "image/RawConverter.h"
#include "support/EnvGuard.h"
#include "support/SeriesRig.h"
#include "support/StandInConverter.h"

namespace vargaze {
namespace {

using test::kHeight;

class SeriesTest : public test::SeriesRig {};

TEST_F(SeriesTest, OpeningKeepsTheGivenOrderAndAnEditRebuilds) {
  const auto paths = writeFrames({"c.fit", "a.fit", "b.fit"});
  ASSERT_TRUE(series.openSeries(paths));
  EXPECT_EQ(series.filelist1, paths);
  EXPECT_EQ(series.FramesLoaded, 3);
  EXPECT_EQ(series.img->filename, paths[0]);
  EXPECT_EQ(win.FilePanel, paths[0]);
  EXPECT_TRUE(series.imageLoaded && series.Timer1Enabled);
  EXPECT_EQ(series.ShiftListX.size(), 3u);
  EXPECT_EQ(series.imagepath, dir.path().string() + "/");
  EXPECT_EQ(settings.StartupDir, dir.path().string() + "/");
  EXPECT_EQ(series.controls.BlinkScrollBarMax, 3);

  series.curve.NumCurvePoints = 3;
  EXPECT_FALSE(series.editFileList({"", ""}));  // an empty list is refused
  EXPECT_EQ(series.filelist1.size(), 3u);
  ASSERT_TRUE(series.editFileList({paths[2], ""}));
  EXPECT_EQ(series.filelist1, std::vector<std::string>{paths[2]});
  EXPECT_EQ(series.FramesLoaded, 1);
  EXPECT_EQ(series.img->filename, paths[2]);
  EXPECT_EQ(series.curve.NumCurvePoints, 0);
}

TEST_F(SeriesTest, OnlyALowerCaseVgpIsAProject) {
  const auto upper = writeFrames({"night.VGP"});
  std::string opened;
  series.openProject = [&](const std::string& name) {
    opened = name;
    return true;
  };
  ASSERT_TRUE(series.openSeries(upper));
  EXPECT_TRUE(opened.empty());  // read as an image file
  EXPECT_EQ(series.img->filename, upper[0]);
  EXPECT_TRUE(series.openSeries({dir.file("night.vgp")}));
  EXPECT_EQ(opened, dir.file("night.vgp"));
}

TEST_F(SeriesTest, RoiWindowFieldsOfTheFrameShown) {
  const std::vector<double> pixels(test::kWidth * kHeight, 100.0);
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
}

TEST_F(SeriesTest, LevelsFollowTheSquareLawAndAFlipTwiceRestoresTheFrame) {
  test::FrameContent content;
  content.stars = {{20, 10, 3900.0, 0.0}};
  ASSERT_TRUE(series.openSeries(writeFrames({"a.fit"}, content)));
  ASSERT_EQ(series.img->bufferMax, 4000);
  series.controls.LowerScrollBar = 100;  // (0.1)^2 of 4000 = 40
  series.controls.Upperscrollbar = 500;  // (0.5)^2 of 4000 = 1000
  std::int32_t lower = 0;
  std::int32_t upper = 0;
  series.Getlevels(lower, upper);
  EXPECT_EQ(lower, 40);
  EXPECT_EQ(upper, 1000);
  EXPECT_EQ(series.controls.LblUpper, "1000");
  series.Setlevels(250, 4000);
  EXPECT_EQ(series.controls.LowerScrollBar, 250);  // sqrt(250 / 4000) = 0.25
  EXPECT_EQ(series.controls.Upperscrollbar, 1000);

  const Timgbuffer* frame = series.img.get();
  series.FlipcheckClick(true);
  EXPECT_EQ(series.img.get(), frame);  // flipped in place, not read again
  EXPECT_EQ(series.img->getpixel(20, kHeight - 10 + 1), 4000);
  series.FlipcheckClick(false);
  EXPECT_EQ(series.img->getpixel(20, 10), 4000);
  EXPECT_FALSE(series.img->Flipped);
}

TEST_F(SeriesTest, BlinkWrapsAndAFailedFrameStopsIt) {
  const auto paths = writeFrames({"a.fit", "b.fit"});
  ASSERT_TRUE(series.openSeries(paths));
  flags.Blinkmode = true;
  series.controls.BlinkBox = true;
  series.BlinkTimerTimer();
  EXPECT_EQ(flags.Activeframe, 2);
  series.BlinkTimerTimer();
  EXPECT_EQ(flags.Activeframe, 1);
  std::filesystem::remove(paths[1]);
  series.BlinkTimerTimer();
  EXPECT_FALSE(series.controls.BlinkBox);
  EXPECT_EQ(ui.messages.back(), "Fehler beim Laden der Datei " + paths[1]);
  EXPECT_EQ(series.img->filename, paths[0]);  // the frame shown stays
}

TEST_F(SeriesTest, RemovingRoisVoidsTheCurve) {
  openWithRois(writeFrames({"a.fit"}));
  series.curve.NumCurvePoints = 5;
  win.DeleteROI(1);
  EXPECT_EQ(series.curve.NumCurvePoints, 0);
}

// Raw frames go through the converter (a stand-in script here); BMP and PPM
// frames are read plane by plane.
class CameraFramesTest : public test::SeriesRig {
 protected:
  void SetUp() override {
    converter.emplace(dir.path().string());
    test::writeBytes(raw, "II*");
  }

  std::optional<test::StandInConverter> converter;
  const std::string raw = dir.file("IMG_0001.CR2");
};

TEST_F(CameraFramesTest, RawFrameIsConvertedTurnedAndDated) {
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
  EXPECT_EQ(img.OBSTYPE, "DSLR");
  EXPECT_EQ(img.Datetime, "2026-12-05T12:33:08");              // camera time minus one hour
  EXPECT_DOUBLE_EQ(img.Exposure, 0.004);                       // 1/250 s
  EXPECT_FALSE(std::filesystem::exists(rawPpmFilename(raw)));  // the step picture is removed

  test::writeBytes(rawPpmFilename(raw), "an older picture");
  ASSERT_TRUE(series.openSeries({raw}));
  EXPECT_TRUE(std::filesystem::exists(rawPpmFilename(raw)));  // one the user had stays

  const test::EnvGuard program("VARGAZE_RAW_CONVERTER", dir.file("no-such-program"));
  const std::string other = dir.file("IMG_0002.CR2");
  test::writeBytes(other, "II*");
  EXPECT_FALSE(series.openSeries({other}));
  EXPECT_EQ(ui.messages.back(), "Fehler beim Laden der Datei " + other);
}

TEST_F(CameraFramesTest, PpmPlaneThroughTheLoader) {
  const std::string ppm = dir.file("plane.ppm");
  test::writeBytes(ppm, std::string("P6\n2 1\n255\n\x0a\x14\x1e\x28\x32\x3c", 17));
  ASSERT_TRUE(series.openSeries({ppm}, [] { return std::uint8_t{3}; }));
  EXPECT_EQ(series.RGBcolornumber, 3);
  EXPECT_EQ(series.img->getpixel(1, 1), 0x1e);
  EXPECT_EQ(series.img->getpixel(2, 1), 0x3c);
  EXPECT_EQ(series.img->FilterName, "TB");
}

}  // namespace
}  // namespace vargaze
