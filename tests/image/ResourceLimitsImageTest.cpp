// Image files announcing absurd sizes: FITS headers of two billion pixels a
// side, a PPM of 100000 x 100000, BMPs with a negative or huge size. Each is
// refused with its reason before any pixel memory is taken; each read runs
// in a child so its memory growth can be measured.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/ImageFileBytes.h"
#include "image/Imgbuffer.h"
#include "support/FaultInjection.h"
#include "support/FitsBuilder.h"

namespace vargaze {
namespace {

// A refused header may cost a little memory, never the image it announces.
constexpr std::int64_t kRefusalGrowthKb = 32 * 1024;

// A FITS header from whole cards, padded to a block, followed by `dataBytes`
// zero bytes.
std::string fitsHeader(const std::vector<std::string>& cards, std::size_t dataBytes = 2880) {
  std::string out;
  for (const std::string& c : cards) out += c + std::string(80 - c.size(), ' ');
  out += "END" + std::string(77, ' ');
  out += std::string((2880 - out.size() % 2880) % 2880, ' ');
  return out + std::string(dataBytes, '\0');
}

std::string card(const std::string& key, const std::string& value) {
  std::string c = key + std::string(8 - key.size(), ' ') + "= ";
  return c + std::string(20 - value.size(), ' ') + value;
}

// A two-axis image header announcing naxis1 x naxis2 pixels of `bitpix`.
std::string imageHeader(int bitpix, const std::string& naxis1, const std::string& naxis2) {
  return fitsHeader({card("SIMPLE", "T"), card("BITPIX", std::to_string(bitpix)),
                     card("NAXIS", "2"), card("NAXIS1", naxis1), card("NAXIS2", naxis2)});
}

// 24-bit BMP headers announcing width x height, with `dataBytes` of pixels.
std::string bmpBytes(std::int32_t width, std::int32_t height, std::size_t dataBytes) {
  std::string out = "BM";
  test::putLe32(out, static_cast<std::uint32_t>(54 + dataBytes));
  test::putLe32(out, 0);
  test::putLe32(out, 54);
  test::putLe32(out, 40);
  test::putLe32(out, static_cast<std::uint32_t>(width));
  test::putLe32(out, static_cast<std::uint32_t>(height));
  test::putLe16(out, 1);
  test::putLe16(out, 24);
  for (int i = 0; i < 6; ++i) test::putLe32(out, 0);
  return out + std::string(dataBytes, '\x40');
}

enum class Reader { Fits, Ppm, Bmp };

// Reads `path` in a child; returns the outcome with readError as report and
// exit code 0 for a refusal, 1 for an accepted file.
test::ChildOutcome readInChild(Reader reader, const std::string& path) {
  return test::runInChild(
      [&](std::string& report) {
        Timgbuffer img;
        bool ok = false;
        if (reader == Reader::Fits) ok = img.Readfitsfile(path);
        if (reader == Reader::Ppm) ok = img.ReadPPMfile(path, 2);
        if (reader == Reader::Bmp) ok = img.ReadBMPfile(path, 2);
        report = ok ? std::to_string(img.xsize) + "x" + std::to_string(img.ysize) : img.readError;
        return ok ? 1 : 0;
      },
      test::ChildLimits{-1, 60});
}

void expectRefused(Reader reader, const std::string& path, const std::string& reasonStart) {
  SCOPED_TRACE(path);
  const test::ChildOutcome child = readInChild(reader, path);
  ASSERT_TRUE(child.exited) << "signal " << child.signal;
  EXPECT_EQ(child.exitCode, 0) << "accepted as " << child.report;
  EXPECT_EQ(child.report.substr(0, reasonStart.size()), reasonStart) << child.report;
  EXPECT_LT(child.rssGrowthKb, kRefusalGrowthKb);
}

class ResourceLimitsImageTest : public ::testing::Test {
 protected:
  std::string write(const std::string& name, const std::string& bytes) {
    const std::string path = dir.file(name);
    test::writeBytes(path, bytes);
    return path;
  }

