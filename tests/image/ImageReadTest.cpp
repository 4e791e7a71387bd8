// Reading images: one test picture through every reader (FITS, BMP, PPM),
// then what only FITS files carry: stored values and their conversions,
// header metadata, dates and colour planes. Files are built byte by byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "image/Imgbuffer.h"
#include "support/FitsBuilder.h"
#include "support/ImageFileBytes.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

using test::FitsBuilder;
using test::pictureValue;

const test::Sample kAsIs = [](int v) { return v; };
const test::Sample kWide = [](int v) { return v * 300 + 7; };  // high and low bytes differ

struct Format {
  const char* name;
  char kind;  // 'F' FITS (arg: BZERO), 'B' BMP (arg: 1 top-down), 'P' PPM (arg: maximum value)
  int bitpix;  // of the file, or of the header a colour file gets
  int arg;
  test::Sample sample;
  std::int32_t bufferbyte;
  const char* sizeSeparator = " ";
};

std::string encode(const Format& f, int width) {
  if (f.kind == 'F') return test::fitsPicture(f.bitpix, width, f.arg, f.sample);
  if (f.kind == 'P') return test::ppmPicture(width, f.arg, f.sample, f.sizeSeparator);
  std::string bytes = test::bmpPicture(width, f.arg == 1);
  // The last row of the top-down file comes without its padding.
  if (f.arg == 1) bytes.resize(bytes.size() - (4 - width * 3 % 4) % 4);
  return bytes;
}

bool read(const Format& f, Timgbuffer& img, const std::string& path, int channel) {
  if (f.kind == 'F') return img.Readfitsfile(path);
  return f.kind == 'B' ? img.ReadBMPfile(path, channel) : img.ReadPPMfile(path, channel);
}

const Format kFormats[] = {
    {"FitsUnsignedWords", 'F', 16, 32768, kWide, kPixel16},
    {"FitsSignedWords", 'F', 16, 0, [](int v) { return v * 150; }, kPixel16},
    {"FitsBytes", 'F', 8, 0, kAsIs, kPixel8},
    {"FitsLongs", 'F', 32, 0, [](int v) { return v * 100000 + 7; }, kPixel32},
    {"BmpBottomUp", 'B', 16, 0, kAsIs, kPixel16},
    {"BmpTopDown", 'B', 16, 1, kAsIs, kPixel16},
    {"PpmBytes", 'P', 8, 255, kAsIs, kPixel8, "   "},
    {"PpmWords", 'P', 16, 65535, kWide, kPixel16},
    {"PpmWordsMax256", 'P', 16, 256, kWide, kPixel16, ","},  // the first two-byte maximum
};

class ImageReadTest : public ::testing::TestWithParam<Format> {
 protected:
  test::TempDir dir;
};

