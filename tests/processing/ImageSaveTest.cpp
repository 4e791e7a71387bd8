// "Bild speichern": the image on display written as FITS, never over a frame.
#include <gtest/gtest.h>

#include <filesystem>

#include "processing/FlatCommand.h"
#include "processing/ImageSave.h"
#include "series/SeriesFixture.h"

namespace vargaze {
namespace {

class ImageSaveTest : public test::SeriesFixture {};

TEST_F(ImageSaveTest, WithoutImageNothingIsWritten) {
  const std::string out = dir.file("out.fit");
  EXPECT_FALSE(Saveimage1Click(series, out));
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Kein Bild geladen"});
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(ImageSaveTest, WritesTheCorrectedImageWithItsHeader) {
  ASSERT_TRUE(series.openSeries({writeFrame("a.fit", {{10, 20, 900}}, "2024-01-01T20:00:00")}));
  const std::string flat = dir.file("flat.fit");
  test::writeBytes(flat, test::FitsBuilder(16, kWidth, kHeight)
                             .pixels(std::vector<double>(kWidth * kHeight, 1000))
                             .bytes());
  FlatCommand command(series);
  ASSERT_EQ(command.Flatkorrektur1Click(flat), FlatResult::Applied);
  const std::string out = dir.file("out.fit");
  ASSERT_TRUE(Saveimage1Click(series, out));

  Timgbuffer back;
  ASSERT_TRUE(back.Readfitsfile(out));
  EXPECT_EQ(back.xsize, kWidth);
  EXPECT_EQ(back.ysize, kHeight);
  EXPECT_EQ(back.getpixel(10, 20), 1000);  // a uniform flat has factor 1
  EXPECT_EQ(back.getpixel(1, 1), 100);
  EXPECT_EQ(back.Datetime.substr(0, 19), "2024-01-01T20:00:00");
  EXPECT_DOUBLE_EQ(back.Exposure, 10.0);
}

TEST_F(ImageSaveTest, FrameOfTheSeriesIsNeverOverwritten) {
  const std::string frame = writeFrame("a.fit", {}, "2024-01-01T20:00:00");
  ASSERT_TRUE(series.openSeries({frame}));
  const std::string before = test::readBytes(frame);
  // The same file under another spelling.
  const std::string other = (dir.path() / "." / "a.fit").string();
  EXPECT_FALSE(Saveimage1Click(series, other));
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
