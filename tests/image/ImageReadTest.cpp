// Reading images: one test picture through every reader (FITS, BMP, PPM),
// then what only FITS files carry (header metadata, dates, colour planes),
// the files every reader refuses, and the raw path: a stand-in converter run
// without a shell, where it is found, and its camera information.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <tuple>
#include <vector>

#include "image/Imgbuffer.h"
#include "image/RawConverter.h"
#include "support/EnvGuard.h"
#include "support/FaultInjection.h"
#include "support/FitsBuilder.h"
#include "support/ImageFileBytes.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
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

// The 14-byte file header and the 40-byte information header; a negative
// height stores the top row first.
std::string bmpHeaders(std::int32_t width, std::int32_t height, std::uint32_t infoSize = 40,
                       std::uint32_t planes = 1, std::uint32_t bits = 24,
                       std::uint32_t compression = 0, std::uint32_t dataOffset = 54) {
  std::string out = "BM";
  for (std::uint32_t v : {0u, 0u, dataOffset, infoSize, std::uint32_t(width),
                          std::uint32_t(height), planes | bits << 16, compression, 0u, 0u, 0u,
                          0u, 0u})
    test::putLe32(out, v);
  return out;
}

// A 24-bit BMP: blue, green, red bytes, rows padded to 4 bytes. Line 1 is the
// picture's bottom row, stored first unless `topDown`.
std::string bmpPicture(int width, bool topDown) {
  std::string out = bmpHeaders(width, topDown ? -kHeight : kHeight);
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
    {"FitsLongs", 'F', 32, 0, [](int v) { return v * 100000 + 7; }, kPixel32},
    {"BmpBottomUp", 'B', 16, 0, kAsIs, kPixel16},
    {"BmpTopDown", 'B', 16, 1, kAsIs, kPixel16},
    {"PpmBytes", 'P', 8, 255, kAsIs, kPixel8, "   "},
    {"PpmWords", 'P', 16, 65535, kWide, kPixel16},
    {"PpmWordsMax256", 'P', 16, 256, kWide, kPixel16, ","},  // the first two-byte maximum
};

class ImageReadTest : public ::testing::TestWithParam<Format> {};

