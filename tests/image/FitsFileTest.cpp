// FITS files against an independent implementation: files CFITSIO writes and
// real camera and observatory frames (tests/data/real) read with CFITSIO's
// values; files we write (a real frame among them) pass fitsverify and read
// back with ours in CFITSIO and in our reader. A failed write keeps the old file.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <tuple>
#include <vector>

#include "image/Imgbuffer.h"
#include "support/CfitsioReader.h"
#include "support/FaultInjection.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

std::string realFrame(const std::string& name) { return test::testDataDir() + "/real/" + name; }

// Every pixel of our reading, less our zero-point shift, equals CFITSIO's
// physical value rounded to an integer (ties to even), or lies within `tolerance` of it.
void expectCfitsioValues(const std::string& path, double tolerance = 0) {
  SCOPED_TRACE(path);
  Timgbuffer img;
  ASSERT_TRUE(img.Readfitsfile(path)) << img.readError;
  const test::CfitsioImage reference = test::readWithCfitsio(path);
  ASSERT_EQ(img.xsize, reference.width);
  ASSERT_EQ(img.ysize, reference.height);
  int mismatches = 0;
  for (int y = 1; y <= img.ysize; ++y) {
    for (int x = 1; x <= img.xsize; ++x) {
      const double expected = reference.values[std::size_t((y - 1) * img.xsize + x - 1)];
      const double ours = img.getpixel(x, y) - img.Offset1;
      const bool same = tolerance > 0 ? std::fabs(ours - expected) <= tolerance
                                      : ours == std::nearbyint(expected);
      if (!same && ++mismatches <= 3) {
        ADD_FAILURE() << "pixel " << x << "," << y << ": " << ours << " != " << expected;
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

std::vector<double> ramp(long n, double start, double step) {
  std::vector<double> v(static_cast<std::size_t>(n));
  for (long i = 0; i < n; ++i) v[std::size_t(i)] = start + step * double(i);
  return v;
}

TEST(CfitsioCrossCheckTest, FilesWrittenByCfitsio) {
  struct Case {
    int bitpix;
    double bzero;
    std::vector<double> values;
  };
  const Case cases[] = {
      {BYTE_IMG, 0, ramp(24, 0, 11)},
      {SHORT_IMG, 0, ramp(24, 0, 1300)},
      {SHORT_IMG, 32768, ramp(24, 0, 2800)},  // unsigned 16-bit camera data
      {SHORT_IMG, 0, ramp(24, -500, 43)},     // negative values: shifted on reading
      {LONG_IMG, 0, ramp(24, 5, 98765)},
      {FLOAT_IMG, 0, ramp(24, 0.25, 1234.5)},  // rounded on reading
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE("BITPIX " + std::to_string(c.bitpix) + " BZERO " + std::to_string(c.bzero));
    const std::string path = dir.file("cfitsio.fit");
    test::writeWithCfitsio(path, c.bitpix, 6, 4, c.values, c.bzero);
    expectCfitsioValues(path);
  }
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
    expectCfitsioValues(realFrame(name));
  }
  // BSCALE 0.01428...: the scale is applied to the stored words as a 32-bit
  // float, so a value exactly between two counts may round the other way.
  expectCfitsioValues(realFrame("indi/x0cj010ct_d0h.fit"), 1.0);
}

TEST(RealFramesTest, MetadataAsTheHeadersStateIt) {
  Timgbuffer img;
  ASSERT_TRUE(img.Readfitsfile(realFrame("msumastro/maximdl_6_16_header.fit")));
  // The camera software wrote JD = 2456581.7823379631 for the exposure start.
  EXPECT_NEAR(img.JDstart, 2456581.7823379631, 1e-6);
  EXPECT_EQ(std::tuple(img.FilterType, img.Exposure, img.Xbinning, img.Wordmode),
            std::tuple(2, 90.0, 1, true));
  EXPECT_NEAR(img.Airmass, 1.4496400175438251, 1e-12);
  ASSERT_TRUE(img.Readfitsfile(realFrame("msumastro/maximdl_5_21_header.fit")));
  EXPECT_NEAR(img.JDstart, 2456362.6495370371, 1e-6);
  EXPECT_EQ(img.FilterType, 4);
  EXPECT_GT(img.Offset1, 0.0);  // negative values were shifted
  EXPECT_EQ(img.bufferMin, 0);
  ASSERT_TRUE(img.Readfitsfile(realFrame("indi/x0cj010ct_d0h.fit")));
  EXPECT_EQ(img.Exposure, 723.0);

  const std::pair<const char*, const char*> dates[] = {
      {"msumastro/maximdl_6_16_header.fit", "2013-10-16T06:46:34.000"},
      {"indi/x0cj010ct_d0h.fit", "1990-08-28"},
      {"ccdproc/a8280271.fits", "2013-07-13T00:57:33.000"},  // date-only DATE-OBS + UT
      {"stellarphot/cutout_for_fwhm_test.fits", "2018-08-23T05:55:39.000"},
      {"neoexchange/hotpants_test_frame.fits", "2024-06-10T11:39:15.759"},
      {"seestar_m94_timeseries/Light_M 94_10.0s_IRCUT_20250327-014513.fit",
       "2025-03-27T05:45:00.734"},  // microseconds cut to the 12 characters read
      {"indi/ngc1316o.fits", "1994-03-24T00:00:00.000"},  // dd/mm/yy in DATE only
      {"indi/m42_test.fits", "date?"},
      {"pillow/m13.fits", "date?"},
  };
  for (const auto& [file, datetime] : dates) {
    ASSERT_TRUE(img.Readfitsfile(realFrame(file))) << file << ": " << img.readError;
    EXPECT_EQ(img.Datetime.substr(0, std::string(datetime).size()), datetime) << file;
  }
  EXPECT_FALSE(img.Readfitsfile(realFrame("astropy/test0.fits")));  // a header without pixels
  EXPECT_EQ(img.readError.substr(0, 13), "no image data");
}

// The header cards alone (ReadFitsheader) agree with CFITSIO's reading.
TEST(RealFramesTest, HeaderCardsAgreeWithCfitsio) {
  for (const char* name : {"neoexchange/hotpants_test_frame.fits",
                           "msumastro/maximdl_6_16_header.fit",
                           "stellarphot/cutout_for_fwhm_test.fits"}) {
    const std::string path = realFrame(name);
    FitsHeader h;
    ReadFitsheader(path, h);
    const test::CfitsioImage reference = test::readWithCfitsio(path);
    EXPECT_EQ(h.endCard(), reference.keys + 1) << path;
    bool error = true;
    EXPECT_EQ(getFitskeyInteger(h, "NAXIS1", error), reference.width) << path;
    EXPECT_FALSE(error);
    EXPECT_EQ(getFitskeyString(h, "DATE-OBS"), reference.dateObs) << path;
  }
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

// An image whose pixel (x, y) holds value(x, y); physical values are those less `offset`.
Timgbuffer image(int width, int height, int code, const std::function<int(int, int)>& value,
                 double offset = 0) {
  Timgbuffer img;
  img.init(width, height, code);
  for (int y = 1; y <= height; ++y)
    for (int x = 1; x <= width; ++x) img.putpixel(x, y, value(x, y));
  img.Offset1 = offset;
  return img;
}

TEST(FitsWriteTest, PassesFitsverifyAndReadsBackInCfitsioAndOurReader) {
  std::vector<Timgbuffer> images;
  images.push_back(
      image(40, 30, kPixel16, [](int x, int y) { return (x * 1777 + y * 313) % 65536; }));
  Timgbuffer& words = images[0];  // with metadata
  words.putpixel(1, 1, 65535);
  words.putpixel(2, 1, 0);
  words.Datetime = "2023-10-05T21:13:45.500";
  words.Exposure = 30.25;
  words.FilterName = "V";
  words.Instrument = "Test camera";
  images.push_back(image(3, 3, kPixel16, [](int, int) { return 1; }));
  images.back().Datetime = "date?";  // no date: no DATE-OBS = 'date?' either
  images.push_back(image(5, 4, kPixel8, [](int x, int y) { return x * 50 + y; }));
  setFitskey(images.back().fitsheader, "NAXIS", "3");  // a colour plane: written as a plain image
  setFitskey(images.back().fitsheader, "NAXIS3", "3");
  setFitskey(images.back().fitsheader, "CSPACE", "'RGB'");
  images.push_back(image(5, 4, kPixel32, [](int x, int y) { return x * 100000 - y * 7; }));
  // Negative images as the reader leaves them: stored = physical + Offset1.
  images.push_back(image(3, 1, kPixel16, [](int x, int) { return x * 100; }, 150));
  images.push_back(image(3, 1, kPixel32, [](int x, int) { return x * 100; }, 150));
  // A real frame keeps its header cards (UTSTART) and physical values.
  const std::string frame = realFrame("neoexchange/hotpants_test_frame.fits");
  ASSERT_TRUE(images.emplace_back().Readfitsfile(frame));

  test::TempDir dir;
  const std::string path = dir.file("ours.fit");
  for (const Timgbuffer& img : images) {
    SCOPED_TRACE(std::to_string(img.xsize) + " x " + std::to_string(img.ysize) + ", code " +
                 std::to_string(img.bufferbyte));
    const FitsHeader header = img.fitsheader;
    ASSERT_TRUE(img.Writefitsfile(path));
    EXPECT_EQ(img.fitsheader, header);  // the writer works on a copy
    const std::string bytes = test::readBytes(path);
    EXPECT_EQ(bytes.size() % 2880, 0u);
    EXPECT_EQ(bytes.substr(0, 30), "SIMPLE  =                    T");
    EXPECT_EQ(bytes.substr(0, 2880).find('\0'), std::string::npos);  // blanks after END
    // The real frame's own cards may draw warnings, never errors.
    const bool real = &img == &images.back();
    const std::string verdict = fitsverify(path);
    EXPECT_NE(verdict.find(real ? " and 0 errors" : "verification OK"), std::string::npos)
        << verdict;
    const test::CfitsioImage reference = test::readWithCfitsio(path);
    ASSERT_EQ(reference.width, img.xsize);
    ASSERT_EQ(reference.height, img.ysize);
    Timgbuffer back;
    ASSERT_TRUE(back.Readfitsfile(path)) << back.readError;
    EXPECT_EQ(back.bufferbyte, img.bufferbyte);
    for (int y = 1; y <= img.ysize; ++y) {
      for (int x = 1; x <= img.xsize; ++x) {
        const double physical = img.getpixel(x, y) - img.Offset1;
        EXPECT_EQ(reference.values[std::size_t((y - 1) * img.xsize + x - 1)], physical);
        EXPECT_EQ(back.getpixel(x, y) - back.Offset1, physical) << x << "," << y;
      }
    }
    const std::string date = img.Datetime == "date?" ? "" : img.Datetime;
    EXPECT_EQ(getFitskeyString(back.fitsheader, "DATE-OBS"), date);
    EXPECT_EQ(back.Datetime, date.empty() ? "date?" : date);
    EXPECT_EQ(back.colorimages, 0);
    EXPECT_EQ(getFitskeyString(back.fitsheader, "NAXIS3"), "");
    EXPECT_EQ(getFitskeyString(back.fitsheader, "CSPACE"), "");
    bool error = false;
    EXPECT_EQ(getFitskeyInteger(back.fitsheader, "NAXIS", error), 2);
    EXPECT_EQ(std::tuple(back.Exposure, back.FilterName), std::tuple(img.Exposure, img.FilterName));
    EXPECT_EQ(getFitskeyString(back.fitsheader, "INSTRUME"), img.Instrument);
    EXPECT_EQ(getFitskeyString(back.fitsheader, "UTSTART"), real ? "11:39:16.659" : "");
  }
}

// A missing folder, a target name that is a folder, a disk that fills up in
// the middle of the pixels or of the header.
TEST(FitsWriteTest, FailuresAreReportedAndKeepThePreviousFile) {
  const auto value = [](int x, int y) { return (x * 131 + y * 71) % 60000; };
  const Timgbuffer large = image(400, 300, kPixel16, value);  // 240 000 bytes of pixels
  const test::SaveAction save = [&](const std::string& path, std::string& message) {
    return large.Writefitsfile(path, message);
  };
  test::TempDir dir;
  test::expectMissingFolderReported(dir, "frame.fit", save);
  test::expectFolderTargetReported(dir, "frame.fit", save);

  const std::string path = dir.file("frame.fit");
  std::string error;
  ASSERT_TRUE(image(40, 30, kPixel16, value).Writefitsfile(path, error)) << error;
  for (const std::int64_t limit : {50'000, 1000}) {
    const std::string message = test::expectFullDiskKeepsFile(path, limit, save);
    EXPECT_NE(message.find("File too large"), std::string::npos) << message;
    EXPECT_NE(message.find(path), std::string::npos) << message;
    Timgbuffer back;
    ASSERT_TRUE(back.Readfitsfile(path)) << back.readError;
    EXPECT_EQ(back.xsize, 40);
    EXPECT_EQ(back.ysize, 30);
    EXPECT_EQ(back.getpixel(7, 9), value(7, 9));
  }
}

}  // namespace
}  // namespace vargaze
