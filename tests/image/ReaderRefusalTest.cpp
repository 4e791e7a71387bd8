// Files a camera, a crash or a hostile sender may put in front of the readers.
// Each is refused with its reason, in a child whose address space may grow by
// 64 MB only (allocating the image a header announces fails there) and with a
// hang guard; the image loaded before stays.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <climits>
#include <fstream>
#include <memory>
#include <vector>

#include "image/Imgbuffer.h"
#include "support/FaultInjection.h"
#include "support/FitsBuilder.h"
#include "support/ImageFileBytes.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

using test::BmpHeader;
using test::FitsBuilder;

enum class Reader { Fits, Bmp, Ppm };

bool readAs(Reader reader, Timgbuffer& img, const std::string& path, int channel = 1) {
  if (reader == Reader::Fits) return img.Readfitsfile(path);
  return reader == Reader::Bmp ? img.ReadBMPfile(path, channel) : img.ReadPPMfile(path, channel);
}

// Size and every pixel, to see whether a buffer changed.
std::vector<int> snapshot(const Timgbuffer& img) {
  std::vector<int> values = {img.xsize, img.ysize};
  for (int y = 1; y <= img.ysize; ++y)
    for (int x = 1; x <= img.xsize; ++x) values.push_back(img.getpixel(x, y));
  return values;
}

// From now on the address space may grow by `bytes` at most.
void limitAddressSpaceGrowth(rlim_t bytes) {
  std::ifstream statm("/proc/self/statm");
  rlim_t pages = 0;
  statm >> pages;
  const rlim_t limit = pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + bytes;
  const rlimit lim{limit, limit};
  ASSERT_EQ(::setrlimit(RLIMIT_AS, &lim), 0);
}

struct Refusal {
  std::string bytes;
  std::string reason;  // the start of the reason, or all of it
  int channel = 1;
};

