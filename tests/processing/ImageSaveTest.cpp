// "Bild speichern": the image on display written as FITS, never over a frame.
#include <gtest/gtest.h>

#include <filesystem>

#include "processing/ImageSave.h"
#include "support/SeriesFixture.h"

namespace vargaze {
namespace {

class ImageSaveTest : public test::SeriesFixture {};

TEST_F(ImageSaveTest, WithoutImageNothingIsWritten) {
  EXPECT_FALSE(Saveimage1Click(series, dir.file("out.fit")));
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Kein Bild geladen"});
  EXPECT_FALSE(std::filesystem::exists(dir.file("out.fit")));
}

TEST_F(ImageSaveTest, WritesTheImageAsShownWithItsHeader) {
  ASSERT_TRUE(series.openSeries({writeFrame("a.fit", {{10, 20, 900}}, "2024-01-01T20:00:00")}));
  series.FlipcheckClick(true);
  const std::string out = dir.file("out.fit");
  ASSERT_TRUE(Saveimage1Click(series, out));
  Timgbuffer back;
  ASSERT_TRUE(back.Readfitsfile(out));
  EXPECT_EQ(back.getpixel(10, kHeight + 1 - 20), 1000);  // flipped as displayed
  EXPECT_EQ(back.getpixel(1, 1), 100);
  EXPECT_EQ(back.Datetime.substr(0, 19), "2024-01-01T20:00:00");
  EXPECT_DOUBLE_EQ(back.Exposure, 10.0);
}

TEST_F(ImageSaveTest, FrameOfTheSeriesIsNeverOverwritten) {
  const std::string frame = writeFrame("a.fit", {}, "2024-01-01T20:00:00");
  ASSERT_TRUE(series.openSeries({frame}));
  const std::string before = test::readBytes(frame);
  EXPECT_FALSE(Saveimage1Click(series, (dir.path() / "." / "a.fit").string()));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].find("wird nicht überschrieben"), std::string::npos);
  EXPECT_EQ(test::readBytes(frame), before);
}

TEST_F(ImageSaveTest, WriteFailureIsReported) {
  ASSERT_TRUE(series.openSeries({writeFrame("a.fit", {}, "2024-01-01T20:00:00")}));
  const std::string out = dir.file("missing-folder/out.fit");
  EXPECT_FALSE(Saveimage1Click(series, out));
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Fehler beim Speichern der Datei " + out});
}

}  // namespace
}  // namespace vargaze