  test::TempDir dir;
};

TEST_F(ResourceLimitsImageTest, FitsHeadersOfHugeImagesAreRefused) {
  expectRefused(Reader::Fits, write("a.fit", imageHeader(16, "2000000000", "2000000000")),
                "image too large (2000000000 x 2000000000 pixels");
  expectRefused(Reader::Fits, write("b.fit", imageHeader(-32, "2147483647", "1")),
                "image too large");
  // One pixel more than the buffer holds, a pixel row of 8-byte values.
  expectRefused(Reader::Fits, write("c.fit", imageHeader(32, "100000001", "1")),
                "image too large");
  // Sizes beyond 32 bits must not wrap round to a small image.
  expectRefused(Reader::Fits, write("d.fit", imageHeader(16, "4294967297", "1")),
                "");
  expectRefused(Reader::Fits, write("e.fit", imageHeader(16, "-2000000000", "-2")),
                "no image data");
  // The largest image the buffer takes, announced by a file of one block:
  // refused as truncated without taking its 200 MB.
  expectRefused(Reader::Fits, write("f.fit", imageHeader(16, "10000", "10000")),
                "truncated data");
}

TEST_F(ResourceLimitsImageTest, PpmOfHugeSizeIsRefused) {
  expectRefused(Reader::Ppm, write("a.ppm", "P6\n100000 100000\n1\n" + std::string(64, 'x')),
                "image too large (100000 x 100000 pixels");
  expectRefused(Reader::Ppm, write("b.ppm", "P6\n99999999999 9\n1\n"), "");
  // At the limit, with almost no data: truncated, no memory taken.
  expectRefused(Reader::Ppm, write("c.ppm", "P6\n10000 10000\n255\n" + std::string(99, 'x')),
                "truncated data");
}

TEST_F(ResourceLimitsImageTest, BmpWithNegativeOrHugeSizes) {
  expectRefused(Reader::Bmp, write("wide.bmp", bmpBytes(2'000'000'000, 1, 64)),
                "image too large (2000000000 x 1 pixels");
  expectRefused(Reader::Bmp, write("tall.bmp", bmpBytes(1, INT32_MIN, 64)), "image too large");
  expectRefused(Reader::Bmp, write("neg.bmp", bmpBytes(-5, 4, 64)), "no image data");
  expectRefused(Reader::Bmp, write("short.bmp", bmpBytes(10000, -10000, 64)), "truncated data");

  // A top-down BMP (negative height) of sensible size is read, its first
  // stored row as the top line.
  std::string topDown = bmpBytes(2, -3, 0);
  for (int row = 0; row < 3; ++row) topDown += std::string{0, char(10 + row), 0, 0, char(20 + row), 0, 0, 0};
  const test::ChildOutcome child = readInChild(Reader::Bmp, write("topdown.bmp", topDown));
  EXPECT_EQ(child.exitCode, 1) << child.report;
  EXPECT_EQ(child.report, "2x3");
  Timgbuffer img;
  ASSERT_TRUE(img.ReadBMPfile(dir.file("topdown.bmp"), 2)) << img.readError;
  EXPECT_EQ(img.getpixel(1, 3), 10);  // stored first, top of the picture
  EXPECT_EQ(img.getpixel(2, 1), 22);
}

TEST_F(ResourceLimitsImageTest, PipesAreRefusedWithoutWaiting) {
  const std::string pipe = test::makePipe(dir, "camera.fit");
  EXPECT_EQ(test::expectPipeRefused([&](std::string& report) {
              Timgbuffer img;
              const bool read = img.Readfitsfile(pipe);
              report = img.readError;
              return read;
            }),
            "not a regular file");
  test::expectPipeRefused([&](std::string&) {
    FitsHeader header;
    ReadFitsheader(pipe, header);
    return header.card(1).substr(0, 6) == "SIMPLE";
  });
  test::expectPipeRefused([&](std::string& report) {
    Timgbuffer img;
    img.filename = pipe;
    std::unique_ptr<Timgbuffer> plane;
    const bool read = img.Readcolorfits(1, plane);
    report = img.readError;
    return read;
  });
  test::expectPipeRefused([&](std::string& report) {
    Timgbuffer img;
    const bool read = img.ReadBMPfile(pipe, 2) || img.ReadPPMfile(pipe, 2);
    report = img.readError;
    return read;
  });
}

}  // namespace
}  // namespace vargaze
