// Reading images: one test picture through every reader (FITS, BMP, PPM),
// then what only FITS files carry: stored values and their conversions,
// header metadata, dates and colour planes; then the files every reader
// refuses. Files are built byte by byte.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <ctime>
#include <fstream>
#include <functional>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "image/Imgbuffer.h"
#include "support/FaultInjection.h"
#include "support/FitsBuilder.h"
#include "support/ImageFileBytes.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

using test::FitsBuilder;

// 'F' FITS, 'B' BMP, 'P' PPM; `channel` is for the colour files only.
bool readAs(char kind, Timgbuffer& img, const std::string& path, int channel = 1) {
  if (kind == 'F') return img.Readfitsfile(path);
  return kind == 'B' ? img.ReadBMPfile(path, channel) : img.ReadPPMfile(path, channel);
}

// The test picture: width x 3 pixels; channel c (1 red, 2 green, 3 blue) of
// column x, line y holds 60 c + 10 (y - 1) + x, all different and below 256.
// A format's `sample` turns that into the stored sample.
constexpr int kHeight = 3;
int pictureValue(int x, int y, int c) { return 60 * c + 10 * (y - 1) + x; }
using Sample = std::function<int(int value)>;

// A binary PPM; samples of two bytes, high byte first, when `maxValue` >= 256.
std::string ppmPicture(int width, int maxValue, const Sample& sample, const char* sep = " ") {
  std::string out = "P6\n" + std::to_string(width) + sep + std::to_string(kHeight) + "\n" +
                    std::to_string(maxValue) + "\n";
  for (int y = 1; y <= kHeight; ++y) {
    for (int x = 1; x <= width; ++x) {
      for (int c = 1; c <= 3; ++c) {
        const int s = sample(pictureValue(x, y, c));
        if (maxValue >= 256) out += static_cast<char>(s >> 8);
        out += static_cast<char>(s & 0xFF);
      }
    }
  }
  return out;
}

struct BmpHeader {
  std::int32_t width = 0;
  std::int32_t height = 0;  // negative: top row stored first
  std::uint32_t infoSize = 40;
  std::uint16_t planes = 1;
  std::uint16_t bits = 24;
  std::uint32_t compression = 0;
  std::uint32_t dataOffset = 54;
};

// The 14-byte file header and the 40-byte information header.
std::string bmpHeaders(const BmpHeader& h) {
  std::string out = "BM";
  for (std::uint32_t v : {0u, 0u, h.dataOffset, h.infoSize, std::uint32_t(h.width),
                          std::uint32_t(h.height), h.planes | std::uint32_t(h.bits) << 16,
                          h.compression, 0u, 2835u, 2835u, 0u, 0u})
    test::putLe32(out, v);
  return out;
}

// A 24-bit BMP: blue, green, red bytes, rows padded to 4 bytes. Line 1 is the
// picture's bottom row, stored first unless `topDown`.
std::string bmpPicture(int width, bool topDown) {
  std::string out = bmpHeaders({width, topDown ? -kHeight : kHeight});
  for (int row = 1; row <= kHeight; ++row) {
    const int y = topDown ? kHeight + 1 - row : row;
    for (int x = 1; x <= width; ++x)
      for (int c = 3; c >= 1; --c) out += static_cast<char>(pictureValue(x, y, c));
    out.resize(out.size() + (4 - width * 3 % 4) % 4, '\0');
  }
  return out;
}

const Sample kAsIs = [](int v) { return v; };
const Sample kWide = [](int v) { return v * 300 + 7; };  // high and low bytes differ

struct Format {
  const char* name;
  char kind;
  int bitpix;  // of the file, or of the header a colour file gets
  int arg;     // FITS: BZERO, BMP: 1 top-down, PPM: maximum value
  Sample sample;
  std::int32_t bufferbyte;
  const char* sizeSeparator = " ";
};

