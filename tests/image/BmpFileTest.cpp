// BMP reading: channel bytes, row order of bottom-up and top-down files, row
// padding, colour-plane marks, the file time, and refusal of every file whose
// headers lie about its size or format.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "support/ImageFileBytes.h"
#include "image/FitsHeader.h"
#include "image/Imgbuffer.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

using Rgb = std::array<std::uint8_t, 3>;
using Picture = std::vector<std::vector<Rgb>>;  // rows top to bottom

struct BmpHeader {
  std::int32_t width = 0;
  std::int32_t height = 0;  // negative: top row stored first
  std::uint32_t infoSize = 40;
  std::uint16_t planes = 1;
  std::uint16_t bits = 24;
  std::uint32_t compression = 0;
  std::uint32_t dataOffset = 54;
};

std::string headers(const BmpHeader& h, std::uint32_t fileSize) {
  std::string out = "BM";
  test::putLe32(out, fileSize);
  test::putLe32(out, 0);
  test::putLe32(out, h.dataOffset);
  test::putLe32(out, h.infoSize);
  test::putLe32(out, static_cast<std::uint32_t>(h.width));
  test::putLe32(out, static_cast<std::uint32_t>(h.height));
  test::putLe16(out, h.planes);
  test::putLe16(out, h.bits);
  test::putLe32(out, h.compression);
  test::putLe32(out, 0);     // image size, may be 0 for uncompressed data
  test::putLe32(out, 2835);  // 72 dpi
  test::putLe32(out, 2835);
  test::putLe32(out, 0);
  test::putLe32(out, 0);
  return out;
}

// A complete 24-bit file: rows in file order with blue, green, red bytes and
// zero padding to 4 bytes.
std::string bmpFile(const Picture& picture, bool topDown = false) {
  BmpHeader h;
  h.width = static_cast<std::int32_t>(picture.front().size());
  h.height = static_cast<std::int32_t>(picture.size()) * (topDown ? -1 : 1);
  std::string pixels;
  for (std::size_t i = 0; i < picture.size(); ++i) {
    const auto& row = picture[topDown ? i : picture.size() - 1 - i];
    for (const Rgb& p : row) {
      pixels += static_cast<char>(p[2]);
      pixels += static_cast<char>(p[1]);
      pixels += static_cast<char>(p[0]);
    }
    while (pixels.size() % 4 != 0) pixels += '\0';
  }
  return headers(h, static_cast<std::uint32_t>(54 + pixels.size())) + pixels;
}

// Two rows of three pixels: red 10.., green 20.., blue 30.. on top, 40.. 50.. 60.. below.
const Picture kPicture = {
    {{10, 20, 30}, {11, 21, 31}, {12, 22, 32}},
    {{40, 50, 60}, {41, 51, 61}, {42, 52, 62}},
};

class BmpFileTest : public ::testing::Test {
 protected:
  std::string write(const std::string& bytes) {
    const std::string path = dir.file("picture.bmp");
    test::writeBytes(path, bytes);
    return path;
  }

  // Reading fails with a reason containing `reason`, and the buffer keeps its old image.
  void expectRefused(const std::string& bytes, const std::string& reason, int color = 1) {
    const std::string path = write(bytes);
    Timgbuffer img;
    img.init(1, 1, kPixel16);
    img.putpixel(1, 1, 4321);
    EXPECT_FALSE(img.ReadBMPfile(path, color));
    EXPECT_NE(img.readError.find(reason), std::string::npos) << img.readError;
    EXPECT_EQ(img.xsize, 1);
    EXPECT_EQ(img.getpixel(1, 1), 4321);
  }

  test::TempDir dir;
};

TEST_F(BmpFileTest, EachChannelWithTheBottomRowAsLineOne) {
  const std::string path = write(bmpFile(kPicture));
  const int base[] = {0, 40, 50, 60};  // bottom row values of red, green, blue
  for (int color = 1; color <= 3; ++color) {
    Timgbuffer img;
    ASSERT_TRUE(img.ReadBMPfile(path, color)) << img.readError;
    EXPECT_EQ(img.xsize, 3);
    EXPECT_EQ(img.ysize, 2);
    EXPECT_EQ(img.bufferbyte, kPixel16);
    for (int x = 1; x <= 3; ++x) {
      EXPECT_EQ(img.getpixel(x, 1), base[color] + x - 1) << "colour " << color;
      EXPECT_EQ(img.getpixel(x, 2), base[color] - 30 + x - 1) << "colour " << color;
    }
    EXPECT_EQ(img.bufferMin, base[color] - 30);
    EXPECT_EQ(img.bufferMax, base[color] + 2);
    EXPECT_EQ(img.filename, path);
    EXPECT_TRUE(img.readError.empty());
  }
}

