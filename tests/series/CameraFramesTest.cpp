// Frames from colour cameras through the series loader: raw files through
// the converter (a stand-in script here), BMP and PPM planes.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>

#include "image/RawConverter.h"
#include "support/StandInConverter.h"
#include "support/SeriesFixture.h"

namespace vargaze {
namespace {

namespace fs = std::filesystem;

class CameraFramesTest : public test::SeriesFixture {
 protected:
  void SetUp() override { converter.emplace(dir.path().string()); }

  std::optional<test::StandInConverter> converter;
};

TEST_F(CameraFramesTest, RawFrameIsConvertedTurnedAndDated) {
  const std::string raw = dir.file("IMG_0001.CR2");
  test::writeBytes(raw, "II*\0raw");
  settings.UToffset = 1;
  ASSERT_TRUE(series.openSeries({raw}, [] { return std::uint8_t{2}; }));
  const Timgbuffer& img = *series.img;
  EXPECT_EQ(img.xsize, 2);  // portrait turned to landscape
  EXPECT_EQ(img.ysize, 1);
  EXPECT_EQ(img.rotated, 0);
  // Green samples 0x0002 (top) and 0x0005 (bottom); a quarter turn puts the
  // bottom one first.
  EXPECT_EQ(img.getpixel(1, 1), 5);
  EXPECT_EQ(img.getpixel(2, 1), 2);
  EXPECT_EQ(img.FilterName, "TG");
  EXPECT_EQ(img.OBSTYPE, "DSLR");
  EXPECT_EQ(img.Datetime, "2026-12-05T12:33:08");  // camera time minus one hour
  EXPECT_DOUBLE_EQ(img.Exposure, 0.004);
  EXPECT_FALSE(fs::exists(rawPpmFilename(raw)));  // the converted picture is removed
}

TEST_F(CameraFramesTest, PictureThatExistedBeforeIsKept) {
  const std::string raw = dir.file("IMG_0002.CR2");
  test::writeBytes(raw, "II*\0raw");
  test::writeBytes(rawPpmFilename(raw), "an older picture");
  ASSERT_TRUE(series.openSeries({raw}));
  EXPECT_TRUE(fs::exists(rawPpmFilename(raw)));
}

TEST_F(CameraFramesTest, MissingConverterFailsTheFrame) {
  setenv("VARGAZE_RAW_CONVERTER", dir.file("no-such-program").c_str(), 1);
  const std::string raw = dir.file("IMG_0003.CR2");
  test::writeBytes(raw, "II*\0raw");
  EXPECT_FALSE(series.openSeries({raw}));
  EXPECT_EQ(ui.messages.back(), "Fehler beim Laden der Datei " + raw);
}

TEST_F(CameraFramesTest, PpmPlaneThroughTheLoader) {
  const std::string ppm = dir.file("plane.ppm");
  test::writeBytes(ppm, std::string("P6\n2 1\n255\n", 11) + std::string("\x0a\x14\x1e\x28\x32\x3c", 6));
  ASSERT_TRUE(series.openSeries({ppm}, [] { return std::uint8_t{3}; }));
  EXPECT_EQ(series.RGBcolornumber, 3);
  EXPECT_EQ(series.img->getpixel(1, 1), 0x1e);
  EXPECT_EQ(series.img->getpixel(2, 1), 0x3c);
  EXPECT_EQ(series.img->FilterName, "TB");
}

}  // namespace
}  // namespace vargaze