class ReaderRefusalTest : public ::testing::Test {
 protected:
  // Loads `good`, then reads every refused file in a child; then a missing
  // file, a folder and a pipe (whose open must not wait for a writer).
  void expectRefused(Reader reader, const std::string& good, std::vector<Refusal> cases) {
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
      const bool keepsImage = reader != Reader::Fits || i >= files;
      const test::ChildOutcome child = test::runInChild(
          [&](std::string& report) {
            Timgbuffer img;
            if (!readAs(reader, img, goodPath)) return 3;
            const std::vector<int> before = snapshot(img);
            limitAddressSpaceGrowth(64 << 20);
            const bool read = readAs(reader, img, path, c.channel);
            report = img.readError;
            if (read) return 1;
            return keepsImage && snapshot(img) != before ? 2 : 0;
          },
          test::ChildLimits{-1, 20});
      ASSERT_TRUE(child.exited) << "signal " << child.signal << " (SIGALRM: it hung)";
      EXPECT_EQ(child.exitCode, 0) << "1: accepted, 2: image changed, 3: good file refused; "
                                   << child.report;
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
      Reader::Fits, fits(16, 2, 2, {1, 2, 3, 4}),
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
          {fits(16, -70000, -70000), "no image data (NAXIS1 = -70000, NAXIS2 = -70000)"},
          {fits(16, 0, 0), "no image data (NAXIS1 = 0, NAXIS2 = 0)"},
          {fits(16, -2000000000, -2), "no image data"},
          // NAXIS1 beyond 32 bits must not wrap round to 1.
          {FitsBuilder(16, 0, 1).card("NAXIS1", "4294967297").bytes(),
           "no image data (NAXIS1 = 0, NAXIS2 = 1)"},
          {fits(16, 2000000000, 2000000000),
           "image too large (2000000000 x 2000000000 pixels, at most 100000000)"},
          {fits(-32, 2147483647, 1), "image too large (2147483647 x 1 pixels"},
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
  const std::string tail(64, '\0');
  const auto headers = [&](BmpHeader h) { return test::bmpHeaders(h) + tail; };
  // 3 x 3 pixels: rows of 9 bytes and 3 padding bytes, 54 + 36 bytes in all.
  const std::string whole = test::bmpPicture(3, false);
  std::string png = whole;
  png[0] = '\x89';
  std::vector<Refusal> cases = {
      {"", "not a BMP file (shorter than its headers)"},
      {"BM", "not a BMP file (shorter than its headers)"},
      {png, "not a BMP file (no BM signature)"},
      {headers({3, 3, 12}), "unsupported BMP header (12 bytes)"},
      {headers({3, 3, 0xFFFFFFFFu}), "corrupt BMP header (pixel data inside the headers)"},
      {headers({3, 3, 40, 1, 24, 1}), "compressed BMP files are not read"},
      {headers({3, 3, 40, 0}), "corrupt BMP header (planes must be 1)"},
      {headers({3, 0}), "no image data (width 3, height 0)"},
      {headers({-3, 2}), "no image data (width -3, height 2)"},
      {headers({0, 2}), "no image data (width 0, height 2)"},
      {headers({2'000'000'000, 1}), "image too large (2000000000 x 1 pixels, at most 100000000)"},
      {headers({100000, 100000}), "image too large (100000 x 100000 pixels"},
      {headers({1, INT32_MIN}), "image too large (1 x 2147483648 pixels"},
      {headers({INT32_MAX, -INT32_MAX}), "image too large (2147483647 x 2147483647 pixels"},
      // Rows of 3000 bytes: 54 + 999 * 3000 + 3000 needed.
      {headers({1000, 1000}), "truncated data (118 bytes, 3000054 needed)"},
      {headers({1000, -1000}), "truncated data (118 bytes, 3000054 needed)"},
      {headers({10000, -10000}), "truncated data (118 bytes, 300000054 needed)"},
      // The last row's padding may be missing, one of its pixel bytes may not.
      {whole.substr(0, whole.size() - 4), "truncated data (86 bytes, 87 needed)"},
      {whole.substr(0, 54), "truncated data (54 bytes, 87 needed)"},
      {test::bmpHeaders({3, 3, 40, 1, 24, 0, 0xFFFFFFF0u}) + whole.substr(54),
       "truncated data (90 bytes, 4294967313 needed)"},
      {test::bmpHeaders({3, 3, 40, 1, 24, 0, 20}) + whole.substr(54),
       "corrupt BMP header (pixel data inside the headers)"},
      {whole, "colour channel must be 1, 2 or 3", 0},
      {whole, "colour channel must be 1, 2 or 3", 4},
  };
  for (const int bits : {1, 4, 8, 16, 32}) {
    cases.push_back({headers({3, 3, 40, 1, std::uint16_t(bits)}),
                     "only 24-bit BMP files are read (this one has " + std::to_string(bits) +
                         " bits per pixel)"});
  }
  expectRefused(Reader::Bmp, whole, cases);
}

TEST_F(ReaderRefusalTest, Ppm) {
  const auto asIs = [](int v) { return v; };
  const std::string wide = test::ppmPicture(3, 65535, asIs);  // 13 + 54 bytes
  const std::string narrow = test::ppmPicture(3, 255, asIs);  // 11 + 27 bytes
  const std::string data = wide.substr(13);
  expectRefused(
      Reader::Ppm, wide,
      {
          {"P3\n2 2\n255\n1 2 3 4 5 6 7 8 9 10 11 12\n",
           "text PPM files (P3) are not read, only binary ones (P6)"},
          {"P5\n2 2\n255\n1234", "not a binary PPM file (no P6 signature)"},
          {"", "not a binary PPM file (no P6 signature)"},
          {"P", "not a binary PPM file (no P6 signature)"},
          {"P6\n",
           "PPM header not read (it must be three lines within 20 bytes, without comments)"},
          {"P6\n3 3\n65535", "PPM header not read"},
          {"P6\n12000 10000\n65535\n" + data, "PPM header not read"},  // third line feed: byte 21
          {"P6\n# dcraw\n3 3\n65535\n" + data, "PPM size not read (\"# dcraw\")"},
          {"P6\nabc 3\n65535\n" + data, "PPM size not read (\"abc 3\")"},
          {"P6\n3\n65535\n" + data, "PPM size not read (\"3\")"},
          {"P6\n-3 3\n65535\n" + data, "PPM size not read (\"-3 3\")"},
          {"P6\n3 +3\n65535\n" + data, "PPM size not read (\"3 +3\")"},
          {"P6\n0 3\n65535\n" + data, "PPM size not read (\"0 3\")"},
          {"P6\n3 2.5\n65535\n" + data, "PPM size not read (\"3 2.5\")"},
          {"P6\n4294967298 1\n1\n", "PPM size not read (\"4294967298 1\")"},
          {"P6\n99999999999 9\n1\n", "PPM size not read (\"99999999999 9\")"},
          {"P6\n3 3\n0\n" + data, "PPM maximum value not read or out of range (\"0\")"},
          {"P6\n3 3\n65536\n" + data, "PPM maximum value not read or out of range (\"65536\")"},
          {"P6\n3 3\n99999999\n" + data,
           "PPM maximum value not read or out of range (\"99999999\")"},
          {"P6\n3 3\nx\n" + data, "PPM maximum value not read or out of range (\"x\")"},
          {"P6\n3 3\n\n" + data, "PPM maximum value not read or out of range (\"\")"},
          {"P6\n100000 100000\n1\n" + std::string(64, 'x'),
           "image too large (100000 x 100000 pixels, at most 100000000)"},
          {"P6\n2147483647 9\n1\n" + data, "image too large (2147483647 x 9 pixels"},
          // A header of exactly 20 bytes is read.
          {"P6\n1200 10000\n65535\n", "truncated data (20 bytes, 72000020 needed)"},
          {"P6\n10000 10000\n255\n" + std::string(99, 'x'),
           "truncated data (118 bytes, 300000019 needed)"},
          {"P6\n9999 9999\n65535\n" + data.substr(0, 24),
           "truncated data (43 bytes, 599880025 needed)"},
          {wide.substr(0, wide.size() - 1), "truncated data (66 bytes, 67 needed)"},
          {narrow.substr(0, narrow.size() - 1), "truncated data (37 bytes, 38 needed)"},
          {wide, "colour channel must be 1, 2 or 3", 0},
          {wide, "colour channel must be 1, 2 or 3", 4},
      });
}

// A colour plane and the header alone are not read from a pipe either.
TEST_F(ReaderRefusalTest, PipesAreNotWaitedOn) {
  const std::string pipe = test::makePipe(dir, "camera.fit");
  const std::string reason = test::expectPipeRefused([&](std::string& report) {
    Timgbuffer img;
    img.filename = pipe;
    std::unique_ptr<Timgbuffer> plane;
    const bool read = img.Readcolorfits(1, plane);
    report = img.readError;
    return read;
  });
  EXPECT_NE(reason.find("not a regular file"), std::string::npos) << reason;
  test::expectPipeRefused([&](std::string&) {
    FitsHeader header;
    ReadFitsheader(pipe, header);
    return header.card(1).substr(0, 6) == "SIMPLE";
  });
}

}  // namespace
}  // namespace vargaze