// Widths 1 to 5 give BMP rows every padding from 0 to 3 bytes. Colour files
// carry no date: the file time is taken as the local clock shows it: 2023-10-05T21:13:45.25Z
// is 19635 days after 1970-01-01 (JD 2460222.5 - 2440587.5) and 21:13:45.25, 23:13:45.25 two
// hours east of Greenwich.
TEST_P(ImageReadTest, TestPictureLineByLine) {
  const Format& f = GetParam();
  test::TempDir dir;
  const test::EnvGuard zone("TZ", "EAST-2");
  const timeval fileTime = {19635LL * 86400 + 21 * 3600 + 13 * 60 + 45, 250'000};
  const double jd = 2460222.5 + (23.0 + 13.0 / 60.0 + 45.25 / 3600.0) / 24.0;
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
      const std::string filter = colour ? std::string("T") + "RGB"[c - 1] : "";
      EXPECT_EQ(std::tuple(img.FilterName, getFitskeyString(img.fitsheader, "FILTER"),
                           img.FilterType, img.OBSTYPE),
                std::tuple(filter, filter, colour ? 9 - c : -1, colour ? "DSLR" : "CCD"));
      EXPECT_EQ(img.Datetime, colour ? "2023-10-05T23:13:45.250" : "date?");
      EXPECT_NEAR(img.JDstart, colour ? jd : 0.0, 1e-8);
      EXPECT_EQ(getFitskeyString(img.fitsheader, "DATE-OBS"), colour ? img.Datetime : "");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, ImageReadTest, ::testing::ValuesIn(kFormats),
                         [](const auto& p) { return p.param.name; });

using Cards = std::vector<std::pair<const char*, const char*>>;

// Size and every pixel, to see whether a buffer changed.
std::vector<int> snapshot(const Timgbuffer& img) {
  std::vector<int> values = {img.xsize, img.ysize};
  for (int y = 1; y <= img.ysize; ++y)
    for (int x = 1; x <= img.xsize; ++x) values.push_back(img.getpixel(x, y));
  return values;
}

const char* const kChannel = "colour channel must be 1, 2 or 3";
struct Refusal {
  std::string bytes;
  std::string reason;  // the start of the reason, or all of it
  int channel = 1;
};

// Files read through a temporary folder; the converter is the test's own.
class ReadTest : public ::testing::Test {
 protected:
  bool readFits(int bitpix, const Cards& cards, const std::vector<double>& stored) {
    FitsBuilder f(bitpix, static_cast<int>(stored.size()), 1);
    for (const auto& [key, value] : cards) f.card(key, value);
    test::writeBytes(dir.file("frame.fit"), f.pixels(stored).bytes());
    return img.Readfitsfile(dir.file("frame.fit"));
  }

  // Files a camera, a crash or a hostile sender may put in front of a reader,
  // a missing file, a folder and a pipe (whose open must not wait), each
  // refused with its reason in a child after `good`, which stays loaded. The
  // child has a hang guard and 64 MB more address space only, so allocating an
  // announced image fails: bad_alloc, or the sanitizer's out-of-memory exit
  // (probed: 50 MB still allocate, 100 MB do not, in both builds).
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
            Timgbuffer image;
            if (!readAs(reader, image, goodPath)) return 3;
            const std::vector<int> before = snapshot(image);
            std::ifstream statm("/proc/self/statm");  // pages mapped now, the sanitizer's too
            rlim_t pages = 0;
            statm >> pages;
            const rlim_t limit = pages * rlim_t(::sysconf(_SC_PAGESIZE)) + (64 << 20);
            const rlimit lim{limit, limit};
            if (::setrlimit(RLIMIT_AS, &lim) != 0) return 4;
            if (readAs(reader, image, path, c.channel)) return 1;
            report = image.readError;
            return keepsImage && snapshot(image) != before ? 2 : 0;
          },
          test::ChildLimits{-1, 20});
      ASSERT_TRUE(child.exited) << "signal " << child.signal << " (SIGALRM: it hung)";
      EXPECT_EQ(child.exitCode, 0) << "1: accepted (or the sanitizer's out of memory), "
                                   << "2: image changed, 3: good file refused; " << child.report;
      EXPECT_EQ(child.report.substr(0, c.reason.size()), c.reason);
      EXPECT_LT(child.rssGrowthKb, 32 * 1024);
      if (reader == 'F' && i < files + 2) {  // the header alone: refused with the header
        FitsHeader h;
        ReadFitsheader(path, h);
        EXPECT_EQ(h.endCard() == 0, i >= files || c.reason.find("END") != std::string::npos ||
                                        c.reason.rfind("not a FITS", 0) == 0);
      }
    }
  }

  // Installs the stand-in as the converter and writes a raw file named `name`.
  std::string prepare(const std::string& script, const std::string& name = "IMG_0001.CR2") {
    const std::string program = dir.file("conv");
    test::writeBytes(program, script);
    fs::permissions(program, fs::perms::owner_exec, fs::perm_options::add);
    converter.set(program);
    const std::string raw = dir.file(name);
    test::writeBytes(raw, "II*\0 raw camera data");
    return raw;
  }

  // An old PPM file from an earlier conversion, dated one hour back or not.
  void writeStalePpm(const std::string& raw, bool backdate) {
    test::writeBytes(rawPpmFilename(raw), "P6\n1 1\n255\nabc");
    if (backdate) fs::last_write_time(rawPpmFilename(raw), fs::file_time_type::clock::now() - 1h);
  }

  // Writes the converter's report with the given text and reads it into img.
  bool read(const std::string& text, double utCorrection = 1.0 / 24) {
    test::writeBytes(info, text);
    return img.SetRawInfo(info, utCorrection);
  }

  static std::string infoReport(const std::string& stamp, const std::string& shutter) {
    return "\nFilename: /photos/IMG_0001.CR2\nTimestamp: " + stamp +
           "\nCamera: Canon EOS 350D DIGITAL\nOwner: someone\nISO speed: 400\nShutter: " +
           shutter + " sec\nAperture: f/5.6\n";
  }

  test::TempDir dir;
  test::EnvGuard converter{kRawConverterVariable};
  std::string info = dir.file("rawinfo.txt");
  std::string error;
  Timgbuffer img;
};

