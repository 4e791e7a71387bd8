// Timgbuffer creation, storage and pixel access: defaults and header cards,
// init's size checks, getpixel/putpixel, lines and columns.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "image/Imgbuffer.h"

namespace vargaze {
namespace {

std::string value(const Timgbuffer& img, const char* key) {
  std::string text = getFitskeyString(img.fitsheader, key);
  const auto first = text.find_first_not_of(' ');
  return first == std::string::npos ? ""
                                    : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

TEST(ImgbufferCreate, DefaultsAndTheSevenHeaderCards) {
  const Timgbuffer img;
  EXPECT_EQ(img.bufferMax, -1);
  EXPECT_EQ(img.bufferMin, -1);
  EXPECT_EQ(img.xsize, 0);
  EXPECT_TRUE(img.yori);
  EXPECT_TRUE(img.Wordmode);
  EXPECT_EQ(img.ScaleFactor, 1.0);
  EXPECT_EQ(img.FilterType, -1);
  EXPECT_EQ(img.postbinned, 1);
  EXPECT_EQ(img.Airmass, -1.0);
  EXPECT_EQ(img.OBSTYPE, "CCD");
  EXPECT_FALSE(img.hasImage());

  const char* keys[] = {"SIMPLE", "BITPIX", "NAXIS", "NAXIS1", "NAXIS2", "BSCALE", "BZERO"};
  const char* values[] = {"T", "16", "2", "0", "0", "1", "0"};
  for (int n = 1; n <= 7; ++n) {
    EXPECT_EQ(cardKeyword(img.fitsheader.card(n)), keys[n - 1]);
    EXPECT_EQ(value(img, keys[n - 1]), values[n - 1]);
    EXPECT_EQ(img.fitsheader.card(n)[29], values[n - 1][std::strlen(values[n - 1]) - 1]);
  }
  EXPECT_EQ(img.fitsheader.endCard(), 8);
}

TEST(ImgbufferInit, AllocatesZeroPixelsAndWritesBitpix) {
  const std::pair<std::int32_t, const char*> types[] = {{kPixel8, "8"},
                                                        {kPixel16, "16"},
                                                        {kPixelUnset, "16"},
                                                        {kPixel32, "32"},
                                                        {kPixelFloat, "-32"}};
  for (const auto& [code, bitpix] : types) {
    Timgbuffer img;
    ASSERT_EQ(img.init(4, 3, code), 0);
    EXPECT_EQ(img.xsize, 4);
    EXPECT_EQ(img.ysize, 3);
    EXPECT_EQ(img.bufferbyte, code);
    EXPECT_EQ(value(img, "BITPIX"), bitpix);
    for (int y = 1; y <= 3; ++y) {
      for (int x = 1; x <= 4; ++x) EXPECT_EQ(img.getpixel(x, y), 0);
    }
  }
}

TEST(ImgbufferInit, ZeroBytesReturnsMinusOneAndKeepsTheSizes) {
  Timgbuffer img;
  ASSERT_EQ(img.init(5, 5, kPixel16), 0);
  EXPECT_EQ(img.init(8, 8, kPixelDouble), -1);
  EXPECT_EQ(img.xsize, 5);
  EXPECT_EQ(img.bufferbyte, kPixel16);
  EXPECT_EQ(img.bufferpointer, nullptr);
  EXPECT_EQ(img.getpixel(1, 1), 0);
  EXPECT_EQ(img.init(0, 7, kPixel16), -1);
}

TEST(ImgbufferInit, SizesBeyondTheLimitThrowAndLeaveTheImage) {
  Timgbuffer img;
  ASSERT_EQ(img.init(2, 2, kPixel16), 0);
  img.putpixel(2, 2, 77);
  const std::byte* storage = img.bufferpointer.get();
  EXPECT_THROW(img.init(10001, 10000, kPixel16), RangeError);
  EXPECT_THROW(img.init(std::numeric_limits<std::int32_t>::max(), 3, kPixel8), RangeError);
  EXPECT_THROW(img.init(-1, 10, kPixel16), RangeError);
  EXPECT_EQ(img.bufferpointer.get(), storage);
  EXPECT_EQ(img.xsize, 2);
  EXPECT_EQ(img.getpixel(2, 2), 77);
}

TEST(ImgbufferPixels, OutsideTheImageReadsZero) {
  Timgbuffer img;
  EXPECT_EQ(img.getpixel(1, 1), 0);
  ASSERT_EQ(img.init(3, 2, kPixel16), 0);
  img.data16()[0] = 9;
  img.data16()[5] = 9;
  EXPECT_EQ(img.getpixel(1, 1), 9);
  EXPECT_EQ(img.getpixel(3, 2), 9);
  const std::pair<int, int> outside[] = {{0, 1}, {4, 1}, {1, 0}, {1, 3}, {-5, -5}};
  for (const auto& [x, y] : outside) {
    EXPECT_EQ(img.getpixel(x, y), 0) << x << "," << y;
    img.putpixel(x, y, 5);  // no effect, no fault
  }
}

TEST(ImgbufferPixels, PixelOrderIsLineAfterLine) {
  Timgbuffer img;
  ASSERT_EQ(img.init(3, 2, kPixel32), 0);
  for (int i = 0; i < 6; ++i) img.data32()[i] = 100 + i;
  EXPECT_EQ(img.getpixel(2, 1), 101);
  EXPECT_EQ(img.getpixel(1, 2), 103);
  EXPECT_EQ(img.getpixel(3, 2), 105);
}

TEST(ImgbufferPixels, PutpixelClampsToTheStorageType) {
  Timgbuffer words;
  ASSERT_EQ(words.init(2, 1, kPixel16), 0);
  words.Wordmode = false;  // the limits do not depend on Wordmode
  words.putpixel(1, 1, 70000);
  words.putpixel(2, 1, -5);
  EXPECT_EQ(words.data16()[0], 65535);
  EXPECT_EQ(words.data16()[1], 0);

  Timgbuffer bytes;
  ASSERT_EQ(bytes.init(2, 1, kPixel8), 0);
  bytes.putpixel(1, 1, 300);
  bytes.putpixel(2, 1, -1);
  EXPECT_EQ(bytes.getpixel(1, 1), 255);
  EXPECT_EQ(bytes.getpixel(2, 1), 0);

  Timgbuffer longs;
  ASSERT_EQ(longs.init(1, 1, kPixel32), 0);
  longs.putpixel(1, 1, -123456789);
  EXPECT_EQ(longs.getpixel(1, 1), -123456789);
}

TEST(ImgbufferPixels, SignedWordsReadUnsigned) {
  Timgbuffer img;
  ASSERT_EQ(img.init(1, 1, kPixel16), 0);
  img.Wordmode = false;
  img.data16()[0] = 0xFFFF;  // -1 as a signed word
  EXPECT_EQ(img.getpixel(1, 1), 65535);
}

TEST(ImgbufferPixels, FloatPixelsRoundHalfToEvenAndIgnoreWrites) {
  Timgbuffer img;
  ASSERT_EQ(img.init(6, 1, kPixelFloat), 0);
  const float values[] = {2.5f, 3.5f, -2.5f, 3e9f, std::nanf(""), -2147483648.0f};
  const std::int32_t expected[] = {2, 4, -2, 0, 0, 0};
  for (int i = 0; i < 6; ++i) img.dataFloat()[i] = values[i];
  for (int i = 0; i < 6; ++i) EXPECT_EQ(img.getpixel(i + 1, 1), expected[i]) << i;
  img.putpixel(1, 1, 7);
  EXPECT_EQ(img.dataFloat()[0], 2.5f);
}

TEST(ImgbufferLines, LinesAndColumnsRoundTrip) {
  Timgbuffer img;
  ASSERT_EQ(img.init(4, 3, kPixel16), 0);
  for (int i = 0; i < 12; ++i) img.data16()[i] = static_cast<std::uint16_t>(i);

  std::vector<std::uint16_t> line(4);
  img.Getline(2, line.data());
  EXPECT_EQ(line, (std::vector<std::uint16_t>{4, 5, 6, 7}));
  std::vector<std::uint16_t> col(3);
  img.Getcolumn(3, col.data());
  EXPECT_EQ(col, (std::vector<std::uint16_t>{2, 6, 10}));

  const std::vector<std::uint16_t> newLine{40, 41, 42, 43};
  img.Putline(newLine.data(), 3);
  const std::vector<std::uint16_t> newCol{90, 91, 92};
  img.Putcolumn(newCol.data(), 1);
  const std::uint16_t expected[] = {90, 1, 2, 3, 91, 5, 6, 7, 92, 41, 42, 43};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(img.data16()[i], expected[i]) << i;
}

TEST(ImgbufferLines, ByteAndLongColumns) {
  Timgbuffer bytes;
  ASSERT_EQ(bytes.init(2, 3, kPixel8), 0);
  const std::uint8_t in8[] = {7, 8, 9};
  bytes.Putcolumn(in8, 2);
  EXPECT_EQ(bytes.getpixel(2, 3), 9);
  EXPECT_EQ(bytes.getpixel(1, 3), 0);

  Timgbuffer longs;
  ASSERT_EQ(longs.init(3, 2, kPixel32), 0);
  const std::int32_t in32[] = {-1, 2000000000};
  longs.Putcolumn(in32, 3);
  std::int32_t out32[2] = {};
  longs.Getcolumn(3, out32);
  EXPECT_EQ(out32[0], -1);
  EXPECT_EQ(out32[1], 2000000000);
}

TEST(ImgbufferLines, IndexOutsideThrowsAndFloatCopiesNothing) {
  Timgbuffer img;
  std::uint16_t line[4] = {1, 1, 1, 1};
  img.Getline(1, line);  // no image: nothing happens
  ASSERT_EQ(img.init(4, 3, kPixel16), 0);
  EXPECT_THROW(img.Getline(0, line), RangeError);
  EXPECT_THROW(img.Putline(line, 4), RangeError);
  EXPECT_THROW(img.Getcolumn(5, line), RangeError);

  Timgbuffer floats;
  ASSERT_EQ(floats.init(4, 1, kPixelFloat), 0);
  floats.Getline(1, line);
  EXPECT_EQ(line[0], 1);
}

}  // namespace
}  // namespace vargaze