TEST_F(BmpFileTest, TopDownFileGivesTheSameImage) {
  Timgbuffer bottomUp;
  Timgbuffer topDown;
  ASSERT_TRUE(bottomUp.ReadBMPfile(write(bmpFile(kPicture)), 2));
  ASSERT_TRUE(topDown.ReadBMPfile(write(bmpFile(kPicture, true)), 2));
  for (int y = 1; y <= 2; ++y) {
    for (int x = 1; x <= 3; ++x) EXPECT_EQ(topDown.getpixel(x, y), bottomUp.getpixel(x, y));
  }
  EXPECT_EQ(topDown.getpixel(1, 1), 50);
}

TEST_F(BmpFileTest, RowPaddingForEveryWidth) {
  // Widths 1 to 5 need 1, 2, 3, 0 and 1 padding bytes per row.
  for (int width = 1; width <= 5; ++width) {
    Picture picture(3, std::vector<Rgb>(static_cast<std::size_t>(width)));
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < width; ++x) {
        picture[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = {
            static_cast<std::uint8_t>(100 + 10 * y + x), 0, 0};
      }
    }
    Timgbuffer img;
    ASSERT_TRUE(img.ReadBMPfile(write(bmpFile(picture)), 1)) << img.readError;
    ASSERT_EQ(img.xsize, width);
    for (int y = 1; y <= 3; ++y) {
      for (int x = 1; x <= width; ++x) {
        EXPECT_EQ(img.getpixel(x, y), 100 + 10 * (3 - y) + x - 1) << width << ": " << x << "," << y;
      }
    }
  }
}

TEST_F(BmpFileTest, ColourPlaneMarksAndNoUserFlip) {
  const std::string path = write(bmpFile(kPicture));
  const char* names[] = {"", "TR", "TG", "TB"};
  const int codes[] = {0, 8, 7, 6};
  for (int color = 1; color <= 3; ++color) {
    Timgbuffer img;
    ASSERT_TRUE(img.ReadBMPfile(path, color));
    EXPECT_EQ(img.FilterName, names[color]);
    EXPECT_EQ(img.FilterType, codes[color]);
    EXPECT_EQ(img.OBSTYPE, "DSLR");
    EXPECT_FALSE(img.Flipped);
    EXPECT_EQ(getFitskeyString(img.fitsheader, "FILTER"), names[color]);
  }
}

TEST_F(BmpFileTest, HeaderCardsDescribeTheImage) {
  Timgbuffer img;
  ASSERT_TRUE(img.ReadBMPfile(write(bmpFile(kPicture)), 1));
  bool error = false;
  EXPECT_EQ(getFitskeyInteger(img.fitsheader, "NAXIS1", error), 3);
  EXPECT_EQ(getFitskeyInteger(img.fitsheader, "NAXIS2", error), 2);
  EXPECT_EQ(getFitskeyInteger(img.fitsheader, "BITPIX", error), 16);
  EXPECT_FALSE(error);
}

