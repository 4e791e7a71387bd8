// PPM reading: 8-bit and 16-bit big-endian samples of each channel, the
// three-line header within 20 bytes, marks and time, and refusal of text PPM
// files, lying sizes and data shorter than announced.
#include <gtest/gtest.h>

#include <string>

#include "support/ImageFileBytes.h"
#include "image/FitsHeader.h"
#include "image/Imgbuffer.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

// 2 x 2 pixels, 16-bit: sample s (0..11, in file order) is 0x0100 * (s + 1) + s.
std::string wideSamples() {
  std::string data;
  for (int s = 0; s < 12; ++s) {
    data += static_cast<char>(s + 1);
    data += static_cast<char>(s);
  }
  return data;
}
int wideSample(int s) {
  return 256 * (s + 1) + s;
}

// 3 x 2 pixels, 8-bit: sample s is 10 * s + 5.
std::string narrowSamples() {
  std::string data;
  for (int s = 0; s < 18; ++s) data += static_cast<char>(10 * s + 5);
  return data;
}

class PpmFileTest : public ::testing::Test {
 protected:
  std::string write(const std::string& bytes) {
    const std::string path = dir.file("frame.ppm");
    test::writeBytes(path, bytes);
    return path;
  }

  void expectRefused(const std::string& bytes, const std::string& reason, int color = 1) {
    const std::string path = write(bytes);
    Timgbuffer img;
    img.init(1, 1, kPixel16);
    img.putpixel(1, 1, 4321);
    EXPECT_FALSE(img.ReadPPMfile(path, color)) << bytes.substr(0, 20);
    EXPECT_NE(img.readError.find(reason), std::string::npos) << img.readError;
    EXPECT_EQ(img.xsize, 1);
    EXPECT_EQ(img.getpixel(1, 1), 4321);
  }

  test::TempDir dir;
};

TEST_F(PpmFileTest, SixteenBitSamplesOfEachChannel) {
  const std::string path = write("P6\n2 2\n65535\n" + wideSamples());
  for (int color = 1; color <= 3; ++color) {
    Timgbuffer img;
    ASSERT_TRUE(img.ReadPPMfile(path, color)) << img.readError;
    EXPECT_EQ(img.bufferbyte, kPixel16);
    EXPECT_TRUE(img.Wordmode);
    ASSERT_EQ(img.xsize, 2);
    ASSERT_EQ(img.ysize, 2);
    // Pixel (x, y) holds samples of file pixel (y - 1) * 2 + (x - 1): first line first.
    for (int y = 1; y <= 2; ++y) {
      for (int x = 1; x <= 2; ++x) {
        const int s = ((y - 1) * 2 + (x - 1)) * 3 + color - 1;
        EXPECT_EQ(img.getpixel(x, y), wideSample(s)) << color << ": " << x << "," << y;
      }
    }
    EXPECT_EQ(img.bufferMin, wideSample(color - 1));
    EXPECT_EQ(img.bufferMax, wideSample(9 + color - 1));
  }
}

TEST_F(PpmFileTest, EightBitSamplesOfEachChannel) {
  const std::string path = write("P6\n3 2\n255\n" + narrowSamples());
  for (int color = 1; color <= 3; ++color) {
    Timgbuffer img;
    ASSERT_TRUE(img.ReadPPMfile(path, color)) << img.readError;
    EXPECT_EQ(img.bufferbyte, kPixel8);
    for (int y = 1; y <= 2; ++y) {
      for (int x = 1; x <= 3; ++x) {
        const int s = ((y - 1) * 3 + (x - 1)) * 3 + color - 1;
        EXPECT_EQ(img.getpixel(x, y), 10 * s + 5);
      }
    }
  }
}

TEST_F(PpmFileTest, SampleWidthFollowsTheMaximumValue) {
  Timgbuffer img;
  // 255 is the last one-byte maximum, 256 the first two-byte one.
  ASSERT_TRUE(img.ReadPPMfile(write("P6\n3 2\n255\n" + narrowSamples()), 1));
  EXPECT_EQ(img.bufferbyte, kPixel8);
  ASSERT_TRUE(img.ReadPPMfile(write("P6\n2 2\n256\n" + wideSamples()), 1));
  EXPECT_EQ(img.bufferbyte, kPixel16);
  EXPECT_EQ(img.getpixel(1, 1), 256);
}

TEST_F(PpmFileTest, CameraSizedFramesOfBothWidths) {
  Timgbuffer img;
  ASSERT_TRUE(
      img.ReadPPMfile(write("P6\n640 480\n65535\n" + std::string(640 * 480 * 6, '\x7f')), 2));
  EXPECT_EQ(img.xsize, 640);
  EXPECT_EQ(img.ysize, 480);
  EXPECT_EQ(img.bufferbyte, kPixel16);
  EXPECT_EQ(img.getpixel(640, 480), 0x7f7f);
  ASSERT_TRUE(img.ReadPPMfile(write("P6\n640 480\n255\n" + std::string(640 * 480 * 3, '\x7f')), 2));
  EXPECT_EQ(img.xsize, 640);
  EXPECT_EQ(img.ysize, 480);
  EXPECT_EQ(img.bufferbyte, kPixel8);
  EXPECT_EQ(img.getpixel(640, 480), 0x7f);
}

TEST_F(PpmFileTest, SizeSeparatedByACommaOrSeveralBlanks) {
  Timgbuffer img;
  ASSERT_TRUE(img.ReadPPMfile(write("P6\n2,2\n65535\n" + wideSamples()), 3)) << img.readError;
  EXPECT_EQ(img.getpixel(2, 2), wideSample(11));
  ASSERT_TRUE(img.ReadPPMfile(write("P6\n2   2\n65535\n" + wideSamples()), 3)) << img.readError;
  EXPECT_EQ(img.getpixel(2, 2), wideSample(11));
}