TEST_F(ReadTest, MetadataCardsAndDates) {
  Cards cards = {{"EXP_TIME", "12.25"},  {"EXPOSURE", "abc"},  // unreadable: 12.25 stays
                 {"FILTER", "' v      '"}, {"XBINNING", "2"},
                 {"YBINNING", "3"},        {"AIRMASS", "'1.5'"},
                 {"PIXSCALE", "1.25 / arcsec per pixel"}};
  cards.resize(cards.size() + 40, {"HISTORY", "filler"});  // 52 cards + END: two blocks
  ASSERT_TRUE(readFits(16, cards, {5}));
  EXPECT_EQ(std::tuple(img.Exposure, img.FilterName, img.FilterType, img.Xbinning, img.Ybinning),
            std::tuple(12.25, " v      ", 3, 2, 3));
  EXPECT_EQ(std::tuple(img.Airmass, img.PixScale, img.headerlines, img.imageblock),
            std::tuple(1.5, 1.25, 53, 2 * 2880));
  EXPECT_EQ(img.getpixel(1, 1), 5);
  ASSERT_TRUE(readFits(16, {{"BSCALE", "0"}}, {4}));  // ignored
  EXPECT_EQ(img.getpixel(1, 1), 4);

  const std::pair<const char*, int> filters[] = {
      {"'Clear'", 0}, {"'B'", 2},  {"'V'", 3},  {"'G'", 3},     {"'R'", 4},  {"'I'", 5},
      {"'TB'", 6},    {"'TG'", 7}, {"'TR'", 8}, {"'None'", -1}, {"'Ha'", -1},
      {"'IRCUT'", 0}, {"' ir-cut '", 0}, {"'IR Cut'", 0}, {"'Ir_cut'", 0}, {"'IRC'", 5}};
  for (const auto& [value, code] : filters) {
    ASSERT_TRUE(readFits(16, {{"FILTER", value}}, {1}));
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
    ASSERT_TRUE(readFits(16, dateCards, {1}));
    EXPECT_EQ(img.Datetime, datetime);
  }
}

TEST_F(ReadTest, RgbCubeReadsOnePlaneAtATime) {
  FitsBuilder f(16, 2, 1, 3);
  f.card("CSPACE", "'RGB'").card("BZERO", "32768");
  f.pixels({1 - 32768, 2 - 32768, 10 - 32768, 20 - 32768, 100 - 32768, 200 - 32768});
  test::writeBytes(dir.file("rgb.fit"), f.bytes());
  ASSERT_TRUE(img.Readfitsfile(dir.file("rgb.fit")));
  EXPECT_EQ(std::tuple(img.colorimages, img.xsize), std::tuple(3, 0));
  std::unique_ptr<Timgbuffer> p;
  for (int color = 1, scale = 1; color <= 3; ++color, scale *= 10) {
    ASSERT_TRUE(img.Readcolorfits(color, p)) << img.readError;
    EXPECT_EQ(std::tuple(p->xsize, p->ysize, p->getpixel(1, 1), p->getpixel(2, 1), p->FilterName,
                         p->FilterType, p->OBSTYPE, p->Wordmode),
              std::tuple(2, 1, scale, 2 * scale, std::string("T") + "RGB"[color - 1], 9 - color,
                         "DSLR", true));
  }
  for (const int outside : {0, 4}) {
    EXPECT_FALSE(img.Readcolorfits(outside, p));
    EXPECT_EQ(img.readError, "colour plane must be 1, 2 or 3");
  }
}

std::string fits(int bitpix, int width, int height, std::vector<double> pixels = {}) {
  return FitsBuilder(bitpix, width, height).pixels(pixels).bytes();
}