// Widths 1 to 5 give BMP rows every padding from 0 to 3 bytes.
TEST_P(ImageReadTest, TestPictureLineByLine) {
  const Format& f = GetParam();
  Timgbuffer img;  // used again and again: nothing of an earlier frame may remain
  for (int width = 1; width <= 5; ++width) {
    const std::string path = dir.file("picture" + std::to_string(width));
    test::writeBytes(path, encode(f, width));
    test::setModificationTime(path, test::kOct5Seconds, 250'000);
    const bool colour = f.kind != 'F';
    for (int c = 1; c <= (colour ? 3 : 1); ++c) {
      SCOPED_TRACE("width " + std::to_string(width) + ", channel " + std::to_string(c));
      img.Instrument = img.ISOspeed = img.FilterName = "old";
      img.Airmass = img.Exposure = 1.7;
      img.Flipped = true;
      ASSERT_TRUE(read(f, img, path, c)) << img.readError;
      ASSERT_EQ(img.xsize, width);
      ASSERT_EQ(img.ysize, test::kPictureHeight);
      EXPECT_EQ(img.bufferbyte, f.bufferbyte);
      for (int y = 1; y <= img.ysize; ++y)
        for (int x = 1; x <= width; ++x)
          EXPECT_EQ(img.getpixel(x, y), f.sample(pictureValue(x, y, c))) << x << "," << y;
      EXPECT_EQ(img.bufferMin, f.sample(pictureValue(1, 1, c)));
      EXPECT_EQ(img.bufferMax, f.sample(pictureValue(width, test::kPictureHeight, c)));
      EXPECT_EQ(std::tuple(img.Offset1, img.filename, img.readError), std::tuple(0.0, path, ""));
      bool error = false;
      EXPECT_EQ(getFitskeyInteger(img.fitsheader, "NAXIS1", error), width);
      EXPECT_EQ(getFitskeyInteger(img.fitsheader, "NAXIS2", error), test::kPictureHeight);
      EXPECT_EQ(getFitskeyInteger(img.fitsheader, "BITPIX", error), f.bitpix);
      EXPECT_FALSE(error);
      EXPECT_EQ(std::tuple(img.Instrument + img.ISOspeed, img.Airmass, img.Exposure, img.Flipped),
                std::tuple("", -1.0, 0.0, false));
      const char* const planeNames[] = {"TR", "TG", "TB"};
      const std::string filter = colour ? planeNames[c - 1] : "";
      EXPECT_EQ(img.FilterName, filter);
      EXPECT_EQ(getFitskeyString(img.fitsheader, "FILTER"), filter);
      EXPECT_EQ(img.FilterType, colour ? 9 - c : -1);
      EXPECT_EQ(img.OBSTYPE, colour ? "DSLR" : "CCD");
      // Colour files carry no date: the file time is taken, in UTC.
      EXPECT_EQ(img.Datetime, colour ? "2023-10-05T21:13:45.250" : "date?");
      EXPECT_NEAR(img.JDstart, colour ? test::kOct5JD : 0.0, 1e-8);
      EXPECT_EQ(getFitskeyString(img.fitsheader, "DATE-OBS"), colour ? img.Datetime : "");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, ImageReadTest, ::testing::ValuesIn(kFormats),
                         [](const auto& p) { return p.param.name; });

using Cards = std::vector<std::pair<const char*, const char*>>;

class FitsReadTest : public ::testing::Test {
 protected:
  bool read(int bitpix, const Cards& cards, const std::vector<double>& stored) {
    FitsBuilder f(bitpix, static_cast<int>(stored.size()), 1);
    for (const auto& [key, value] : cards) f.card(key, value);
    const std::string path = dir.file("frame.fit");
    test::writeBytes(path, f.pixels(stored).bytes());
    return img.Readfitsfile(path);
  }

  test::TempDir dir;
  Timgbuffer img;
};

// Stored values become physical ones (BZERO + BSCALE * stored) in the buffer's
// types; images with negative values are shifted up, Offset1 keeping the shift.
TEST_F(FitsReadTest, StoredValuesBecomePixels) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* what;
    int bitpix;
    Cards cards;
    std::vector<double> stored;
    std::vector<int> pixels;  // as read, Offset1 included
    double offset;
    std::int32_t bufferbyte;
  };
  const Case cases[] = {
      {"unsigned words", 16, {{"BZERO", "32768"}}, {-32768, 0, 32767}, {0, 32768, 65535}, 0,
       kPixel16},
      {"negative words", 16, {}, {-100, 0, 500}, {0, 100, 600}, 100, kPixel16},
      {"positive signed words", 16, {}, {7, 32767}, {7, 32767}, 0, kPixel16},
      // Stored -300 is physical -200, which must not be cut to 0.
      {"BZERO below zero", 16, {{"BZERO", "100"}}, {-300, 0, 1000}, {0, 300, 1300}, 200, kPixel16},
      {"bytes", 8, {}, {3, 200, 17, 255}, {3, 200, 17, 255}, 0, kPixel8},
      {"unsigned longs", 32, {{"BZERO", "2147483648"}},
       {-2147483648.0, -2147483548.0, -2147413648.0}, {0, 100, 70000}, 0, kPixel32},
      // Rounded ties to even (-2, 10, 10, 1001), then shifted by 2.
      {"floats", -32, {}, {-2.5, 10.4, 10.5, 1000.75}, {0, 12, 12, 1003}, 2, kPixel32},
      {"not finite floats", -32, {}, {nan, 5.0, inf}, {0, 5, 0}, 0, kPixel32},
      {"scaled words", 16, {{"BSCALE", "2.0"}, {"BZERO", "1000"}}, {10, 21}, {1020, 1042}, 0,
       kPixel16},
      {"scaled floats", -32, {{"BSCALE", "0.5"}}, {10, 21}, {5, 10}, 0, kPixel32},
      {"BSCALE 0 ignored", 16, {{"BSCALE", "0"}}, {4}, {4}, 0, kPixel16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(read(c.bitpix, c.cards, c.stored)) << img.readError;
    for (int x = 1; x <= img.xsize; ++x) EXPECT_EQ(img.getpixel(x, 1), c.pixels[x - 1]) << x;
    EXPECT_EQ(std::tuple(img.xsize, img.Offset1, img.bufferbyte),
              std::tuple(int(c.pixels.size()), c.offset, c.bufferbyte));
    EXPECT_EQ(img.bufferMin, *std::min_element(c.pixels.begin(), c.pixels.end()));
    EXPECT_EQ(img.bufferMax, *std::max_element(c.pixels.begin(), c.pixels.end()));
    EXPECT_TRUE(img.Wordmode || c.bufferbyte != kPixel16);  // every word is >= 0 now
  }
}

TEST_F(FitsReadTest, MetadataCards) {
  Cards cards = {{"EXP_TIME", "12.25"},  {"EXPOSURE", "abc"},  // unreadable: 12.25 stays
                 {"FILTER", "' v      '"}, {"XBINNING", "2"},
                 {"YBINNING", "3"},        {"AIRMASS", "'1.5'"},
                 {"PIXSCALE", "1.25 / arcsec per pixel"}};
  cards.resize(cards.size() + 40, {"HISTORY", "filler"});  // 52 cards + END: two blocks
  ASSERT_TRUE(read(16, cards, {5}));
  EXPECT_EQ(std::tuple(img.Exposure, img.FilterName, img.FilterType, img.Xbinning, img.Ybinning),
            std::tuple(12.25, " v      ", 3, 2, 3));
  EXPECT_EQ(std::tuple(img.Airmass, img.PixScale), std::tuple(1.5, 1.25));
  EXPECT_EQ(std::tuple(img.headerlines, img.imageblock, img.getpixel(1, 1)),
            std::tuple(53, 2 * 2880, 5));

  const std::pair<const char*, int> filters[] = {{"'Clear'", 0}, {"'B'", 2},  {"'V'", 3},
                                                 {"'G'", 3},     {"'R'", 4},  {"'I'", 5},
                                                 {"'TB'", 6},    {"'TG'", 7}, {"'TR'", 8},
                                                 {"'None'", -1}, {"'Ha'", -1}};
  for (const auto& [value, code] : filters) {
    ASSERT_TRUE(read(16, {{"FILTER", value}}, {1}));
    EXPECT_EQ(img.FilterType, code) << value;
    EXPECT_EQ(img.OBSTYPE, code >= 6 ? "DSLR" : "CCD") << value;
  }
}

TEST_F(FitsReadTest, DateForms) {
  const std::pair<Cards, const char*> cases[] = {
      {{{"DATE-OBS", "'2023-10-05T21:13:45.5'"}}, "2023-10-05T21:13:45.500"},
      {{{"DATE-OBS", "'05/10/23'"}, {"TIME-OBS", "'21:13:45'"}}, "2023-10-05T21:13:45.000"},
      {{{"DATE", "'2023-10-05T21:13:45'"}}, "2023-10-05T21:13:45.000"},
      {{{"TIMESTMP", "'05/10/2023 21:13:45.25'"}}, "2023-10-05T21:13:45.250"},
      // DATE-OBS wins over DATE, UT over TIME.
      {{{"DATE", "'2001-01-01T00:00:00'"}, {"DATE-OBS", "'2013-07-13'"}, {"UT", "'00:57:33'"},
        {"TIME", "'11:11:11'"}},
       "2013-07-13T00:57:33.000"},
  };
  for (const auto& [cards, datetime] : cases) {
    ASSERT_TRUE(read(16, cards, {1}));
    EXPECT_EQ(img.Datetime, datetime);
  }
}

TEST_F(FitsReadTest, RgbCubeReadsOnePlaneAtATime) {
  FitsBuilder f(16, 2, 1, 3);
  f.card("CSPACE", "'RGB'").card("BZERO", "32768");
  f.pixels({1 - 32768, 2 - 32768, 10 - 32768, 20 - 32768, 100 - 32768, 200 - 32768});
  test::writeBytes(dir.file("rgb.fit"), f.bytes());
  ASSERT_TRUE(img.Readfitsfile(dir.file("rgb.fit")));
  EXPECT_EQ(std::tuple(img.colorimages, img.xsize), std::tuple(3, 0));
  const std::tuple<int, int, const char*> planes[] = {
      {1, 2, "TR"}, {10, 20, "TG"}, {100, 200, "TB"}};
  for (int color = 1; color <= 3; ++color) {
    std::unique_ptr<Timgbuffer> p;
    ASSERT_TRUE(img.Readcolorfits(color, p)) << img.readError;
    const auto& [left, right, name] = planes[color - 1];
    EXPECT_EQ(std::tuple(p->xsize, p->ysize, p->getpixel(1, 1), p->getpixel(2, 1), p->FilterName),
              std::tuple(2, 1, left, right, name));
    EXPECT_EQ(std::tuple(p->FilterType, p->OBSTYPE, p->Wordmode),
              std::tuple(9 - color, "DSLR", true));
  }
  std::unique_ptr<Timgbuffer> plane;
  for (const int outside : {0, 4}) {
    EXPECT_FALSE(img.Readcolorfits(outside, plane));
    EXPECT_EQ(img.readError, "colour plane must be 1, 2 or 3");
  }
}

}  // namespace
}  // namespace vargaze
