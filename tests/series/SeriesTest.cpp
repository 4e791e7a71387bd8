// Opening a series, showing frames, levels, toggles and the file-list edit.
#include <gtest/gtest.h>

#include "support/SeriesFixture.h"

namespace vargaze {
namespace {

class SeriesTest : public test::SeriesFixture {};

TEST_F(SeriesTest, OpeningKeepsTheGivenOrderAndShowsFrameOne) {
  const auto c = writeFrame("c.fit", {{20, 20, 500}}, "2023-10-05T21:00:00");
  const auto a = writeFrame("a.fit", {{20, 20, 500}}, "2023-10-05T21:01:00");
  const auto b = writeFrame("b.fit", {{20, 20, 500}}, "2023-10-05T21:02:00");
  ASSERT_TRUE(series.openSeries({c, a, b}));
  EXPECT_EQ(series.filelist1, (std::vector<std::string>{c, a, b}));
  EXPECT_EQ(series.FramesLoaded, 3);
  EXPECT_EQ(series.img->filename, c);
  EXPECT_TRUE(series.imageLoaded);
  EXPECT_EQ(series.ShiftListX.size(), 3u);
  EXPECT_EQ(series.imagepath, dir.path().string() + "/");
  EXPECT_EQ(settings.StartupDir, dir.path().string() + "/");
  EXPECT_EQ(series.controls.BlinkScrollBarMax, 3);
  EXPECT_TRUE(series.Timer1Enabled);
  EXPECT_EQ(window.FilePanel, c);
}

TEST_F(SeriesTest, OnlyALowerCaseVgpIsAProject) {
  const auto upper = writeFrame("night.VGP", {}, "2023-10-05T21:00:00");
  std::string opened;
  series.openProject = [&](const std::string& name) {
    opened = name;
    return true;
  };
  ASSERT_TRUE(series.openSeries({upper}));
  EXPECT_TRUE(opened.empty());  // read as an image file
  EXPECT_EQ(series.img->filename, upper);
  EXPECT_TRUE(series.openSeries({dir.file("night.vgp")}));
  EXPECT_EQ(opened, dir.file("night.vgp"));
}

TEST_F(SeriesTest, JdPanelShowsTheMiddleOfTheExposure) {
  Timgbuffer img;
  img.JDstart = 2455000.5;
  img.Exposure = 120.0;
  settings.JDprecision = 5;
  settings.MiddletimeCorrection = true;
  EXPECT_EQ(jdPanelText(img, settings), "JD(middle)=2455000.50069");
  settings.MiddletimeCorrection = false;
  EXPECT_EQ(jdPanelText(img, settings), "JD(begin)=2455000.50000");
}

TEST_F(SeriesTest, FrameFieldsOfTheRoiWindow) {
  std::vector<double> pixels(kWidth * kHeight, 100.0);
  test::FitsBuilder f(16, kWidth, kHeight);
  f.card("DATE-OBS", "'2023-10-05T21:13:45.5'").card("EXPTIME", "12.5").card("AIRMASS", "1.2345");
  test::writeBytes(dir.file("m.fit"), f.pixels(pixels).bytes());
  ASSERT_TRUE(series.openSeries({dir.file("m.fit")}));
  EXPECT_EQ(window.AirmassEdit, "1.23");
  EXPECT_EQ(window.ExposureEdit, "12.500");
  EXPECT_EQ(window.JDPanel, "JD(begin)=2460223.38455");
}

TEST_F(SeriesTest, LevelsFollowTheSquareLawBothWays) {
  ASSERT_TRUE(series.openSeries({writeFrame("a.fit", {{20, 20, 3900}}, "2023-10-05T21:00:00")}));
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
}

TEST_F(SeriesTest, FlipTwiceRestoresTheFrameWithoutReading) {
  ASSERT_TRUE(series.openSeries({writeFrame("a.fit", {{20, 10, 900}}, "2023-10-05T21:00:00")}));
  const Timgbuffer* frame = series.img.get();
  series.FlipcheckClick(true);
  EXPECT_EQ(series.img.get(), frame);  // flipped in place
  EXPECT_EQ(series.img->getpixel(20, kHeight - 10 + 1), 1000);
  series.FlipcheckClick(false);
  EXPECT_EQ(series.img->getpixel(20, 10), 1000);
  EXPECT_FALSE(series.img->Flipped);
}

TEST_F(SeriesTest, FileListEditRebuildsAndShowsTheNewFirstFrame) {
  const auto a = writeFrame("a.fit", {}, "2023-10-05T21:00:00");
  const auto b = writeFrame("b.fit", {}, "2023-10-05T21:01:00");
  ASSERT_TRUE(series.openSeries({a, b}));
  series.curve.NumCurvePoints = 2;
  EXPECT_FALSE(series.editFileList({"", ""}));  // an empty list is refused
  EXPECT_EQ(series.filelist1.size(), 2u);
  ASSERT_TRUE(series.editFileList({b, ""}));
  EXPECT_EQ(series.filelist1, std::vector<std::string>{b});
  EXPECT_EQ(series.FramesLoaded, 1);
  EXPECT_EQ(series.img->filename, b);
  EXPECT_EQ(series.curve.NumCurvePoints, 0);
}

TEST_F(SeriesTest, BlinkWrapsAndAFailedFrameStopsIt) {
  const auto a = writeFrame("a.fit", {}, "2023-10-05T21:00:00");
  const auto b = writeFrame("b.fit", {}, "2023-10-05T21:01:00");
  ASSERT_TRUE(series.openSeries({a, b}));
  flags.Blinkmode = true;
  series.controls.BlinkBox = true;
  series.BlinkTimerTimer();
  EXPECT_EQ(flags.Activeframe, 2);
  series.BlinkTimerTimer();
  EXPECT_EQ(flags.Activeframe, 1);
  std::filesystem::remove(b);
  series.BlinkTimerTimer();
  EXPECT_FALSE(series.controls.BlinkBox);
  EXPECT_EQ(ui.messages.back(), "Fehler beim Laden der Datei " + b);
  EXPECT_EQ(series.img->filename, a);  // the frame shown stays
}

TEST_F(SeriesTest, RemovingRoisVoidsTheCurve) {
  ASSERT_TRUE(series.openSeries({writeFrame("a.fit", {{20, 20, 900}}, "2023-10-05T21:00:00")}));
  addRoi(20, 20);
  series.curve.NumCurvePoints = 5;
  window.DeleteROI(1);
  EXPECT_EQ(series.curve.NumCurvePoints, 0);
}

}  // namespace
}  // namespace vargaze
