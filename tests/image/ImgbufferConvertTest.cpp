// Byte order, scaling and conversions between signed, unsigned, 32-bit and
// float pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "base/Errors.h"
#include "image/Imgbuffer.h"

namespace vargaze {
namespace {

template <typename T>
Timgbuffer image(std::int32_t code, const std::vector<T>& stored) {
  Timgbuffer img;
  EXPECT_EQ(img.init(static_cast<std::int32_t>(stored.size()), 1, code), 0);
  std::memcpy(img.bufferpointer.get(), stored.data(), stored.size() * sizeof(T));
  return img;
}

template <typename T>
std::vector<T> stored(const Timgbuffer& img) {
  std::vector<T> values(static_cast<std::size_t>(img.pixelCount()));
  std::memcpy(values.data(), img.bufferpointer.get(), values.size() * sizeof(T));
  return values;
}

TEST(ImgbufferSwap, WordsSwapTheirBytesAndSetBufferMax) {
  Timgbuffer img = image<std::uint16_t>(kPixelUnset, {0x0102, 0x00FF, 0x1080});
  img.swapbytes();
  EXPECT_EQ(img.bufferbyte, kPixel16);
  EXPECT_EQ(stored<std::uint16_t>(img), (std::vector<std::uint16_t>{0x0201, 0xFF00, 0x8010}));
  EXPECT_EQ(img.bufferMax, 0xFF00);

  img.swapbytes();
  img.Wordmode = false;
  img.swapbytes();  // 0x0201, -256, -32752 read signed
  EXPECT_EQ(img.bufferMax, 0x0201);
}

TEST(ImgbufferSwap, LongsAndFloatsReverseFourBytes) {
  Timgbuffer longs = image<std::uint32_t>(kPixel32, {0x01020304u, 0x000000F0u});
  longs.swapbytes();
  EXPECT_EQ(stored<std::uint32_t>(longs), (std::vector<std::uint32_t>{0x04030201u, 0xF0000000u}));
  EXPECT_EQ(longs.bufferMax, 0x04030201);  // 0xF0000000 is negative

  Timgbuffer floats = image<std::uint32_t>(kPixelFloat, {0x0000803Fu});
  floats.bufferMax = 9;
  floats.swapbytes();
  EXPECT_EQ(floats.dataFloat()[0], 1.0f);
  EXPECT_EQ(floats.bufferMax, 9);

  Timgbuffer bytes = image<std::uint8_t>(kPixel8, {1, 2});
  bytes.swapbytes();
  EXPECT_EQ(stored<std::uint8_t>(bytes), (std::vector<std::uint8_t>{1, 2}));
}

TEST(ImgbufferCmult, UnsignedWordsRoundHalfEvenAndStopAtTheTop) {
  Timgbuffer img = image<std::uint16_t>(kPixel16, {3, 5, 40000, 7});
  ASSERT_TRUE(img.cmult(0.5f));  // 1.5, 2.5, 20000, 3.5
  EXPECT_EQ(stored<std::uint16_t>(img), (std::vector<std::uint16_t>{2, 2, 20000, 4}));
  EXPECT_EQ(img.bufferMax, 20000);
  ASSERT_TRUE(img.cmult(4.0f));
  EXPECT_EQ(stored<std::uint16_t>(img), (std::vector<std::uint16_t>{8, 8, 65535, 16}));
  EXPECT_EQ(img.bufferMax, 65535);
}

TEST(ImgbufferCmult, SignedWordsStopAt32767AndFailBelowTheRange) {
  Timgbuffer img = image<std::int16_t>(kPixel16, {-100, 20000});
  img.Wordmode = false;
  ASSERT_TRUE(img.cmult(2.0f));
  EXPECT_EQ(stored<std::int16_t>(img), (std::vector<std::int16_t>{-200, 32767}));
  EXPECT_EQ(img.bufferMax, 32767);

  Timgbuffer low = image<std::int16_t>(kPixel16, {-20000});
  low.Wordmode = false;
  EXPECT_THROW(low.cmult(2.0f), RangeError);

  Timgbuffer unsignedWords = image<std::uint16_t>(kPixel16, {0, 10});
  EXPECT_THROW(unsignedWords.cmult(-1.0f), RangeError);
}

TEST(ImgbufferCmult, LongsMustStayInside32Bits) {
  Timgbuffer img = image<std::int32_t>(kPixel32, {-7, 1000});
  ASSERT_TRUE(img.cmult(3.0f));
  EXPECT_EQ(stored<std::int32_t>(img), (std::vector<std::int32_t>{-21, 3000}));
  Timgbuffer big = image<std::int32_t>(kPixel32, {2000000000});
  EXPECT_THROW(big.cmult(2.0f), RangeError);
}

TEST(ImgbufferCmult, BytesAndFloatsAreRefused) {
  Timgbuffer bytes = image<std::uint8_t>(kPixel8, {10});
  EXPECT_FALSE(bytes.cmult(2.0f));
  EXPECT_EQ(bytes.getpixel(1, 1), 10);
  Timgbuffer floats = image<float>(kPixelFloat, {1.5f});
  EXPECT_FALSE(floats.cmult(2.0f));
  EXPECT_EQ(floats.dataFloat()[0], 1.5f);
}

TEST(ImgbufferWords, IntToWordShiftsSignedIntoUnsigned) {
  Timgbuffer img = image<std::int16_t>(kPixel16, {-32768, 0, 32767, -1});
  img.Wordmode = false;
  img.IntToWord(32768);
  EXPECT_EQ(stored<std::uint16_t>(img), (std::vector<std::uint16_t>{0, 32768, 65535, 32767}));
  EXPECT_FALSE(img.Wordmode);  // the caller sets it

  Timgbuffer clipped = image<std::int16_t>(kPixel16, {-5, 100});
  clipped.IntToWord(-50);
  EXPECT_EQ(stored<std::uint16_t>(clipped), (std::vector<std::uint16_t>{0, 50}));
  clipped.IntToWord(std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(stored<std::uint16_t>(clipped), (std::vector<std::uint16_t>{65535, 65535}));
}

TEST(ImgbufferWords, LongImagesConvertEveryPixel) {
  std::vector<std::int16_t> values(300);
  for (std::size_t i = 0; i < values.size(); ++i) {
    values[i] = static_cast<std::int16_t>(static_cast<int>(i) * 218 - 32768);
  }
  Timgbuffer img = image<std::int16_t>(kPixel16, values);
  img.IntToWord(20000);  // the lower third ends below 0
  const std::vector<std::uint16_t> words = stored<std::uint16_t>(img);
  for (std::size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(words[i], std::clamp(values[i] + 20000, 0, 65535)) << i;
  }
  img.swapbytes();
  const std::vector<std::uint16_t> swapped = stored<std::uint16_t>(img);
  for (std::size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(swapped[i], ((words[i] & 0xFF) << 8) | (words[i] >> 8)) << i;
  }
}

TEST(ImgbufferWords, WordtoIntShiftsUnsignedIntoSigned) {
  Timgbuffer img = image<std::uint16_t>(kPixel16, {0, 32768, 65535, 10});
  img.WordtoInt(32768);
  EXPECT_EQ(stored<std::int16_t>(img), (std::vector<std::int16_t>{-32768, 0, 32767, -32758}));
  Timgbuffer clipped = image<std::uint16_t>(kPixel16, {65535, 0});
  clipped.WordtoInt(std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(stored<std::int16_t>(clipped), (std::vector<std::int16_t>{32767, 32767}));
}

TEST(ImgbufferLongint, UnsignedConventionWrapsAround) {
  Timgbuffer img = image<std::int32_t>(kPixel32, {std::numeric_limits<std::int32_t>::min(),
                                                  std::numeric_limits<std::int32_t>::max(), -1});
  img.FitsToLongint(2147483648.0);
  EXPECT_EQ(stored<std::uint32_t>(img), (std::vector<std::uint32_t>{0u, 0xFFFFFFFFu, 0x7FFFFFFFu}));
}

TEST(ImgbufferLongint, SmallOffsetsAndOffsetsBeyond2Pow31) {
  Timgbuffer img = image<std::int32_t>(kPixel32, {10, -10});
  img.FitsToLongint(100.0);
  EXPECT_EQ(stored<std::int32_t>(img), (std::vector<std::int32_t>{110, 90}));
  img.FitsToLongint(2147483649.0);  // beyond the convention: nothing happens
  EXPECT_EQ(stored<std::int32_t>(img), (std::vector<std::int32_t>{110, 90}));
}

TEST(ImgbufferLongint, FloatsBecomeRoundedIntegers) {
  const float inf = std::numeric_limits<float>::infinity();
  Timgbuffer img = image<float>(kPixelFloat, {1.5f, 2.5f, -0.4f, std::nanf(""), inf, -inf});
  img.FitsToLongint(10.0);
  EXPECT_EQ(stored<std::int32_t>(img), (std::vector<std::int32_t>{12, 12, 10, 0, 0, 0}));
  EXPECT_EQ(img.bufferbyte, kPixelFloat);  // the caller sets the new type
}

TEST(ImgbufferLongint, FiniteFloatsOutside32BitsFail) {
  Timgbuffer img = image<float>(kPixelFloat, {3e9f});
  EXPECT_THROW(img.FitsToLongint(0.0), RangeError);
  Timgbuffer shifted = image<float>(kPixelFloat, {2.0e9f});
  EXPECT_THROW(shifted.FitsToLongint(2.0e9), RangeError);
}

}  // namespace
}  // namespace vargaze
