// Real camera and observatory frames: metadata as their headers state it and
// pixel values as CFITSIO reads them.
#include <fitsio.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "image/Imgbuffer.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

std::string realFrame(const std::string& name) { return test::testDataDir() + "/real/" + name; }

// Physical values of the primary image as CFITSIO reads them.
std::vector<double> cfitsioPixels(const std::string& path) {
  fitsfile* f = nullptr;
  int status = 0;
  long axes[2] = {0, 0};
  fits_open_file(&f, path.c_str(), READONLY, &status);
  fits_get_img_size(f, 2, axes, &status);
  std::vector<double> values(std::size_t(axes[0] * axes[1]));
  int anynull = 0;
  fits_read_img(f, TDOUBLE, 1, axes[0] * axes[1], nullptr, values.data(), &anynull, &status);
  fits_close_file(f, &status);
  EXPECT_EQ(status, 0) << path;
  return values;
}

// Every pixel of our reading equals CFITSIO's physical value rounded to an
// integer (ties to even), once our zero-point shift is taken off.
void expectCfitsioValues(const std::string& name) {
  const std::string path = realFrame(name);
  Timgbuffer img;
  ASSERT_TRUE(img.Readfitsfile(path)) << name << ": " << img.readError;
  const std::vector<double> reference = cfitsioPixels(path);
  ASSERT_EQ(reference.size(), std::size_t(img.pixelCount())) << name;
  int mismatches = 0;
  for (int y = 1; y <= img.ysize; ++y) {
    for (int x = 1; x <= img.xsize; ++x) {
      const double expected = std::nearbyint(reference[std::size_t((y - 1) * img.xsize + x - 1)]);
      if (img.getpixel(x, y) - img.Offset1 != expected && ++mismatches <= 3) {
        ADD_FAILURE() << name << " pixel " << x << "," << y << ": " << img.getpixel(x, y)
                      << " - " << img.Offset1 << " != " << expected;
      }
    }
  }
  EXPECT_EQ(mismatches, 0) << name;
}

TEST(RealFramesTest, PixelValuesAgreeWithCfitsio) {
  for (const char* name : {"msumastro/maximdl_6_16_header.fit", "msumastro/maximdl_5_21_header.fit",
                           "msumastro/biastest1.fit", "msumastro/aspen_trimmed.fit",
                           "msumastro/neon-on-dome-10-sec-high-res-though-scope.fit",
                           "ccdproc/a8280271.fits", "indi/ngc1316o.fits", "indi/m42_test.fits",
                           "pillow/m13.fits", "panoptes_pocs/tiny.fits",
                           "stellarphot/cutout_for_fwhm_test.fits",
                           "neoexchange/hotpants_test_frame.fits",
                           "seestar_m94_timeseries/Light_M 94_10.0s_IRCUT_20250327-014513.fit"}) {
    expectCfitsioValues(name);
  }
}

TEST(RealFramesTest, ScaledHubbleFrameAgreesWithinOneCount) {
  // BSCALE 0.01428...: the scale is applied to the stored words as a 32-bit
  // float, so a value exactly between two counts may round the other way.
  const std::string path = realFrame("indi/x0cj010ct_d0h.fit");
  Timgbuffer img;
  ASSERT_TRUE(img.Readfitsfile(path)) << img.readError;
  const std::vector<double> reference = cfitsioPixels(path);
  double worst = 0;
  for (int i = 0; i < img.pixelCount(); ++i) {
    const int x = i % img.xsize + 1;
    const int y = i / img.xsize + 1;
    worst = std::max(worst, std::fabs(img.getpixel(x, y) - img.Offset1 - reference[std::size_t(i)]));
  }
  EXPECT_LE(worst, 1.0);
  EXPECT_EQ(img.Datetime.substr(0, 10), "1990-08-28");
  EXPECT_DOUBLE_EQ(img.Exposure, 723.0);
}

TEST(RealFramesTest, MaximFrameTimeMatchesItsOwnJulianDate) {
  Timgbuffer img;
  ASSERT_TRUE(img.Readfitsfile(realFrame("msumastro/maximdl_6_16_header.fit")));
  // The camera software wrote JD = 2456581.7823379631 for the exposure start.
  EXPECT_NEAR(img.JDstart, 2456581.7823379631, 1e-6);
  EXPECT_EQ(img.Datetime, "2013-10-16T06:46:34.000");
  EXPECT_EQ(img.FilterType, 2);
  EXPECT_DOUBLE_EQ(img.Exposure, 90.0);
  EXPECT_NEAR(img.Airmass, 1.4496400175438251, 1e-12);
  EXPECT_EQ(img.Xbinning, 1);
  EXPECT_TRUE(img.Wordmode);

  Timgbuffer calibrated;
  ASSERT_TRUE(calibrated.Readfitsfile(realFrame("msumastro/maximdl_5_21_header.fit")));
  EXPECT_NEAR(calibrated.JDstart, 2456362.6495370371, 1e-6);
  EXPECT_EQ(calibrated.FilterType, 4);
  EXPECT_GT(calibrated.Offset1, 0.0);  // negative values were shifted
  EXPECT_EQ(calibrated.bufferMin, 0);
}

TEST(RealFramesTest, DateForms) {
  struct Case {
    const char* file;
    const char* datetime;
  };
  const Case cases[] = {
      {"ccdproc/a8280271.fits", "2013-07-13T00:57:33.000"},  // date-only DATE-OBS + UT
      {"stellarphot/cutout_for_fwhm_test.fits", "2018-08-23T05:55:39.000"},
      {"neoexchange/hotpants_test_frame.fits", "2024-06-10T11:39:15.759"},
      {"seestar_m94_timeseries/Light_M 94_10.0s_IRCUT_20250327-014513.fit",
       "2025-03-27T05:45:00.734"},  // microseconds cut to the 12 characters read
      {"indi/ngc1316o.fits", "1994-03-24T00:00:00.000"},  // dd/mm/yy in DATE only
      {"indi/m42_test.fits", "date?"},
      {"pillow/m13.fits", "date?"},
  };
  for (const Case& c : cases) {
    Timgbuffer img;
    ASSERT_TRUE(img.Readfitsfile(realFrame(c.file))) << c.file << ": " << img.readError;
    EXPECT_EQ(img.Datetime, c.datetime) << c.file;
  }
}

TEST(RealFramesTest, PrimaryUnitWithoutPixelsIsRefused) {
  Timgbuffer img;
  EXPECT_FALSE(img.Readfitsfile(realFrame("astropy/test0.fits")));
  EXPECT_NE(img.readError.find("no image data"), std::string::npos) << img.readError;
}

TEST(RealFramesTest, ConvertedFrameKeepsHeaderCardsAndPhysicalValues) {
  test::TempDir dir;
  const std::string out = dir.file("converted.fit");
  Timgbuffer img;
  ASSERT_TRUE(img.Readfitsfile(realFrame("neoexchange/hotpants_test_frame.fits")));
  ASSERT_TRUE(img.Writefitsfile(out));
  Timgbuffer back;
  ASSERT_TRUE(back.Readfitsfile(out)) << back.readError;
  EXPECT_EQ(back.Datetime, img.Datetime);
  EXPECT_EQ(getFitskeyString(back.fitsheader, "UTSTART"), "11:39:16.659");
  const std::vector<double> reference = cfitsioPixels(out);
  for (int i = 0; i < img.pixelCount(); ++i) {
    ASSERT_EQ(reference[std::size_t(i)],
              img.getpixel(i % img.xsize + 1, i / img.xsize + 1) - img.Offset1);
  }
}

}  // namespace
}  // namespace vargaze