TEST_F(PpmFileTest, MarksHeaderAndTime) {
  const std::string path = write("P6\n2 2\n65535\n" + wideSamples());
  test::setModificationTime(path, test::kOct5Seconds, 250'000);
  const char* names[] = {"", "TR", "TG", "TB"};
  const int codes[] = {0, 8, 7, 6};
  for (int color = 1; color <= 3; ++color) {
    Timgbuffer img;
    ASSERT_TRUE(img.ReadPPMfile(path, color));
    EXPECT_EQ(img.FilterName, names[color]);
    EXPECT_EQ(img.FilterType, codes[color]);
    EXPECT_EQ(img.OBSTYPE, "DSLR");
    EXPECT_EQ(img.filename, path);
    EXPECT_EQ(img.Datetime, "2023-10-05T21:13:45.250");
    EXPECT_NEAR(img.JDstart, test::kOct5JD, 1e-8);
    EXPECT_EQ(getFitskeyString(img.fitsheader, "FILTER"), names[color]);
    EXPECT_EQ(getFitskeyString(img.fitsheader, "DATE-OBS"), "2023-10-05T21:13:45.250");
    bool error = false;
    EXPECT_EQ(getFitskeyInteger(img.fitsheader, "NAXIS1", error), 2);
    EXPECT_EQ(getFitskeyInteger(img.fitsheader, "BITPIX", error), 16);
    EXPECT_FALSE(error);
  }
}

TEST_F(PpmFileTest, NothingOfAnEarlierFrameRemains) {
  Timgbuffer img;
  img.Instrument = "old camera";
  img.ISOspeed = "800";
  img.Airmass = 1.7;
  ASSERT_TRUE(img.ReadPPMfile(write("P6\n2 2\n65535\n" + wideSamples()), 1));
  EXPECT_EQ(img.Instrument, "");
  EXPECT_EQ(img.ISOspeed, "");
  EXPECT_EQ(img.Airmass, -1.0);
}

TEST_F(PpmFileTest, OtherKindsOfFileAreRefused) {
  expectRefused("P3\n2 2\n255\n1 2 3 4 5 6 7 8 9 10 11 12\n", "P3");
  expectRefused("P5\n2 2\n255\n1234", "no P6");
  expectRefused("", "no P6");
  expectRefused("P", "no P6");
  expectRefused("BM" + std::string(60, '\0'), "no P6");
}

TEST_F(PpmFileTest, HeadersOutsideTheTwentyBytesAreRefused) {
  expectRefused("P6\n# dcraw\n2 2\n65535\n" + wideSamples(), "PPM size not read");
  expectRefused("P6\n", "three lines within 20 bytes");
  expectRefused("P6\n2 2\n65535", "three lines within 20 bytes");
  // The third line feed is byte 21.
  expectRefused("P6\n12000  10000\n65535\n" + std::string(64, '\0'), "three lines within 20 bytes");
}

TEST_F(PpmFileTest, SizesThatAreNotPositiveIntegers) {
  const std::string data = wideSamples();
  expectRefused("P6\nabc 2\n65535\n" + data, "PPM size not read");
  expectRefused("P6\n2\n65535\n" + data, "PPM size not read");
  expectRefused("P6\n-2 2\n65535\n" + data, "PPM size not read");
  expectRefused("P6\n2 +2\n65535\n" + data, "PPM size not read");
  expectRefused("P6\n0 2\n65535\n" + data, "PPM size not read");
  expectRefused("P6\n2 2.5\n65535\n" + data, "PPM size not read");
  expectRefused("P6\n4294967298 1\n1\n", "PPM size not read");
}

TEST_F(PpmFileTest, MaximumValuesOutOfRange) {
  const std::string data = wideSamples();
  expectRefused("P6\n2 2\n0\n" + data, "maximum value");
  expectRefused("P6\n2 2\n65536\n" + data, "maximum value");
  expectRefused("P6\n2 2\n99999999\n" + data, "maximum value");
  expectRefused("P6\n2 2\nx\n" + data, "maximum value");
  expectRefused("P6\n2 2\n\n" + data, "maximum value");
}

TEST_F(PpmFileTest, LyingSizesAreRefusedBeforeAllocating) {
  expectRefused("P6\n100000 100000\n1\n" + narrowSamples(), "image too large");
  expectRefused("P6\n2147483647 9\n1\n" + narrowSamples(), "image too large");
  expectRefused("P6\n10000 10000\n255\n" + narrowSamples(), "truncated data");
  expectRefused("P6\n9999 9999\n65535\n" + wideSamples(), "truncated data");
}

TEST_F(PpmFileTest, DataShorterThanAnnouncedByOneByte) {
  const std::string wide = "P6\n2 2\n65535\n" + wideSamples();
  expectRefused(wide.substr(0, wide.size() - 1), "truncated data");
  const std::string narrow = "P6\n3 2\n255\n" + narrowSamples();
  expectRefused(narrow.substr(0, narrow.size() - 1), "truncated data");
}

TEST_F(PpmFileTest, ChannelOutsideOneToThreeAndMissingFiles) {
  expectRefused("P6\n2 2\n65535\n" + wideSamples(), "colour channel", 0);
  expectRefused("P6\n2 2\n65535\n" + wideSamples(), "colour channel", 4);
  Timgbuffer img;
  EXPECT_FALSE(img.ReadPPMfile(dir.file("absent.ppm"), 1));
  EXPECT_EQ(img.readError, "file not found");
  EXPECT_FALSE(img.ReadPPMfile(dir.path().string(), 1));
  EXPECT_EQ(img.readError, "not a regular file");
}

}  // namespace
}  // namespace vargaze