TEST_F(BmpFileTest, TimeFromTheModificationTimeInUtc) {
  const std::string path = write(bmpFile(kPicture));
  test::setModificationTime(path, test::kOct5Seconds, 250'000);
  Timgbuffer img;
  ASSERT_TRUE(img.ReadBMPfile(path, 1));
  EXPECT_EQ(img.Datetime, "2023-10-05T21:13:45.250");
  EXPECT_NEAR(img.JDstart, test::kOct5JD, 1e-8);
}

TEST_F(BmpFileTest, NothingOfAnEarlierFrameRemains) {
  Timgbuffer img;
  img.Instrument = "old camera";
  img.Airmass = 1.7;
  img.Exposure = 30.0;
  img.Flipped = true;
  ASSERT_TRUE(img.ReadBMPfile(write(bmpFile(kPicture)), 1));
  EXPECT_EQ(img.Instrument, "");
  EXPECT_EQ(img.Airmass, -1.0);
  EXPECT_EQ(img.Exposure, 0.0);
  EXPECT_FALSE(img.Flipped);
}

TEST_F(BmpFileTest, LastRowWithoutItsPaddingIsRead) {
  std::string bytes = bmpFile(kPicture);  // 3 padding bytes end the file
  bytes.resize(bytes.size() - 3);
  Timgbuffer img;
  ASSERT_TRUE(img.ReadBMPfile(write(bytes), 3)) << img.readError;
  EXPECT_EQ(img.getpixel(3, 2), 32);
}

TEST_F(BmpFileTest, OtherBitDepthsAndCompressionAreRefused) {
  for (const int bits : {1, 4, 8, 16, 32}) {
    BmpHeader h{3, 2};
    h.bits = static_cast<std::uint16_t>(bits);
    expectRefused(headers(h, 54) + std::string(64, '\0'), "only 24-bit");
  }
  BmpHeader rle{3, 2};
  rle.compression = 1;
  expectRefused(headers(rle, 54) + std::string(64, '\0'), "compressed");
  BmpHeader planes{3, 2};
  planes.planes = 0;
  expectRefused(headers(planes, 54) + std::string(64, '\0'), "planes");
}

TEST_F(BmpFileTest, LyingSizesAreRefusedBeforeAllocating) {
  const std::string tail(64, '\0');
  expectRefused(headers({3, 0}, 54) + tail, "no image data");
  expectRefused(headers({-3, 2}, 54) + tail, "no image data");
  expectRefused(headers({0, 2}, 54) + tail, "no image data");
  expectRefused(headers({100000, 100000}, 54) + tail, "image too large");
  expectRefused(headers({1, INT32_MIN}, 54) + tail, "image too large");
  expectRefused(headers({INT32_MAX, -INT32_MAX}, 54) + tail, "image too large");
  // 1000 x 1000 announced, a few bytes present.
  expectRefused(headers({1000, 1000}, 54) + tail, "truncated data");
  expectRefused(headers({1000, -1000}, 54) + tail, "truncated data");
}

TEST_F(BmpFileTest, TruncatedOrMisplacedPixelData) {
  const std::string whole = bmpFile(kPicture);
  expectRefused(whole.substr(0, whole.size() - 4), "truncated data");
  expectRefused(whole.substr(0, 54), "truncated data");
  BmpHeader farAway{3, 2};
  farAway.dataOffset = 0xFFFFFFF0u;
  expectRefused(headers(farAway, 0) + whole.substr(54), "truncated data");
  BmpHeader inside{3, 2};
  inside.dataOffset = 20;
  expectRefused(headers(inside, 0) + whole.substr(54), "inside the headers");
}

TEST_F(BmpFileTest, NotABmpAtAll) {
  expectRefused("", "shorter than its headers");
  expectRefused("BM", "shorter than its headers");
  std::string png = bmpFile(kPicture);
  png[0] = '\x89';
  expectRefused(png, "no BM signature");
  BmpHeader os2{3, 2};
  os2.infoSize = 12;
  expectRefused(headers(os2, 0) + std::string(64, '\0'), "unsupported BMP header");
  BmpHeader huge{3, 2};
  huge.infoSize = 0xFFFFFFFFu;
  expectRefused(headers(huge, 0) + std::string(64, '\0'), "inside the headers");
}

TEST_F(BmpFileTest, ChannelOutsideOneToThree) {
  expectRefused(bmpFile(kPicture), "colour channel", 0);
  expectRefused(bmpFile(kPicture), "colour channel", 4);
}

TEST_F(BmpFileTest, MissingFileOrFolder) {
  Timgbuffer img;
  EXPECT_FALSE(img.ReadBMPfile(dir.file("absent.bmp"), 1));
  EXPECT_EQ(img.readError, "file not found");
  EXPECT_FALSE(img.ReadBMPfile(dir.path().string(), 1));
  EXPECT_EQ(img.readError, "not a regular file");
  EXPECT_FALSE(img.hasImage());
}

}  // namespace
}  // namespace vargaze
