// Writing FITS files: round trips through our own reader, the header layout
// and the rules that keep physical values and the previous file safe.
#include <gtest/gtest.h>

#include <filesystem>

#include "image/Imgbuffer.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

class FitsWriteTest : public ::testing::Test {
 protected:
  // An image whose pixel (x, y) holds value(x, y).
  template <typename F>
  void fill(Timgbuffer& img, int width, int height, int code, F value) {
    img.init(width, height, code);
    for (int y = 1; y <= height; ++y) {
      for (int x = 1; x <= width; ++x) img.putpixel(x, y, value(x, y));
    }
  }

  void expectSamePixels(const Timgbuffer& a, const Timgbuffer& b) {
    ASSERT_EQ(a.xsize, b.xsize);
    ASSERT_EQ(a.ysize, b.ysize);
    for (int y = 1; y <= a.ysize; ++y) {
      for (int x = 1; x <= a.xsize; ++x) {
        ASSERT_EQ(a.getpixel(x, y), b.getpixel(x, y)) << "pixel " << x << "," << y;
      }
    }
  }

  test::TempDir dir;
};

TEST_F(FitsWriteTest, SixteenBitRoundTripAndFileLength) {
  Timgbuffer img;
  fill(img, 37, 23, kPixel16, [](int x, int y) { return (x * 1777 + y * 313) % 65536; });
  img.putpixel(1, 1, 65535);
  img.putpixel(2, 1, 0);
  const std::string path = dir.file("out.fit");
  ASSERT_TRUE(img.Writefitsfile(path));
  EXPECT_EQ(std::filesystem::file_size(path) % 2880, 0u);
  Timgbuffer back;
  ASSERT_TRUE(back.Readfitsfile(path)) << back.readError;
  expectSamePixels(img, back);
  EXPECT_EQ(back.Offset1, 0.0);
  bool error = false;
  EXPECT_EQ(getFitskeyInteger(back.fitsheader, "BZERO", error), 32768);
  EXPECT_FALSE(error);
}

TEST_F(FitsWriteTest, EightAndThirtyTwoBitRoundTrips) {
  Timgbuffer bytes;
  fill(bytes, 5, 4, kPixel8, [](int x, int y) { return x * 50 + y; });
  Timgbuffer longs;
  fill(longs, 5, 4, kPixel32, [](int x, int y) { return x * 100000 - y * 7; });
  for (Timgbuffer* img : {&bytes, &longs}) {
    const std::string path = dir.file("out.fit");
    ASSERT_TRUE(img->Writefitsfile(path));
    Timgbuffer back;
    ASSERT_TRUE(back.Readfitsfile(path)) << back.readError;
    EXPECT_EQ(back.bufferbyte, img->bufferbyte);
    expectSamePixels(*img, back);
  }
}

TEST_F(FitsWriteTest, ShiftedNegativeImagesKeepTheirPhysicalValues) {
  // As read from a file with negative values: stored = physical + Offset1.
  Timgbuffer words;
  fill(words, 3, 1, kPixel16, [](int x, int) { return x * 100; });
  words.Offset1 = 150;
  Timgbuffer longs;
  fill(longs, 3, 1, kPixel32, [](int x, int) { return x * 100; });
  longs.Offset1 = 150;
  for (Timgbuffer* img : {&words, &longs}) {
    const std::string path = dir.file("neg.fit");
    ASSERT_TRUE(img->Writefitsfile(path));
    Timgbuffer back;
    ASSERT_TRUE(back.Readfitsfile(path)) << back.readError;
    // Physical values -50, 50, 150; the reader shifts the lowest to 0.
    EXPECT_EQ(back.Offset1, 50.0);
    for (int x = 1; x <= 3; ++x) {
      EXPECT_EQ(back.getpixel(x, 1) - back.Offset1, img->getpixel(x, 1) - img->Offset1);
    }
  }
}

