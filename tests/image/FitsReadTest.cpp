// Reading FITS files: conversions of stored values, metadata from the header
// cards, dates, colour planes. Files are built byte by byte by the test.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "image/Imgbuffer.h"
#include "support/FitsBuilder.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

using test::FitsBuilder;

class FitsReadTest : public ::testing::Test {
 protected:
  // Writes the builder's file and reads it into img.
  bool read(const FitsBuilder& builder, bool withEnd = true) {
    const std::string path = dir.file("frame.fit");
    test::writeBytes(path, builder.bytes(withEnd));
    return img.Readfitsfile(path);
  }

  test::TempDir dir;
  Timgbuffer img;
};

TEST_F(FitsReadTest, UnsignedWordsWithBzero32768) {
  FitsBuilder f(16, 3, 1);
  f.card("BZERO", "32768").pixels({-32768, 0, 32767});
  ASSERT_TRUE(read(f)) << img.readError;
  EXPECT_EQ(img.getpixel(1, 1), 0);
  EXPECT_EQ(img.getpixel(2, 1), 32768);
  EXPECT_EQ(img.getpixel(3, 1), 65535);
  EXPECT_TRUE(img.Wordmode);
  EXPECT_EQ(img.Offset1, 0.0);
  EXPECT_EQ(img.bufferMin, 0);
  EXPECT_EQ(img.bufferMax, 65535);
}

TEST_F(FitsReadTest, NegativeSignedImageIsShiftedAndRemembersTheShift) {
  FitsBuilder f(16, 3, 1);
  f.pixels({-100, 0, 500});
  ASSERT_TRUE(read(f));
  EXPECT_EQ(img.getpixel(1, 1), 0);
  EXPECT_EQ(img.getpixel(2, 1), 100);
  EXPECT_EQ(img.getpixel(3, 1), 600);
  EXPECT_EQ(img.Offset1, 100.0);
  EXPECT_TRUE(img.Wordmode);
}

TEST_F(FitsReadTest, PositiveSignedImageStaysAsIsAndReadsUnsigned) {
  FitsBuilder f(16, 2, 1);
  f.pixels({7, 32767});
  ASSERT_TRUE(read(f));
  EXPECT_EQ(img.getpixel(1, 1), 7);
  EXPECT_EQ(img.getpixel(2, 1), 32767);
  EXPECT_EQ(img.Offset1, 0.0);
  EXPECT_TRUE(img.Wordmode);
}

TEST_F(FitsReadTest, WordZeroPointBelowPhysicalZeroShiftsInsteadOfClipping) {
  // BZERO 100: stored -300 is physical -200, which must not become 0.
  FitsBuilder f(16, 3, 1);
  f.card("BZERO", "100").pixels({-300, 0, 1000});
  ASSERT_TRUE(read(f));
  EXPECT_EQ(img.Offset1, 200.0);
  EXPECT_EQ(img.getpixel(1, 1), 0);     // -200 + 200
  EXPECT_EQ(img.getpixel(2, 1), 300);   // 100 + 200
  EXPECT_EQ(img.getpixel(3, 1), 1300);  // 1100 + 200
}

TEST_F(FitsReadTest, EightBitImageGetsItsRealRange) {
  FitsBuilder f(8, 4, 1);
  f.pixels({3, 200, 17, 255});
  ASSERT_TRUE(read(f));
  EXPECT_EQ(img.bufferbyte, kPixel8);
  EXPECT_EQ(img.getpixel(2, 1), 200);
  EXPECT_EQ(img.bufferMin, 3);
  EXPECT_EQ(img.bufferMax, 255);
}

TEST_F(FitsReadTest, ThirtyTwoBitUnsignedConvention) {
  // Unsigned 32-bit data are stored signed with BZERO 2^31.
  FitsBuilder f(32, 3, 1);
  f.card("BZERO", "2147483648").pixels({-2147483648.0, -2147483548.0, -2147413648.0});
  ASSERT_TRUE(read(f));
  EXPECT_EQ(img.bufferbyte, kPixel32);
  EXPECT_EQ(img.getpixel(1, 1), 0);
  EXPECT_EQ(img.getpixel(2, 1), 100);
  EXPECT_EQ(img.getpixel(3, 1), 70000);
  EXPECT_EQ(img.Offset1, 0.0);
}

TEST_F(FitsReadTest, FloatPixelsBecomeRoundedIntegersWithNegativeShift) {
  FitsBuilder f(-32, 4, 1);
  f.pixels({-2.5, 10.4, 10.5, 1000.75});
  ASSERT_TRUE(read(f));
  EXPECT_EQ(img.bufferbyte, kPixel32);
  // Rounded (ties to even): -2, 10, 10, 1001; then shifted by 2.
  EXPECT_EQ(img.Offset1, 2.0);
  EXPECT_EQ(img.getpixel(1, 1), 0);
  EXPECT_EQ(img.getpixel(2, 1), 12);
  EXPECT_EQ(img.getpixel(3, 1), 12);
  EXPECT_EQ(img.getpixel(4, 1), 1003);
}

