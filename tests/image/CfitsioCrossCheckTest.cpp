// Cross-checks with an independent FITS implementation: files written by
// CFITSIO read back with the values CFITSIO reports, and files we write pass
// fitsverify and read back in CFITSIO with our pixel values.
#include <fitsio.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "image/Imgbuffer.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

// Physical pixel values and size of a FITS file as CFITSIO reads them.
struct CfitsioImage {
  long width = 0;
  long height = 0;
  std::vector<double> values;
};

CfitsioImage readWithCfitsio(const std::string& path) {
  fitsfile* f = nullptr;
  int status = 0;
  CfitsioImage image;
  fits_open_file(&f, path.c_str(), READONLY, &status);
  long axes[2] = {0, 0};
  int naxis = 0;
  fits_get_img_dim(f, &naxis, &status);
  fits_get_img_size(f, 2, axes, &status);
  image.width = axes[0];
  image.height = axes[1];
  image.values.resize(std::size_t(axes[0] * axes[1]));
  int anynull = 0;
  fits_read_img(f, TDOUBLE, 1, axes[0] * axes[1], nullptr, image.values.data(), &anynull,
                &status);
  fits_close_file(f, &status);
  EXPECT_EQ(status, 0) << "CFITSIO status reading " << path;
  return image;
}

// Writes `values` with CFITSIO in the given BITPIX, optionally with BZERO.
void writeWithCfitsio(const std::string& path, int bitpix, long width, long height,
                      const std::vector<double>& values, double bzero = 0.0) {
  fitsfile* f = nullptr;
  int status = 0;
  const std::string target = "!" + path;  // "!" replaces an existing file
  fits_create_file(&f, target.c_str(), &status);
  long axes[2] = {width, height};
  fits_create_img(f, bitpix, 2, axes, &status);
  if (bzero != 0.0) {
    fits_write_key(f, TDOUBLE, "BZERO", &bzero, "offset", &status);
    double one = 1.0;
    fits_write_key(f, TDOUBLE, "BSCALE", &one, "scale", &status);
    fits_set_bscale(f, 1.0, bzero, &status);
  }
  fits_write_img(f, TDOUBLE, 1, width * height, const_cast<double*>(values.data()), &status);
  fits_close_file(f, &status);
  ASSERT_EQ(status, 0) << "CFITSIO status writing " << path;
}

// fitsverify's one-line verdict for a file.
std::string fitsverify(const std::string& path) {
  const std::string command = "fitsverify -q '" + path + "' 2>&1";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::string out;
  std::array<char, 256> buf{};
  while (pipe && fgets(buf.data(), int(buf.size()), pipe.get())) out += buf.data();
  return out;
}

std::vector<double> ramp(long n, double start, double step) {
  std::vector<double> v(static_cast<std::size_t>(n));
  for (long i = 0; i < n; ++i) v[std::size_t(i)] = start + step * double(i);
  return v;
}

class CfitsioCrossCheckTest : public ::testing::Test {
 protected:
  test::TempDir dir;
};

TEST_F(CfitsioCrossCheckTest, FilesWrittenByCfitsioReadWithTheSamePhysicalValues) {
  struct Case {
    int bitpix;
    double bzero;
    std::vector<double> values;
  };
  const std::vector<Case> cases = {
      {BYTE_IMG, 0, ramp(24, 0, 11)},
      {SHORT_IMG, 0, ramp(24, 0, 1300)},
      {SHORT_IMG, 32768, ramp(24, 0, 2800)},  // unsigned 16-bit camera data
      {LONG_IMG, 0, ramp(24, 5, 98765)},
      {FLOAT_IMG, 0, ramp(24, 0.25, 1234.5)},
  };
  for (const Case& c : cases) {
    const std::string path = dir.file("cfitsio.fit");
    writeWithCfitsio(path, c.bitpix, 6, 4, c.values, c.bzero);
    const CfitsioImage reference = readWithCfitsio(path);
    Timgbuffer img;
    ASSERT_TRUE(img.Readfitsfile(path)) << img.readError;
    ASSERT_EQ(img.xsize, reference.width);
    ASSERT_EQ(img.ysize, reference.height);
    for (int y = 1; y <= img.ysize; ++y) {
      for (int x = 1; x <= img.xsize; ++x) {
        const double expected = reference.values[std::size_t((y - 1) * img.xsize + x - 1)];
        // Float data are rounded to integers (ties to even) on reading.
        EXPECT_EQ(img.getpixel(x, y) - img.Offset1, std::nearbyint(expected))
            << "BITPIX " << c.bitpix << " BZERO " << c.bzero << " pixel " << x << "," << y;
      }
    }
  }
}

TEST_F(CfitsioCrossCheckTest, NegativeValuesWrittenByCfitsio) {
  const std::string path = dir.file("negative.fit");
  writeWithCfitsio(path, SHORT_IMG, 4, 1, {-500, -1, 0, 700});
  Timgbuffer img;
  ASSERT_TRUE(img.Readfitsfile(path));
  EXPECT_EQ(img.Offset1, 500.0);
  EXPECT_EQ(img.getpixel(1, 1), 0);
  EXPECT_EQ(img.getpixel(4, 1), 1200);
}

TEST_F(CfitsioCrossCheckTest, OurFilesPassFitsverifyAndReadInCfitsio) {
  Timgbuffer words;
  words.init(40, 30, kPixel16);
  for (int y = 1; y <= 30; ++y) {
    for (int x = 1; x <= 40; ++x) words.putpixel(x, y, (x * 997 + y * 61) % 65536);
  }
  words.Datetime = "2023-10-05T21:13:45.500";
  words.Exposure = 12.5;
  words.FilterName = "R";
  Timgbuffer undated;  // no date: the file must not carry DATE-OBS = 'date?'
  undated.init(3, 3, kPixel16);
  undated.Datetime = "date?";
  Timgbuffer shifted;  // a negative image as the reader leaves it
  shifted.init(3, 1, kPixel32);
  shifted.putpixel(2, 1, 40);
  shifted.putpixel(3, 1, 1000);
  shifted.Offset1 = 40;
  Timgbuffer bytes;
  bytes.init(5, 5, kPixel8);
  bytes.putpixel(3, 3, 200);

  for (Timgbuffer* img : {&words, &undated, &shifted, &bytes}) {
    const std::string path = dir.file("ours.fit");
    ASSERT_TRUE(img->Writefitsfile(path));
    const std::string verdict = fitsverify(path);
    EXPECT_NE(verdict.find("verification OK"), std::string::npos) << verdict;
    EXPECT_EQ(verdict.find("error"), std::string::npos) << verdict;
    const CfitsioImage reference = readWithCfitsio(path);
    ASSERT_EQ(reference.width, img->xsize);
    for (int y = 1; y <= img->ysize; ++y) {
      for (int x = 1; x <= img->xsize; ++x) {
        EXPECT_EQ(reference.values[std::size_t((y - 1) * img->xsize + x - 1)],
                  img->getpixel(x, y) - img->Offset1);
      }
    }
  }
}

}  // namespace
}  // namespace vargaze