TEST_F(FitsWriteTest, MetadataCardsAndUnknownDate) {
  Timgbuffer img;
  fill(img, 2, 2, kPixel16, [](int x, int y) { return x + y; });
  img.Datetime = "2023-10-05T21:13:45.500";
  img.Exposure = 30.25;
  img.FilterName = "V";
  img.Instrument = "Test camera";
  const std::string path = dir.file("meta.fit");
  ASSERT_TRUE(img.Writefitsfile(path));
  Timgbuffer back;
  ASSERT_TRUE(back.Readfitsfile(path));
  EXPECT_EQ(back.Datetime, "2023-10-05T21:13:45.500");
  EXPECT_DOUBLE_EQ(back.Exposure, 30.25);
  EXPECT_EQ(back.FilterType, 3);
  EXPECT_EQ(getFitskeyString(back.fitsheader, "INSTRUME"), "Test camera");
  // The writer works on a copy: the buffer's own header is unchanged.
  EXPECT_EQ(getFitskeyString(img.fitsheader, "EXPTIME"), "");

  Timgbuffer undated;
  fill(undated, 1, 1, kPixel16, [](int, int) { return 1; });
  undated.Datetime = "date?";
  ASSERT_TRUE(undated.Writefitsfile(path));
  ASSERT_TRUE(back.Readfitsfile(path));
  EXPECT_EQ(getFitskeyString(back.fitsheader, "DATE-OBS"), "");
  EXPECT_EQ(back.Datetime, "date?");
}

TEST_F(FitsWriteTest, HeaderIsBlankAfterEnd) {
  Timgbuffer img;
  fill(img, 1, 1, kPixel16, [](int, int) { return 1; });
  const std::string path = dir.file("blank.fit");
  ASSERT_TRUE(img.Writefitsfile(path));
  const std::string bytes = test::readBytes(path);
  ASSERT_GE(bytes.size(), 2880u);
  const std::string header = bytes.substr(0, 2880);
  EXPECT_EQ(header.find('\0'), std::string::npos);
  EXPECT_EQ(header.substr(0, 30), "SIMPLE  =                    T");
}

TEST_F(FitsWriteTest, FailedWriteKeepsThePreviousFile) {
  Timgbuffer img;
  fill(img, 4, 4, kPixel16, [](int x, int y) { return x * y; });
  const std::string path = dir.file("keep.fit");
  ASSERT_TRUE(img.Writefitsfile(path));
  const std::string before = test::readBytes(path);
  std::string error;
  // A target inside a folder that does not exist cannot be written.
  EXPECT_FALSE(img.Writefitsfile(dir.file("missing-folder/x.fit"), error));
  EXPECT_FALSE(error.empty());
  // A target that is a folder is refused and the folder stays.
  std::filesystem::create_directory(dir.file("folder.fit"));
  EXPECT_FALSE(img.Writefitsfile(dir.file("folder.fit"), error));
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("folder.fit")));
  EXPECT_EQ(test::readBytes(path), before);
}

TEST_F(FitsWriteTest, ColourPlaneIsWrittenAsAPlainImage) {
  Timgbuffer cube;
  cube.init(1, 1, kPixel16);
  setFitskey(cube.fitsheader, "NAXIS", "3");
  setFitskey(cube.fitsheader, "NAXIS3", "3");
  setFitskey(cube.fitsheader, "CSPACE", "'RGB'");
  const std::string path = dir.file("plane.fit");
  ASSERT_TRUE(cube.Writefitsfile(path));
  Timgbuffer back;
  ASSERT_TRUE(back.Readfitsfile(path));
  EXPECT_EQ(back.colorimages, 0);
  EXPECT_EQ(getFitskeyString(back.fitsheader, "NAXIS3"), "");
  EXPECT_EQ(getFitskeyString(back.fitsheader, "CSPACE"), "");
  bool error = false;
  EXPECT_EQ(getFitskeyInteger(back.fitsheader, "NAXIS", error), 2);
}

}  // namespace
}  // namespace vargaze