TEST_F(FitsReadTest, FloatPixelsThatAreNotFiniteBecomeZero) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  FitsBuilder f(-32, 3, 1);
  f.pixels({nan, 5.0, std::numeric_limits<double>::infinity()});
  ASSERT_TRUE(read(f)) << img.readError;
  EXPECT_EQ(img.getpixel(1, 1), 0);
  EXPECT_EQ(img.getpixel(2, 1), 5);
  EXPECT_EQ(img.getpixel(3, 1), 0);
}

TEST_F(FitsReadTest, FloatPixelsBeyondThe32BitRangeFailTheRead) {
  FitsBuilder f(-32, 2, 1);
  f.pixels({1.0, 1e12});
  EXPECT_FALSE(read(f));
  EXPECT_FALSE(img.readError.empty());
}

TEST_F(FitsReadTest, BscaleScalesWordsAndFloats) {
  FitsBuilder words(16, 2, 1);
  words.card("BSCALE", "2.0").card("BZERO", "1000").pixels({10, 21});
  ASSERT_TRUE(read(words));
  // Physical value = BZERO + BSCALE * stored.
  EXPECT_EQ(img.getpixel(1, 1), 1020);
  EXPECT_EQ(img.getpixel(2, 1), 1042);
  FitsBuilder floats(-32, 2, 1);
  floats.card("BSCALE", "0.5").pixels({10.0, 21.0});
  ASSERT_TRUE(read(floats));
  EXPECT_EQ(img.getpixel(1, 1), 5);
  EXPECT_EQ(img.getpixel(2, 1), 10);  // 10.5 rounds to even
}

TEST_F(FitsReadTest, ScaledWordsBelowTheWordRangeFailTheRead) {
  FitsBuilder f(16, 1, 1);
  f.card("BSCALE", "2.0").pixels({-20000});
  EXPECT_FALSE(read(f));
  EXPECT_FALSE(img.readError.empty());
}

TEST_F(FitsReadTest, ExposureFilterBinningAirmassAndScale) {
  FitsBuilder f(16, 1, 1);
  f.card("EXPTIME", "30.5")
      .card("FILTER", "' v      '")
      .card("XBINNING", "2")
      .card("YBINNING", "3")
      .card("AIRMASS", "'1.5'")
      .card("PIXSCALE", "1.25 / arcsec per pixel")
      .pixels({1});
  ASSERT_TRUE(read(f));
  EXPECT_DOUBLE_EQ(img.Exposure, 30.5);
  EXPECT_EQ(img.FilterName, " v      ");
  EXPECT_EQ(img.FilterType, 3);
  EXPECT_EQ(img.Xbinning, 2);
  EXPECT_EQ(img.Ybinning, 3);
  EXPECT_DOUBLE_EQ(img.Airmass, 1.5);
  EXPECT_DOUBLE_EQ(img.PixScale, 1.25);
  EXPECT_EQ(img.OBSTYPE, "CCD");
}

TEST_F(FitsReadTest, FilterCodes) {
  const std::pair<const char*, int> cases[] = {{"'Clear'", 0}, {"'B'", 2},  {"'V'", 3},
                                               {"'G'", 3},     {"'R'", 4},  {"'I'", 5},
                                               {"'TB'", 6},    {"'TG'", 7}, {"'TR'", 8},
                                               {"'None'", -1}, {"'Ha'", -1}};
  for (const auto& [value, code] : cases) {
    FitsBuilder f(16, 1, 1);
    f.card("FILTER", value).pixels({1});
    ASSERT_TRUE(read(f));
    EXPECT_EQ(img.FilterType, code) << value;
  }
  FitsBuilder colour(16, 1, 1);
  colour.card("FILTER", "'TG'").pixels({1});
  ASSERT_TRUE(read(colour));
  EXPECT_EQ(img.OBSTYPE, "DSLR");
}

TEST_F(FitsReadTest, ExposureKeywordsAndUnparsableValues) {
  FitsBuilder f(16, 1, 1);
  f.card("EXP_TIME", "12.25").card("EXPOSURE", "abc").card("BSCALE", "0").pixels({4});
  ASSERT_TRUE(read(f));
  EXPECT_DOUBLE_EQ(img.Exposure, 12.25);  // "abc" leaves the value read before
  EXPECT_EQ(img.getpixel(1, 1), 4);       // BSCALE 0 is ignored
}

TEST_F(FitsReadTest, IsoDateWithFraction) {
  FitsBuilder f(16, 1, 1);
  f.card("DATE-OBS", "'2023-10-05T21:13:45.5'").pixels({1});
  ASSERT_TRUE(read(f));
  EXPECT_EQ(img.Datetime, "2023-10-05T21:13:45.500");
  EXPECT_NEAR(img.JDstart, 2460223.38455, 0.000005);
}

