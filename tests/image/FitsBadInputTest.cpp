// Files a camera, a crash or a hostile sender may put in front of the reader:
// each is refused with a reason, never read out of bounds, never allocated
// from an announced size that the file does not back.
#include <gtest/gtest.h>

#include "image/Imgbuffer.h"
#include "support/FitsBuilder.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

using test::FitsBuilder;

class FitsBadInputTest : public ::testing::Test {
 protected:
  // Reads `bytes` as a file; expects a failure whose reason contains `reason`.
  void expectRefused(const std::string& bytes, const std::string& reason) {
    const std::string path = dir.file("bad.fit");
    test::writeBytes(path, bytes);
    Timgbuffer img;
    EXPECT_FALSE(img.Readfitsfile(path));
    EXPECT_NE(img.readError.find(reason), std::string::npos) << img.readError;
    EXPECT_EQ(img.bufferpointer, nullptr) << "pixels allocated for a refused file";
  }

  test::TempDir dir;
};

TEST_F(FitsBadInputTest, MissingFileLeavesTheBufferAsItWas) {
  Timgbuffer img;
  img.init(2, 2, kPixel16);
  img.putpixel(1, 1, 77);
  EXPECT_FALSE(img.Readfitsfile(dir.file("nothing-here.fit")));
  EXPECT_EQ(img.readError, "file not found");
  EXPECT_EQ(img.getpixel(1, 1), 77);
}

TEST_F(FitsBadInputTest, EmptyFile) { expectRefused("", "not a FITS file"); }

TEST_F(FitsBadInputTest, FirstCardNotSimple) {
  std::string bytes = FitsBuilder(16, 1, 1).pixels({1}).bytes();
  bytes.replace(0, 6, "XTENSI");
  expectRefused(bytes, "not a FITS file");
}

TEST_F(FitsBadInputTest, HeaderWithoutEndCard) {
  FitsBuilder f(16, 1, 1);
  for (int i = 0; i < 1500; ++i) f.card("HISTORY", "no end in sight");
  expectRefused(f.bytes(false), "no END card");
}

TEST_F(FitsBadInputTest, HeaderCutShort) {
  FitsBuilder f(16, 1, 1);
  for (int i = 0; i < 40; ++i) f.card("HISTORY", "more than one block");
  std::string bytes = f.bytes();
  expectRefused(bytes.substr(0, 2880 + 1000), "truncated header");
}

TEST_F(FitsBadInputTest, DataShorterThanAnnounced) {
  std::string bytes = FitsBuilder(16, 100, 100).pixels({1, 2, 3}).bytes();
  expectRefused(bytes, "truncated data");
}

TEST_F(FitsBadInputTest, ImageAboveThePixelLimit) {
  // 20000 x 20000 = 400 million pixels, announced in a header of one block.
  expectRefused(FitsBuilder(16, 20000, 20000).bytes(), "image too large");
  // A product that overflows 32 bits must not wrap into a small size.
  expectRefused(FitsBuilder(16, 65536, 65537).bytes(), "image too large");
}

TEST_F(FitsBadInputTest, NegativeOrZeroSize) {
  expectRefused(FitsBuilder(16, -10, 10).bytes(), "no image data");
  expectRefused(FitsBuilder(16, -70000, -70000).bytes(), "no image data");
  expectRefused(FitsBuilder(16, 0, 0).bytes(), "no image data");
}

TEST_F(FitsBadInputTest, UnsupportedBitpix) {
  expectRefused(FitsBuilder(12, 1, 1).pixels({1}).bytes(), "unsupported BITPIX 12");
  expectRefused(FitsBuilder(-64, 1, 1).pixels({1.5}).bytes(), "unsupported BITPIX -64");
  FitsBuilder text(16, 1, 1);
  text.card("BITPIX", "'sixteen'");
  expectRefused(text.bytes(), "unsupported BITPIX");
}

TEST_F(FitsBadInputTest, RgbCubeWithAMissingPlane) {
  FitsBuilder f(16, 100, 100, 3);
  f.card("CSPACE", "'RGB'");
  f.pixels(std::vector<double>(2 * 100 * 100, 5.0));  // two planes only
  expectRefused(f.bytes(), "truncated data");
}

TEST_F(FitsBadInputTest, ColourPlaneNumberOutOfRange) {
  FitsBuilder f(16, 1, 1, 3);
  f.card("CSPACE", "'RGB'").pixels({1, 2, 3});
  const std::string path = dir.file("rgb.fit");
  test::writeBytes(path, f.bytes());
  Timgbuffer img;
  ASSERT_TRUE(img.Readfitsfile(path));
  std::unique_ptr<Timgbuffer> plane;
  EXPECT_FALSE(img.Readcolorfits(0, plane));
  EXPECT_FALSE(img.Readcolorfits(4, plane));
  EXPECT_TRUE(img.Readcolorfits(3, plane));
  EXPECT_EQ(plane->getpixel(1, 1), 3);
}

TEST_F(FitsBadInputTest, GarbageBytes) {
  std::string junk(5000, '\0');
  for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = char((i * 7919) % 251);
  expectRefused(junk, "not a FITS file");
  // SIMPLE card followed by garbage cards: never an END.
  expectRefused("SIMPLE  =                    T" + std::string(50, ' ') + junk, "");
}

}  // namespace
}  // namespace vargaze