std::string encode(const Format& f, int width) {
  if (f.kind == 'P') return ppmPicture(width, f.arg, f.sample, f.sizeSeparator);
  if (f.kind == 'F') {  // channel 1, line 1 stored first
    FitsBuilder fits(f.bitpix, width, kHeight);
    if (f.arg != 0) fits.card("BZERO", std::to_string(f.arg));
    std::vector<double> stored;
    for (int y = 1; y <= kHeight; ++y)
      for (int x = 1; x <= width; ++x) stored.push_back(f.sample(pictureValue(x, y, 1)) - f.arg);
    return fits.pixels(stored).bytes();
  }
  std::string bytes = bmpPicture(width, f.arg == 1);
  // The last row of the top-down file comes without its padding.
  if (f.arg == 1) bytes.resize(bytes.size() - (4 - width * 3 % 4) % 4);
  return bytes;
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

// Widths 1 to 5 give BMP rows every padding from 0 to 3 bytes. Colour files
// carry no date: the file time is taken, in UTC: 2023-10-05T21:13:45.25Z is
// 19635 days after 1970-01-01 (JD 2460222.5 - 2440587.5) and 21:13:45.25.
TEST_P(ImageReadTest, TestPictureLineByLine) {
  const Format& f = GetParam();
  const timeval fileTime = {19635LL * 86400 + 21 * 3600 + 13 * 60 + 45, 250'000};
  const double jd = 2460222.5 + (21.0 + 13.0 / 60.0 + 45.25 / 3600.0) / 24.0;
  Timgbuffer img;  // used again and again: nothing of an earlier frame may remain
  for (int width = 1; width <= 5; ++width) {
    const std::string path = dir.file("picture" + std::to_string(width));
    test::writeBytes(path, encode(f, width));
    const timeval times[2] = {fileTime, fileTime};
    ASSERT_EQ(::utimes(path.c_str(), times), 0);
    const bool colour = f.kind != 'F';
    for (int c = 1; c <= (colour ? 3 : 1); ++c) {
      SCOPED_TRACE("width " + std::to_string(width) + ", channel " + std::to_string(c));
      img.Instrument = img.ISOspeed = img.FilterName = "old";
      img.Airmass = img.Exposure = 1.7;
      img.Flipped = true;
      ASSERT_TRUE(readAs(f.kind, img, path, c)) << img.readError;
      ASSERT_EQ(std::tuple(img.xsize, img.ysize, img.bufferbyte),
                std::tuple(width, kHeight, f.bufferbyte));
      for (int y = 1; y <= img.ysize; ++y)
        for (int x = 1; x <= width; ++x)
          EXPECT_EQ(img.getpixel(x, y), f.sample(pictureValue(x, y, c))) << x << "," << y;
      EXPECT_EQ(std::tuple(img.bufferMin, img.bufferMax),
                std::tuple(f.sample(pictureValue(1, 1, c)), f.sample(pictureValue(width, 3, c))));
      EXPECT_EQ(std::tuple(img.Offset1, img.filename, img.readError), std::tuple(0.0, path, ""));
      bool error = false;
      EXPECT_EQ(std::tuple(getFitskeyInteger(img.fitsheader, "NAXIS1", error),
                           getFitskeyInteger(img.fitsheader, "NAXIS2", error),
                           getFitskeyInteger(img.fitsheader, "BITPIX", error), error),
                std::tuple(width, kHeight, f.bitpix, false));
      EXPECT_EQ(std::tuple(img.Instrument + img.ISOspeed, img.Airmass, img.Exposure, img.Flipped),
                std::tuple("", -1.0, 0.0, false));
      const char* const planeNames[] = {"TR", "TG", "TB"};
      const std::string filter = colour ? planeNames[c - 1] : "";
      EXPECT_EQ(std::tuple(img.FilterName, getFitskeyString(img.fitsheader, "FILTER"),
                           img.FilterType, img.OBSTYPE),
                std::tuple(filter, filter, colour ? 9 - c : -1, colour ? "DSLR" : "CCD"));
      EXPECT_EQ(img.Datetime, colour ? "2023-10-05T21:13:45.250" : "date?");
      EXPECT_NEAR(img.JDstart, colour ? jd : 0.0, 1e-8);
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
    test::writeBytes(dir.file("frame.fit"), f.pixels(stored).bytes());
    return img.Readfitsfile(dir.file("frame.fit"));
  }

  test::TempDir dir;
  Timgbuffer img;
};

TEST_F(FitsReadTest, MetadataCardsAndDates) {
  Cards cards = {{"EXP_TIME", "12.25"},  {"EXPOSURE", "abc"},  // unreadable: 12.25 stays
                 {"FILTER", "' v      '"}, {"XBINNING", "2"},
                 {"YBINNING", "3"},        {"AIRMASS", "'1.5'"},
                 {"PIXSCALE", "1.25 / arcsec per pixel"}};
  cards.resize(cards.size() + 40, {"HISTORY", "filler"});  // 52 cards + END: two blocks
  ASSERT_TRUE(read(16, cards, {5}));
  EXPECT_EQ(std::tuple(img.Exposure, img.FilterName, img.FilterType, img.Xbinning, img.Ybinning),
            std::tuple(12.25, " v      ", 3, 2, 3));
  EXPECT_EQ(std::tuple(img.Airmass, img.PixScale, img.headerlines, img.imageblock),
            std::tuple(1.5, 1.25, 53, 2 * 2880));
  EXPECT_EQ(img.getpixel(1, 1), 5);
  ASSERT_TRUE(read(16, {{"BSCALE", "0"}}, {4}));  // ignored
  EXPECT_EQ(img.getpixel(1, 1), 4);

  const std::pair<const char*, int> filters[] = {
      {"'Clear'", 0}, {"'B'", 2},  {"'V'", 3},  {"'G'", 3},     {"'R'", 4},  {"'I'", 5},
      {"'TB'", 6},    {"'TG'", 7}, {"'TR'", 8}, {"'None'", -1}, {"'Ha'", -1}};
  for (const auto& [value, code] : filters) {
    ASSERT_TRUE(read(16, {{"FILTER", value}}, {1}));
    EXPECT_EQ(std::tuple(img.FilterType, img.OBSTYPE), std::tuple(code, code >= 6 ? "DSLR" : "CCD"))
        << value;
  }
  const std::pair<Cards, const char*> dates[] = {
      {{{"DATE-OBS", "'2023-10-05T21:13:45.5'"}}, "2023-10-05T21:13:45.500"},
      {{{"DATE-OBS", "'05/10/23'"}, {"TIME-OBS", "'21:13:45'"}}, "2023-10-05T21:13:45.000"},
      {{{"DATE", "'2023-10-05T21:13:45'"}}, "2023-10-05T21:13:45.000"},
      {{{"TIMESTMP", "'05/10/2023 21:13:45.25'"}}, "2023-10-05T21:13:45.250"},
      // DATE-OBS wins over DATE, UT over TIME.
      {{{"DATE", "'2001-01-01T00:00:00'"}, {"DATE-OBS", "'2013-07-13'"}, {"UT", "'00:57:33'"},
        {"TIME", "'11:11:11'"}},
       "2013-07-13T00:57:33.000"},
  };
  for (const auto& [dateCards, datetime] : dates) {
    ASSERT_TRUE(read(16, dateCards, {1}));
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

// Size and every pixel, to see whether a buffer changed.
std::vector<int> snapshot(const Timgbuffer& img) {
  std::vector<int> values = {img.xsize, img.ysize};
  for (int y = 1; y <= img.ysize; ++y)
    for (int x = 1; x <= img.xsize; ++x) values.push_back(img.getpixel(x, y));
  return values;
}

struct Refusal {
  std::string bytes;
  std::string reason;  // the start of the reason, or all of it
  int channel = 1;
};

// Files a camera, a crash or a hostile sender may put in front of the readers.
// Each is refused with its reason, in a child with a hang guard whose address
// space may grow by 64 MB only, so allocating the image a header announces
// fails there: bad_alloc, or the sanitizer's out-of-memory exit (probed: 50 MB
// still allocate, 100 MB do not, in both builds). The image loaded before stays.
class ReaderRefusalTest : public ::testing::Test {
 protected:
  // Loads `good`, then reads every refused file in a child; then a missing
  // file, a folder and a pipe (whose open must not wait for a writer).
  void expectRefused(char reader, const std::string& good, std::vector<Refusal> cases) {
    const std::string goodPath = dir.file("good");
    test::writeBytes(goodPath, good);
    const std::size_t files = cases.size();
    cases.push_back({dir.file("absent"), "file not found"});
    cases.push_back({dir.path().string(), "not a regular file"});
    cases.push_back({test::makePipe(dir, "pipe"), "not a regular file"});
    for (std::size_t i = 0; i < cases.size(); ++i) {
      const Refusal& c = cases[i];
      SCOPED_TRACE(c.reason + " | " + c.bytes.substr(0, 24));
      ASSERT_FALSE(c.reason.empty());
      const std::string path = i < files ? dir.file("hostile") : c.bytes;
      if (i < files) test::writeBytes(path, c.bytes);
      // The FITS reader starts afresh once the file is open.
      const bool keepsImage = reader != 'F' || i >= files;
      const test::ChildOutcome child = test::runInChild(
          [&](std::string& report) {
            Timgbuffer img;
            if (!readAs(reader, img, goodPath)) return 3;
            const std::vector<int> before = snapshot(img);
            std::ifstream statm("/proc/self/statm");  // pages mapped now, the sanitizer's too
            rlim_t pages = 0;
            statm >> pages;
            const rlim_t limit = pages * rlim_t(::sysconf(_SC_PAGESIZE)) + (64 << 20);
            const rlimit lim{limit, limit};
            if (::setrlimit(RLIMIT_AS, &lim) != 0) return 4;
            const bool read = readAs(reader, img, path, c.channel);
            report = img.readError;
            if (read) return 1;
            return keepsImage && snapshot(img) != before ? 2 : 0;
          },
          test::ChildLimits{-1, 20});
      ASSERT_TRUE(child.exited) << "signal " << child.signal << " (SIGALRM: it hung)";
      EXPECT_EQ(child.exitCode, 0) << "1: accepted (or the sanitizer's out of memory), "
                                   << "2: image changed, 3: good file refused; " << child.report;
      EXPECT_EQ(child.report.substr(0, c.reason.size()), c.reason);
      EXPECT_LT(child.rssGrowthKb, 32 * 1024);
    }
  }

  test::TempDir dir;
};

std::string fits(int bitpix, int width, int height, std::vector<double> pixels = {}) {
  return FitsBuilder(bitpix, width, height).pixels(pixels).bytes();
}

TEST_F(ReaderRefusalTest, Fits) {
  std::string xtension = fits(16, 1, 1, {1});
  xtension.replace(0, 6, "XTENSI");
  const auto withHistory = [](int cards) {
    FitsBuilder f(16, 1, 1);
    for (int i = 0; i < cards; ++i) f.card("HISTORY", "filler");
    return f;
  };
  std::string junk(5000, '\0');
  for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = char((i * 7919) % 251);
  expectRefused(
      'F', fits(16, 2, 2, {1, 2, 3, 4}),
      {
          {"", "not a FITS file (shorter than one header block)"},
          {xtension, "not a FITS file (the first card is not SIMPLE)"},
          {"SIMPLE  =                    T" + std::string(50, ' ') + junk,
           "truncated header (no END card before the end of file)"},
          {withHistory(1500).bytes(false), "no END card within 40 header blocks"},
          {withHistory(40).bytes().substr(0, 2880 + 1000), "truncated header"},
          {fits(12, 1, 1, {1}), "unsupported BITPIX 12"},
          {fits(-64, 1, 1, {1.5}), "unsupported BITPIX -64"},
          {FitsBuilder(16, 1, 1).card("BITPIX", "'sixteen'").bytes(), "unsupported BITPIX"},
          {fits(16, -10, 10), "no image data (NAXIS1 = -10, NAXIS2 = 10)"},
          {fits(16, 0, 0), "no image data (NAXIS1 = 0, NAXIS2 = 0)"},
          // NAXIS1 beyond 32 bits must not wrap round to 1.
          {FitsBuilder(16, 0, 1).card("NAXIS1", "4294967297").bytes(),
           "no image data (NAXIS1 = 0, NAXIS2 = 1)"},
          {fits(16, 2000000000, 2000000000),
           "image too large (2000000000 x 2000000000 pixels, at most 100000000)"},
          {fits(32, 100000001, 1), "image too large (100000001 x 1 pixels"},
          {fits(16, 65536, 65537), "image too large (65536 x 65537 pixels"},  // beyond 32 bits
          // One header block and one data block of 2880 bytes.
          {fits(16, 100, 100, {1, 2, 3}), "truncated data (5760 bytes, 22880 needed)"},
          // The largest image the buffer takes: its 200 MB must not be taken.
          {fits(16, 10000, 10000), "truncated data (2880 bytes, 200002880 needed)"},
          // Two of three planes: 2880 + 40000 bytes padded to blocks, 2880 + 60000 needed.
          {FitsBuilder(16, 100, 100, 3)
               .card("CSPACE", "'RGB'")
               .pixels(std::vector<double>(2 * 100 * 100, 5.0))
               .bytes(),
           "truncated data (43200 bytes, 62880 needed)"},
          {fits(-32, 2, 1, {1.0, 1e12}), "value out of range"},
          {FitsBuilder(16, 1, 1).card("BSCALE", "2.0").pixels({-20000}).bytes(),
           "value out of range"},
      });
}

TEST_F(ReaderRefusalTest, Bmp) {
  const auto headers = [](BmpHeader h) { return bmpHeaders(h) + std::string(64, '\0'); };
  // 3 x 3 pixels: rows of 9 bytes and 3 padding bytes, 54 + 36 bytes in all.
  const std::string whole = bmpPicture(3, false);
  std::string png = whole;
  png[0] = '\x89';
  std::vector<Refusal> cases = {
      {"", "not a BMP file (shorter than its headers)"},
      {whole.substr(0, 53), "not a BMP file (shorter than its headers)"},
      {png, "not a BMP file (no BM signature)"},
      {headers({3, 3, 12}), "unsupported BMP header (12 bytes)"},
      {headers({3, 3, 0xFFFFFFFFu}), "corrupt BMP header (pixel data inside the headers)"},
      {headers({3, 3, 40, 1, 24, 1}), "compressed BMP files are not read"},
      {headers({3, 3, 40, 0}), "corrupt BMP header (planes must be 1)"},
      {headers({3, 0}), "no image data (width 3, height 0)"},
      {headers({0, 2}), "no image data (width 0, height 2)"},
      {headers({2'000'000'000, 1}), "image too large (2000000000 x 1 pixels, at most 100000000)"},
      {headers({1, INT32_MIN}), "image too large (1 x 2147483648 pixels"},
      // Rows of 3000 bytes: 54 + 999 * 3000 + 3000 needed.
      {headers({1000, 1000}), "truncated data (118 bytes, 3000054 needed)"},
      {headers({1000, -1000}), "truncated data (118 bytes, 3000054 needed)"},
      {headers({10000, -10000}), "truncated data (118 bytes, 300000054 needed)"},
      // The last row's padding may be missing, one of its pixel bytes may not.
      {whole.substr(0, whole.size() - 4), "truncated data (86 bytes, 87 needed)"},
      {whole.substr(0, 54), "truncated data (54 bytes, 87 needed)"},
      {bmpHeaders({3, 3, 40, 1, 24, 0, 0xFFFFFFF0u}) + whole.substr(54),
       "truncated data (90 bytes, 4294967313 needed)"},
      {bmpHeaders({3, 3, 40, 1, 24, 0, 20}) + whole.substr(54),
       "corrupt BMP header (pixel data inside the headers)"},
      {whole, "colour channel must be 1, 2 or 3", 0},
      {whole, "colour channel must be 1, 2 or 3", 4},
  };
  for (const int bits : {1, 4, 8, 16, 32}) {
    cases.push_back({headers({3, 3, 40, 1, std::uint16_t(bits)}),
                     "only 24-bit BMP files are read (this one has " + std::to_string(bits) +
                         " bits per pixel)"});
  }
  expectRefused('B', whole, cases);
}

TEST_F(ReaderRefusalTest, Ppm) {
  const std::string wide = ppmPicture(3, 65535, kAsIs);  // 13 + 54 bytes
  const std::string narrow = ppmPicture(3, 255, kAsIs);  // 11 + 27 bytes
  const std::string data = wide.substr(13);
  expectRefused(
      'P', wide,
      {
          {"P3\n2 2\n255\n1 2 3 4 5 6 7 8 9 10 11 12\n",
           "text PPM files (P3) are not read, only binary ones (P6)"},
          {"P5\n2 2\n255\n1234", "not a binary PPM file (no P6 signature)"},
          {"", "not a binary PPM file (no P6 signature)"},
          {"P6\n3 3\n65535",
           "PPM header not read (it must be three lines within 20 bytes, without comments)"},
          {"P6\n12000 10000\n65535\n" + data, "PPM header not read"},  // third line feed: byte 21
          {"P6\n# dcraw\n3 3\n65535\n" + data, "PPM size not read (\"# dcraw\")"},
          {"P6\n3\n65535\n" + data, "PPM size not read (\"3\")"},
          {"P6\n-3 3\n65535\n" + data, "PPM size not read (\"-3 3\")"},
          {"P6\n0 3\n65535\n" + data, "PPM size not read (\"0 3\")"},
          {"P6\n3 2.5\n65535\n" + data, "PPM size not read (\"3 2.5\")"},
          {"P6\n4294967298 1\n1\n", "PPM size not read (\"4294967298 1\")"},
          {"P6\n99999999999 9\n1\n", "PPM size not read (\"99999999999 9\")"},
          {"P6\n3 3\n0\n" + data, "PPM maximum value not read or out of range (\"0\")"},
          {"P6\n3 3\n65536\n" + data, "PPM maximum value not read or out of range (\"65536\")"},
          {"P6\n3 3\nx\n" + data, "PPM maximum value not read or out of range (\"x\")"},
          {"P6\n3 3\n\n" + data, "PPM maximum value not read or out of range (\"\")"},
          {"P6\n100000 100000\n1\n" + std::string(64, 'x'),
           "image too large (100000 x 100000 pixels, at most 100000000)"},
          // A header of exactly 20 bytes is read.
          {"P6\n1200 10000\n65535\n", "truncated data (20 bytes, 72000020 needed)"},
          {"P6\n10000 10000\n255\n" + std::string(99, 'x'),
           "truncated data (118 bytes, 300000019 needed)"},
          {wide.substr(0, wide.size() - 1), "truncated data (66 bytes, 67 needed)"},
          {narrow.substr(0, narrow.size() - 1), "truncated data (37 bytes, 38 needed)"},
          {wide, "colour channel must be 1, 2 or 3", 0},
          {wide, "colour channel must be 1, 2 or 3", 4},
      });
}

}  // namespace
}  // namespace vargaze