TEST_F(FitsReadTest, TwoDigitYearAndSeparateTime) {
  FitsBuilder f(16, 1, 1);
  f.card("DATE-OBS", "'05/10/23'").card("TIME-OBS", "'21:13:45'").pixels({1});
  ASSERT_TRUE(read(f));
  EXPECT_EQ(img.Datetime, "2023-10-05T21:13:45.000");
}

TEST_F(FitsReadTest, DateOnlyFromDateKeyword) {
  FitsBuilder f(16, 1, 1);
  f.card("DATE", "'2023-10-05T21:13:45'").pixels({1});
  ASSERT_TRUE(read(f));
  EXPECT_EQ(img.Datetime, "2023-10-05T21:13:45.000");
}

TEST_F(FitsReadTest, DateObsWinsOverDateAndUtSetsTheTime) {
  FitsBuilder f(16, 1, 1);
  f.card("DATE", "'2001-01-01T00:00:00'")
      .card("DATE-OBS", "'2013-07-13'")
      .card("UT", "'00:57:33'")
      .card("TIME", "'11:11:11'")
      .pixels({1});
  ASSERT_TRUE(read(f));
  EXPECT_EQ(img.Datetime, "2013-07-13T00:57:33.000");
}

TEST_F(FitsReadTest, CameraTimeStamp) {
  FitsBuilder f(16, 1, 1);
  f.card("TIMESTMP", "'05/10/2023 21:13:45.25'").pixels({1});
  ASSERT_TRUE(read(f));
  EXPECT_EQ(img.Datetime, "2023-10-05T21:13:45.250");
}

TEST_F(FitsReadTest, NoDate) {
  FitsBuilder f(16, 1, 1);
  f.pixels({1});
  ASSERT_TRUE(read(f));
  EXPECT_EQ(img.JDstart, 0.0);
  EXPECT_EQ(img.Datetime, "date?");
}

TEST_F(FitsReadTest, NothingOfTheEarlierFrameLeaksIntoTheNext) {
  FitsBuilder first(16, 2, 2);
  first.card("FILTER", "'V'").card("EXPTIME", "60").card("AIRMASS", "1.3").card("BZERO", "10");
  first.pixels({1, 2, 3, 4});
  ASSERT_TRUE(read(first));
  FitsBuilder second(16, 1, 1);
  second.pixels({9});
  ASSERT_TRUE(read(second));
  EXPECT_EQ(img.FilterType, -1);
  EXPECT_EQ(img.FilterName, "");
  EXPECT_EQ(img.Exposure, 0.0);
  EXPECT_EQ(img.Airmass, -1.0);
  EXPECT_EQ(img.Offset1, 0.0);
  EXPECT_EQ(getFitskeyString(img.fitsheader, "FILTER"), "");
}

TEST_F(FitsReadTest, HeaderLinesAndDataOffsetFollowTheEndCard) {
  FitsBuilder f(16, 1, 1);
  for (int i = 0; i < 40; ++i) f.card("HISTORY", "filler");  // 45 cards + END: two blocks
  f.pixels({5});
  ASSERT_TRUE(read(f));
  EXPECT_EQ(img.headerlines, 46);
  EXPECT_EQ(img.imageblock, 2 * 2880);
  EXPECT_EQ(img.getpixel(1, 1), 5);
}

TEST_F(FitsReadTest, RgbCubeReadsOnePlaneAtATime) {
  FitsBuilder f(16, 2, 1, 3);
  f.card("CSPACE", "'RGB'").card("BZERO", "32768");
  f.pixels({-32768 + 1, -32768 + 2, -32768 + 10, -32768 + 20, -32768 + 100, -32768 + 200});
  ASSERT_TRUE(read(f));
  EXPECT_EQ(img.colorimages, 3);
  EXPECT_EQ(img.xsize, 0);
  const std::pair<int, std::array<int, 2>> planes[] = {{1, {1, 2}}, {2, {10, 20}}, {3, {100, 200}}};
  const char* names[] = {"TR", "TG", "TB"};
  const int codes[] = {8, 7, 6};
  for (const auto& [color, values] : planes) {
    std::unique_ptr<Timgbuffer> plane;
    ASSERT_TRUE(img.Readcolorfits(color, plane)) << img.readError;
    EXPECT_EQ(plane->xsize, 2);
    EXPECT_EQ(plane->ysize, 1);
    EXPECT_EQ(plane->getpixel(1, 1), values[0]);
    EXPECT_EQ(plane->getpixel(2, 1), values[1]);
    EXPECT_EQ(plane->FilterName, names[color - 1]);
    EXPECT_EQ(plane->FilterType, codes[color - 1]);
    EXPECT_EQ(plane->OBSTYPE, "DSLR");
    EXPECT_TRUE(plane->Wordmode);
  }
}

}  // namespace
}  // namespace vargaze