// A frame read into the pixel memory of an earlier one keeps nothing else of it;
// memory of another length is not taken.
TEST_F(ReadTest, PixelStoreOfAnEarlierFrame) {
  FitsBuilder first(16, 3, 2);
  first.card("BZERO", "32768").card("EXPTIME", "30").card("OBJECT", "'M 42'");
  test::writeBytes(dir.file("first.fit"),
                   first.pixels({-32768, -32767, 0, 1, 2, 32767}).bytes());
  test::writeBytes(dir.file("same.fit"), fits(16, 3, 2, {-3, -2, -1, 0, 1, 2}));
  test::writeBytes(dir.file("small.fit"), fits(16, 2, 2, {7, 8, 9, 10}));
  ASSERT_TRUE(img.Readfitsfile(dir.file("first.fit")));
  EXPECT_EQ(snapshot(img), (std::vector<int>{3, 2, 0, 1, 32768, 32769, 32770, 65535}));

  Timgbuffer::PixelStore store = img.takePixelStore();
  const std::byte* memory = store.bytes.get();
  ASSERT_TRUE(img.Readfitsfile(dir.file("same.fit"), &store));
  EXPECT_EQ(img.bufferpointer.get(), memory);
  EXPECT_EQ(store.bytes, nullptr);
  // Negative values shifted up by 3, with no zero point or header card of the first frame.
  EXPECT_EQ(snapshot(img), (std::vector<int>{3, 2, 0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(std::tuple(img.Offset1, img.Exposure, getFitskeyString(img.fitsheader, "OBJECT")),
            std::tuple(3.0, 0.0, ""));

  store = img.takePixelStore();
  ASSERT_TRUE(img.Readfitsfile(dir.file("small.fit"), &store));
  EXPECT_EQ(store.bytes, nullptr);
  EXPECT_EQ(snapshot(img), (std::vector<int>{2, 2, 7, 8, 9, 10}));
}

TEST_F(ReadTest, FitsRefusals) {
  std::string xtension = fits(16, 1, 1, {1});
  xtension.replace(0, 6, "XTENSI");
  FitsBuilder noEnd(16, 1, 1);
  for (int i = 0; i < 1500; ++i) noEnd.card("HISTORY", "filler");
  std::string junk(5000, '\0');
  for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = char((i * 7919) % 251);
  expectRefused(
      'F', fits(16, 2, 2, {1, 2, 3, 4}),
      {
          {"", "not a FITS file (shorter than one header block)"},
          {xtension, "not a FITS file (the first card is not SIMPLE)"},
          {"SIMPLE  =                    T" + std::string(50, ' ') + junk,
           "truncated header (no END card before the end of file)"},
          {noEnd.bytes(false), "no END card within 40 header blocks"},
          {fits(12, 1, 1, {1}), "unsupported BITPIX 12"},
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

TEST_F(ReadTest, BmpRefusals) {
  const auto headers = [](auto... h) { return bmpHeaders(h...) + std::string(64, '\0'); };
  // 3 x 3 pixels: rows of 9 bytes and 3 padding bytes, 54 + 36 bytes in all.
  const std::string whole = bmpPicture(3, false);
  std::string png = whole;
  png[0] = '\x89';
  std::vector<Refusal> cases = {
      {whole.substr(0, 53), "not a BMP file (shorter than its headers)"},
      {png, "not a BMP file (no BM signature)"},
      {headers(3, 3, 12), "unsupported BMP header (12 bytes)"},
      {headers(3, 3, 0xFFFFFFFFu), "corrupt BMP header (pixel data inside the headers)"},
      {headers(3, 3, 40, 1, 24, 1), "compressed BMP files are not read"},
      {headers(3, 3, 40, 0), "corrupt BMP header (planes must be 1)"},
      {headers(3, 0), "no image data (width 3, height 0)"},
      {headers(0, 2), "no image data (width 0, height 2)"},
      {headers(2'000'000'000, 1), "image too large (2000000000 x 1 pixels, at most 100000000)"},
      {headers(1, INT32_MIN), "image too large (1 x 2147483648 pixels"},
      // Rows of 3000 bytes: 54 + 999 * 3000 + 3000 needed.
      {headers(1000, -1000), "truncated data (118 bytes, 3000054 needed)"},
      {headers(10000, -10000), "truncated data (118 bytes, 300000054 needed)"},
      // The last row's padding may be missing, one of its pixel bytes may not.
      {whole.substr(0, whole.size() - 4), "truncated data (86 bytes, 87 needed)"},
      {whole.substr(0, 54), "truncated data (54 bytes, 87 needed)"},
      {bmpHeaders(3, 3, 40, 1, 24, 0, 0xFFFFFFF0u) + whole.substr(54),
       "truncated data (90 bytes, 4294967313 needed)"},
      {bmpHeaders(3, 3, 40, 1, 24, 0, 20) + whole.substr(54),
       "corrupt BMP header (pixel data inside the headers)"},
      {whole, kChannel, 0}, {whole, kChannel, 4},
  };
  for (const int bits : {1, 4, 8, 16, 32}) {
    cases.push_back({headers(3, 3, 40, 1, bits),
                     "only 24-bit BMP files are read (this one has " + std::to_string(bits) +
                         " bits per pixel)"});
  }
  expectRefused('B', whole, cases);
}

TEST_F(ReadTest, PpmRefusals) {
  const std::string wide = ppmPicture(3, 65535, kAsIs);  // 13 + 54 bytes
  const std::string narrow = ppmPicture(3, 255, kAsIs);  // 11 + 27 bytes
  const std::string data = wide.substr(13);
  expectRefused(
      'P', wide,
      {
          {"P3\n2 2\n255\n1 2 3 4 5 6 7 8 9 10 11 12\n",
           "text PPM files (P3) are not read, only binary ones (P6)"},
          {"P5\n2 2\n255\n1234", "not a binary PPM file (no P6 signature)"},
          {"P6\n3 3\n65535",
           "PPM header not read (it must be three lines within 20 bytes, without comments)"},
          {"P6\n12000 10000\n65535\n" + data, "PPM header not read"},  // third line feed: byte 21
          {"P6\n# dcraw\n3 3\n65535\n" + data, "PPM size not read (\"# dcraw\")"},
          {"P6\n3\n65535\n" + data, "PPM size not read (\"3\")"},
          {"P6\n-3 3\n65535\n" + data, "PPM size not read (\"-3 3\")"},
          {"P6\n0 3\n65535\n" + data, "PPM size not read (\"0 3\")"},
          {"P6\n4294967298 1\n1\n", "PPM size not read (\"4294967298 1\")"},
          {"P6\n99999999999 9\n1\n", "PPM size not read (\"99999999999 9\")"},
          {"P6\n3 3\n0\n" + data, "PPM maximum value not read or out of range (\"0\")"},
          {"P6\n3 3\n65536\n" + data, "PPM maximum value not read or out of range (\"65536\")"},
          {"P6\n3 3\n\n" + data, "PPM maximum value not read or out of range (\"\")"},
          {"P6\n100000 100000\n1\n" + std::string(64, 'x'),
           "image too large (100000 x 100000 pixels, at most 100000000)"},
          // A header of exactly 20 bytes is read.
          {"P6\n1200 10000\n65535\n", "truncated data (20 bytes, 72000020 needed)"},
          {"P6\n10000 10000\n255\n" + std::string(99, 'x'),
           "truncated data (118 bytes, 300000019 needed)"},
          {wide.substr(0, wide.size() - 1), "truncated data (66 bytes, 67 needed)"},
          {narrow.substr(0, narrow.size() - 1), "truncated data (37 bytes, 38 needed)"},
          {wide, kChannel, 0}, {wide, kChannel, 4},
      });
}

struct ScopedFolder {  // works in another folder for one test
  explicit ScopedFolder(const fs::path& folder) { fs::current_path(folder); }
  ~ScopedFolder() { fs::current_path(old); }
  fs::path old = fs::current_path();
};

const char* const kReport =
    R"(printf 'Filename: %s\nTimestamp: Sat Dec  5 13:33:08 2026\nCamera: Canon EOS 350D DIGITAL\n)"
    R"(ISO speed: 400\nShutter: 1/250.0 sec\n' "$3")";

// A 2 x 1 16-bit PPM: red, green, blue of pixel 1 are 0x0102, 0x0304, 0x0506,
// of pixel 2 0x0708, 0x090A, 0x0B0C.
const char* const kWritePpm =
    R"(printf 'P6\n2 1\n65535\n\001\002\003\004\005\006\007\010\011\012\013\014' > "${4%.*}.ppm")";

// The converter's two runs with exactly these arguments; the file argument
// must never look like an option.
std::string standIn(const std::string& conversion, const std::string& information = kReport) {
  return "#!/bin/sh\n"
         "if [ $# -eq 3 ] && [ \"$1 $2\" = '-i -v' ]; then\n"
         "  case \"$3\" in -*) exit 9;; esac\n  " + information + "\n  exit 0\nfi\n"
         "if [ $# -eq 4 ] && [ \"$1 $2 $3\" = '-4 -t 0' ]; then\n"
         "  case \"$4\" in -*) exit 9;; esac\n  " + conversion + "\n  exit 0\nfi\n"
         "exit 2\n";
}

// A name a shell would take apart passes untouched, as does one starting with a dash.
TEST_F(ReadTest, ConvertsOverAStaleFileAndTheReadersTakeTheOutput) {
  const char* const name =
      "shot ; touch INJECTED $(touch INJECTED2) `touch INJECTED3` 'q\" & x.CR2";
  const std::string raw = prepare(standIn(kWritePpm), name);
  writeStalePpm(raw, true);
  ASSERT_TRUE(ConvertRaw1(raw, info, error)) << error;
  EXPECT_EQ(test::readBytes(info), "Filename: " + raw +
                                       "\nTimestamp: Sat Dec  5 13:33:08 2026\n"
                                       "Camera: Canon EOS 350D DIGITAL\nISO speed: 400\n"
                                       "Shutter: 1/250.0 sec\n");
  ASSERT_TRUE(img.ReadPPMfile(rawPpmFilename(raw), 2)) << img.readError;
  EXPECT_EQ(std::tuple(img.xsize, img.ysize, img.getpixel(1, 1), img.getpixel(2, 1)),
            std::tuple(2, 1, 0x0304, 0x090A));  // the green samples
  ASSERT_TRUE(img.SetRawInfo(info, 1.0 / 24.0));  // the camera clock one hour ahead of UT
  EXPECT_EQ(std::tuple(img.filename, img.Datetime, img.Instrument, img.ISOspeed, img.FilterName),
            std::tuple(raw, "2026-12-05T12:33:08", "Canon EOS 350D DIGITAL", "400", "TG"));
  const FitsHeader& h = img.fitsheader;
  EXPECT_EQ(std::tuple(getFitskeyString(h, "DATE-OBS"), getFitskeyString(h, "INSTRUME"),
                       std::stoi(getFitskeyString(h, "ISOSPEED"))),
            std::tuple(img.Datetime, img.Instrument, 400));
  for (const double exposure : {img.Exposure, std::stod(getFitskeyString(h, "EXPTIME"))})
    EXPECT_DOUBLE_EQ(exposure, 0.004);
  for (const char* injected : {"INJECTED", "INJECTED2", "INJECTED3"})
    EXPECT_FALSE(fs::exists(dir.file(injected)) || fs::exists(injected)) << injected;
  prepare(standIn(kWritePpm), "-x.CR2");
  const ScopedFolder inside(dir.path());
  ASSERT_TRUE(ConvertRaw1("-x.CR2", "info.txt", error)) << error;
  EXPECT_TRUE(fs::exists(dir.file("-x.ppm")));
  EXPECT_EQ(test::readBytes(dir.file("info.txt")).substr(0, 19), "Filename: ./-x.CR2\n");
}

TEST_F(ReadTest, ConverterFailuresAndStaleOutputAreReported) {
  const std::string missing = dir.file("no-such-converter");
  const std::string absent = dir.file("absent.CR2");
  // Script ("" for a converter that does not exist), raw file and info file
  // when not the usual ones, the reason.
  const std::tuple<std::string, std::string, std::string, std::string> cases[] = {
      {standIn("exit 3"), "", "", "exit status 3 (conversion of "},
      {standIn(kWritePpm, "echo 'Cannot decode file' >&2; exit 1"), "", "",
       "exit status 1 (camera information of"},
      {standIn("kill -9 $$"), "", "", "ended by signal 9"},
      {"", "", "", "cannot start the raw converter " + missing},
      {standIn(kWritePpm), absent, "", "raw file not found: " + absent},
      {standIn(kWritePpm), "", dir.file("no-folder/rawinfo.txt"),
       "cannot write the information file"},
  };
  for (const auto& [script, rawName, infoName, reason] : cases) {
    std::string raw = prepare(script.empty() ? standIn(kWritePpm) : script);
    if (script.empty()) converter.set(missing);
    if (!rawName.empty()) raw = rawName;
    EXPECT_FALSE(ConvertRaw1(raw, infoName.empty() ? info : infoName, error));
    EXPECT_NE(error.find(reason), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(rawPpmFilename(raw)));
  }
  const std::string raw = prepare(standIn("exec sleep 30"));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(ConvertRaw1(raw, info, error, std::chrono::milliseconds(300)));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_NE(error.find("did not finish within 0.3 s"), std::string::npos) << error;
  prepare(standIn(":"));  // claims success, writes nothing
  // No PPM, an old one backdated or written just now, one the converter writes with an old date.
  for (int step = 0; step < 4; ++step) {
    if (step == 1 || step == 2) writeStalePpm(raw, step == 1);
    const char* const backdate = R"(; touch -d '5 minutes ago' "${4%.*}.ppm")";
    if (step == 3) prepare(standIn(kWritePpm + std::string(backdate)));
    EXPECT_FALSE(ConvertRaw1(raw, info, error)) << step;
    EXPECT_NE(error.find("no new PPM file " + rawPpmFilename(raw)), std::string::npos) << error;
  }
}

// The environment's choice first, then beside the program, then the first
// executable in an absolute folder of the search path. Its output replaces the
// extension of the file name only.
TEST(FindRawConverterTest, WhereTheConverterIsLookedForAndWhereItsOutputGoes) {
  EXPECT_EQ(rawPpmFilename("/photos/night.2026/frame"), "/photos/night.2026/frame.ppm");
  EXPECT_EQ(rawPpmFilename("a.b.cr2"), "a.b.ppm");
  test::TempDir dir;
  const auto program = [&](const std::string& folder, bool executable) {
    fs::create_directories(dir.path() / folder);
    const std::string path = dir.file(folder + "/dcraw");
    test::writeBytes(path, "#!/bin/sh\n");
    if (executable) fs::permissions(path, fs::perms::owner_exec, fs::perm_options::add);
    return dir.file(folder);
  };
  const std::string bin = program("bin", true);
  const std::string usr = program("usr", true);
  const std::string plain = program("plain", false);
  EXPECT_EQ(findRawConverter({"/opt/conv", bin, usr}), "/opt/conv");
  EXPECT_EQ(findRawConverter({"", bin, usr}), bin + "/dcraw");
  EXPECT_EQ(findRawConverter({"", dir.file("elsewhere"), usr}), usr + "/dcraw");
  EXPECT_EQ(findRawConverter({"", "", dir.file("none") + ":" + plain + ":" + usr}), usr + "/dcraw");
  EXPECT_EQ(findRawConverter({"", "", dir.file("none")}), "");
  const ScopedFolder inside(dir.path());
  EXPECT_EQ(findRawConverter({"", "", "usr::."}), "");  // never from the current folder
}

TEST_F(ReadTest, CameraTimeLessTheOffsetIsUt) {
  // Time stamp, the camera clock's lead on UT in days, UT.
  const std::tuple<const char*, double, const char*> cases[] = {
      {"Sat Dec  5 13:33:08 2026", 1.0 / 24, "2026-12-05T12:33:08"},
      // 5.5 hours ahead of UT: back over midnight and the new year.
      {"Mon Jan  1 00:10:00 2024", 5.5 / 24, "2023-12-31T18:40:00"},
      {"Tue Jun 30 22:00:00 2026", -3.0 / 24, "2026-07-01T01:00:00"},  // west: added
      // 0.6 s more round to the next minute, never to ":60".
      {"Thu Dec 31 23:59:59 2026", -0.6 / 86400, "2027-01-01T00:00:00"},
      {"Sat Dec  5 13:33:59 2026", -0.6 / 86400, "2026-12-05T13:34:00"},
  };
  for (const auto& [stamp, offset, datetime] : cases) {
    ASSERT_TRUE(read(infoReport(stamp, "1.0"), offset));
    EXPECT_EQ(img.Datetime, datetime);
  }
  // 2026-12-05 0h is JD 2451544.5 (2000-01-01) + 26 years with 7 leap days + 338 days.
  const double day = 2451544.5 + 26 * 365 + 7 + 338;
  EXPECT_NEAR(img.JDstart, day + (13 + 33 / 60.0 + 59.6 / 3600) / 24, 1e-8);
}

TEST_F(ReadTest, CameraInformationTexts) {
  for (const char* stamp :
       {"", "garbage", "Sat Foo  5 13:33:08 2026", "Sat Dec 32 13:33:08 2026",
        "Sat Dec  0 13:33:08 2026", "Sat Dec  5 24:00:00 2026", "Sat Dec  5 13:60:00 2026",
        "Sat Dec  5 13:33:60 2026", "Sat Dec  5 13:33 2026", "Sat Dec  5 13:33:08:01 2026",
        "Sat Dec  5 13::08 2026", "Sat Dec  5 13:33:08", "Sat dec  5 13:33:08 2026",
        "Sat Dec  5 13:33:08 -1", "Sat Dec  5 1a:33:08 2026"}) {
    img.JDstart = 2450000.0;
    img.Datetime = "old";
    ASSERT_TRUE(read(infoReport(stamp, "1.0")));
    EXPECT_EQ(std::tuple(img.JDstart, img.Datetime), std::tuple(0.0, "date?")) << stamp;
  }
  EXPECT_EQ(getFitskeyString(img.fitsheader, "DATE-OBS"), "");
  const std::pair<const char*, double> shutters[] = {
      {"30.0", 30}, {"1/4000.0", 0.00025}, {"0.8", 0.8}, {"abc", 0}, {"1/0", 0},   {"1/", 0},
      {"/250", 0},  {"", 0},               {"1/2/3", 0}, {"1e999", 0}};
  for (const auto& [shutter, seconds] : shutters) {
    img.Exposure = 5.0;
    ASSERT_TRUE(read(infoReport("Sat Dec  5 13:33:08 2026", shutter)));
    EXPECT_DOUBLE_EQ(img.Exposure, seconds) << shutter;
  }
  // Short lines, field widths, line ends, files that cannot be read.
  img.Instrument = "old";
  ASSERT_TRUE(read("Timestamp:\nCamera:\nISO speed:\nShutter:\nFilename:\n"));
  EXPECT_EQ(std::tuple(img.Instrument + img.ISOspeed + img.filename, img.Exposure, img.Datetime),
            std::tuple("", 0.0, "date?"));
  // 39 letters and an e-acute (two bytes) make 40 characters; the rest is cut.
  const std::string name = std::string(39, 'a') + "\xC3\xA9";
  ASSERT_TRUE(read("Camera: " + name + "xyz\nISO speed: 1234567\n"));
  EXPECT_EQ(std::tuple(img.Instrument, img.ISOspeed), std::tuple(name, "123456"));
  ASSERT_TRUE(
      read("Timestamp: Sat Dec  5 13:33:08 2026\r\nShutter: 2.0 sec\r\nISO speed: 100\r\n"));
  EXPECT_EQ(std::tuple(img.Datetime, img.Exposure, img.ISOspeed),
            std::tuple("2026-12-05T12:33:08", 2.0, "100"));
  // A file that cannot be read changes nothing.
  EXPECT_FALSE(img.SetRawInfo(dir.file("absent.txt"), 0.0));
  EXPECT_FALSE(img.SetRawInfo(dir.path().string(), 0.0));
  EXPECT_FALSE(read(std::string(2 << 20, 'x')));  // far larger than any converter report
  EXPECT_EQ(std::tuple(img.Exposure, img.Datetime), std::tuple(2.0, "2026-12-05T12:33:08"));
}

}  // namespace
}  // namespace vargaze
