// FITS files against an independent implementation: files CFITSIO writes and
// real camera and observatory frames (tests/data/real) read with CFITSIO's
// values and cards; files we write (a real frame among them) pass fitsverify
// and read back in CFITSIO and in our reader. Then the header card store.
#include <fitsio.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <tuple>
#include <vector>

#include "base/Errors.h"
#include "image/Imgbuffer.h"
#include "support/FaultInjection.h"
#include "support/FitsBuilder.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

std::string realFrame(const std::string& name) { return test::testDataDir() + "/real/" + name; }

struct CfitsioImage {
  long width = 0, height = 0;
  int keys = 0;                // header cards before END
  std::string dateObs;         // empty when there is none
  std::vector<double> values;  // physical values, line after line
};

CfitsioImage readWithCfitsio(const std::string& path) {
  CfitsioImage image;
  fitsfile* f = nullptr;
  int status = 0, more = 0, anynull = 0;
  long axes[2] = {0, 0};
  char date[FLEN_VALUE] = "";
  fits_open_file(&f, path.c_str(), READONLY, &status);
  fits_get_hdrspace(f, &image.keys, &more, &status);
  if (status == 0 && fits_read_key(f, TSTRING, "DATE-OBS", date, nullptr, &status) == KEY_NO_EXIST)
    status = 0;
  image.dateObs = date;
  fits_get_img_size(f, 2, axes, &status);
  std::tie(image.width, image.height) = std::tuple(axes[0], axes[1]);
  image.values.resize(static_cast<std::size_t>(axes[0] * axes[1]));
  fits_read_img(f, TDOUBLE, 1, axes[0] * axes[1], nullptr, image.values.data(), &anynull, &status);
  fits_close_file(f, &status);
  EXPECT_EQ(status, 0) << "CFITSIO status reading " << path;
  return image;
}

// Our reading of a file against CFITSIO's: every pixel less our zero-point
// shift is the physical value rounded (ties to even; pixel 0 for values that
// are not finite) or within `tolerance`, and the smallest and largest pixel
// are the buffer's minimum and maximum. The header cards alone
// (ReadFitsheader) end where CFITSIO's do, with the same NAXIS1 and DATE-OBS:
// the file's header blocks byte for byte, blanks after them.
void expectCfitsioValues(const std::string& path, double tolerance = 0) {
  SCOPED_TRACE(path);
  Timgbuffer img;
  ASSERT_TRUE(img.Readfitsfile(path)) << img.readError;
  const CfitsioImage ref = readWithCfitsio(path);
  ASSERT_EQ(std::tuple(long(img.xsize), long(img.ysize)), std::tuple(ref.width, ref.height));
  int mismatches = 0, low = INT_MAX, high = INT_MIN;
  for (int y = 1; y <= img.ysize; ++y) {
    for (int x = 1; x <= img.xsize; ++x) {
      const double expected = ref.values[std::size_t((y - 1) * img.xsize + x - 1)];
      const int pixel = img.getpixel(x, y);
      const double ours = pixel - img.Offset1;
      std::tie(low, high) = std::tuple(std::min(low, pixel), std::max(high, pixel));
      if ((!std::isfinite(expected) ? pixel != 0
           : tolerance > 0          ? std::fabs(ours - expected) > tolerance
                                    : ours != std::nearbyint(expected)) &&
          mismatches++ == 0)
        ADD_FAILURE() << "pixel " << x << "," << y << ": " << ours << " != " << expected;
    }
  }
  EXPECT_EQ(std::tuple(mismatches, img.bufferMin, img.bufferMax), std::tuple(0, low, high));
  FitsHeader h;
  ReadFitsheader(path, h);
  int end = ref.keys + 1;  // CFITSIO does not count blank cards just before END
  while (end < h.endCard() && h.card(end) == std::string(80, ' ')) ++end;
  bool error = false;
  EXPECT_EQ(std::tuple(h.endCard(), long(getFitskeyInteger(h, "NAXIS1", error)), error),
            std::tuple(end, ref.width, false));
  EXPECT_EQ(getFitskeyString(h, "DATE-OBS"), ref.dateObs);
  const std::size_t kept = std::size_t(h.endCard() + 35) / 36 * 2880;
  const std::string_view all(h.data(), FitsHeader::kByteSize);
  EXPECT_EQ(all.substr(0, kept), test::readBytes(path).substr(0, kept));
  EXPECT_EQ(all.find_first_not_of(' ', kept), std::string_view::npos);
}

// Files CFITSIO writes from physical values. Images with negative values are
// shifted up, Offset1 keeping the shift.
TEST(CfitsioCrossCheckTest, FilesWrittenByCfitsio) {
  // BITPIX, BZERO, BSCALE, physical values, the shift and buffer type they get.
  const std::tuple<int, double, double, std::vector<double>, double, std::int32_t> cases[] = {
      {BYTE_IMG, 0, 1, {3, 200, 17, 255}, 0, kPixel8},
      {SHORT_IMG, 0, 1, {7, 32767, 0}, 0, kPixel16},
      {SHORT_IMG, 32768, 1, {0, 32768, 65535}, 0, kPixel16},  // unsigned 16-bit camera data
      {SHORT_IMG, 0, 1, {-100, 0, 500}, 100, kPixel16},
      {SHORT_IMG, 100, 1, {-200, 100, 1100}, 200, kPixel16},  // -200 must not be cut to 0
      {SHORT_IMG, 1000, 2, {1020, 1042}, 0, kPixel16},
      {LONG_IMG, 0, 1, {5, 98770, 2271600}, 0, kPixel32},
      {LONG_IMG, 2147483648.0, 1, {0, 100, 70000}, 0, kPixel32},  // unsigned
      {FLOAT_IMG, 0, 1, {-2.5, 10.4, 10.5, 1000.75}, 2, kPixel32},  // -2.5 rounds to -2
      {FLOAT_IMG, 0, 0.5, {5, 10.5}, 0, kPixel32},
      {FLOAT_IMG, 0, 1, {std::nan(""), 5, HUGE_VAL}, 0, kPixel32},
  };
  test::TempDir dir;
  const std::string path = dir.file("cfitsio.fit");
  for (auto [bitpix, bzero, bscale, values, offset, bufferbyte] : cases) {
    SCOPED_TRACE("BITPIX " + std::to_string(bitpix) + " BZERO " + std::to_string(bzero));
    fitsfile* f = nullptr;
    int status = 0;
    long axes[2] = {long(values.size()), 1};
    fits_create_file(&f, ("!" + path).c_str(), &status);  // "!" replaces an existing file
    fits_create_img(f, bitpix, 2, axes, &status);
    if (bscale != 1) fits_write_key(f, TDOUBLE, "BSCALE", &bscale, "scale", &status);
    if (bzero != 0) fits_write_key(f, TDOUBLE, "BZERO", &bzero, "offset", &status);
    fits_set_bscale(f, bscale, bzero, &status);
    fits_write_img(f, TDOUBLE, 1, axes[0], values.data(), &status);
    fits_close_file(f, &status);
    ASSERT_EQ(status, 0);
    expectCfitsioValues(path);
    Timgbuffer img;
    ASSERT_TRUE(img.Readfitsfile(path));
    EXPECT_EQ(std::tuple(img.Offset1, img.bufferbyte), std::tuple(offset, bufferbyte));
    EXPECT_TRUE(img.Wordmode || bufferbyte != kPixel16);  // every word is >= 0 now
  }
  // Ours, with END on the last card of the 40 header blocks a header may have.
  test::FitsBuilder longHeader(16, 2, 1);
  for (int i = 0; i < kFitsCardCount - 6; ++i) longHeader.card("HISTORY", "filler");
  test::writeBytes(path, longHeader.pixels({1, 2}).bytes());
  expectCfitsioValues(path);
}

TEST(RealFramesTest, PixelValuesAndCardsAgreeWithCfitsio) {
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

  const std::pair<const char*, const char*> dates[] = {
      {"ccdproc/a8280271.fits", "2013-07-13T00:57:33.000"},  // date-only DATE-OBS + UT
      {"neoexchange/hotpants_test_frame.fits", "2024-06-10T11:39:15.759"},
      {"seestar_m94_timeseries/Light_M 94_10.0s_IRCUT_20250327-014513.fit",
       "2025-03-27T05:45:00.734"},  // microseconds cut to the 12 characters read
      {"indi/ngc1316o.fits", "1994-03-24T00:00:00.000"},  // dd/mm/yy in DATE only
      {"indi/m42_test.fits", "date?"},
      {"indi/x0cj010ct_d0h.fit", "1990-08-28"},  // and EXPTIME 723
  };
  for (const auto& [file, datetime] : dates) {
    ASSERT_TRUE(img.Readfitsfile(realFrame(file))) << file << ": " << img.readError;
    EXPECT_EQ(img.Datetime.substr(0, std::string(datetime).size()), datetime) << file;
  }
  EXPECT_EQ(img.Exposure, 723.0);
  EXPECT_FALSE(img.Readfitsfile(realFrame("astropy/test0.fits")));  // a header without pixels
  EXPECT_EQ(img.readError.substr(0, 13), "no image data");
}

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
    // Whole blocks, SIMPLE first, no NUL after END: fitsverify reports errors for
    // each of them; the real frame's own cards may draw warnings, never errors.
    const bool real = &img == &images.back();
    const std::string verdict = fitsverify(path);
    EXPECT_NE(verdict.find(real ? " and 0 errors" : "verification OK"), std::string::npos)
        << verdict;
    const CfitsioImage reference = readWithCfitsio(path);
    ASSERT_EQ(std::tuple(reference.width, reference.height), std::tuple(img.xsize, img.ysize));
    for (int y = 1; y <= img.ysize; ++y) {
      for (int x = 1; x <= img.xsize; ++x) {
        EXPECT_EQ(reference.values[std::size_t((y - 1) * img.xsize + x - 1)],
                  img.getpixel(x, y) - img.Offset1);
      }
    }
    expectCfitsioValues(path);  // and our reader takes what CFITSIO takes
    Timgbuffer back;
    ASSERT_TRUE(back.Readfitsfile(path)) << back.readError;
    const std::string date = img.Datetime == "date?" ? "" : img.Datetime;
    EXPECT_EQ(std::tuple(back.bufferbyte, getFitskeyString(back.fitsheader, "DATE-OBS"),
                         back.Datetime, back.colorimages),
              std::tuple(img.bufferbyte, date, date.empty() ? "date?" : date, 0));
    bool error = false;
    EXPECT_EQ(std::tuple(getFitskeyString(back.fitsheader, "NAXIS3"),
                         getFitskeyString(back.fitsheader, "CSPACE"),
                         getFitskeyInteger(back.fitsheader, "NAXIS", error)),
              std::tuple("", "", 2));
    EXPECT_EQ(std::tuple(back.Exposure, back.FilterName), std::tuple(img.Exposure, img.FilterName));
    EXPECT_EQ(getFitskeyString(back.fitsheader, "INSTRUME"), img.Instrument);
    EXPECT_EQ(getFitskeyString(back.fitsheader, "UTSTART"), real ? "11:39:16.659" : "");
  }
}

// Every save fault on a frame whose pixels fill many blocks; then a disk that
// fills up within the header, which must name the cause and the file.
TEST(FitsWriteTest, FailuresAreReportedAndKeepThePreviousFile) {
  const Timgbuffer large = image(400, 300, kPixel16, [](int x, int y) { return x * 131 + y; });
  const test::SaveAction save = [&](const std::string& path, std::string& message) {
    return large.Writefitsfile(path, message);
  };
  test::TempDir dir;
  test::expectSaveFaultsReported(dir, "frame.fit", save);
  const std::string path = dir.file("frame.fit");
  const std::string message = test::expectFullDiskKeepsFile(path, 1000, save);
  EXPECT_NE(message.find("File too large"), std::string::npos) << message;
  EXPECT_NE(message.find(path), std::string::npos) << message;
}

std::string blanks(int count) { return std::string(static_cast<std::size_t>(count), ' '); }
std::string card(const std::string& text) { return text + blanks(80 - int(text.size())); }

TEST(FitsHeaderTest, ValuesOfHandMadeCards) {
  FitsHeader h;  // blanks, the cards from card 1 on, then END
  h.fillBlank();
  int n = 1;
  for (const char* c :
       {"NAXIS1  =                 1024 / length of data axis 1", "EXPTIME =                 30.0",
        "GAIN    = 2", "FILTER  = 'V '               / filter name",
        "CCD-TEMP=                -10.5 / sensor's temperature", "TARGET  = 'open",
        "OBJECT  = 'Barnard''s star' / target", "BZERO   =                    1",
        "BZERO   =                    2", "ISOSPEED= '800'", "BITPIX  =                 16.5",
        "EMPTY   =                      / nothing", "BIG     =          99999999999", "END"})
    h.setCard(n++, c);
  // Untrimmed up to the "/"; a quote in a comment makes no string; an unclosed
  // string goes to the end of the card.
  const std::pair<const char*, std::string> strings[] = {
      {"NAXIS1", blanks(16) + "1024 "}, {"  EXPTIME   ", blanks(16) + "30.0" + blanks(50)},
      {"EXPTIM", ""},       {"GAIN", "2" + blanks(69)},     {"FILTER", "V "},
      {"CCD-TEMP", blanks(15) + "-10.5 "}, {"OBJECT", "Barnard's star"},
      {"TARGET", "open" + blanks(65)},     {"", ""}};
  for (const auto& [key, value] : strings) EXPECT_EQ(getFitskeyString(h, key), value) << key;
  const std::pair<const char*, int> integers[] = {
      {"NAXIS1", 1024}, {"BZERO", 1}, {"ISOSPEED", 800}, {"BITPIX", 0},
      {"OBJECT", 0},    {"EMPTY", 0}, {"BIG", 0},        {"MISSING", 0}};
  for (const auto& [key, value] : integers) {
    bool error = value != 0;
    EXPECT_EQ(getFitskeyInteger(h, key, error), value) << key;
    EXPECT_EQ(error, value == 0) << key;
  }
  EXPECT_EQ(cardStringValue("FILTER  = ''"), std::optional<std::string>(""));
  EXPECT_EQ(cardNumericText("BZERO   = 32768/no blank"), "32768");
  EXPECT_EQ(cardNumericText("EXPTIME = +3.00000000000000000E+001"), "+3.00000000000000000");
}

// Cards written one after the other. Plain values end in column 30, a blank
// and "/" follow; quoted strings start in column 11 with "/" right after them;
// comments end in column 79. A new card goes where END was and END one down; a
// known key is replaced in place. A store that cannot take the card is unchanged.
TEST(FitsHeaderTest, CardsInTheirColumns) {
  FitsHeader seven;  // as a new image has it: seven cards, END on card 8
  for (const char* key : {"SIMPLE", "BITPIX", "NAXIS", "NAXIS1", "NAXIS2", "BSCALE", "BZERO"})
    ASSERT_TRUE(setFitskey(seven, key, "0"));
  FitsHeader full, noEnd, blank, empty;  // empty: never written, zero bytes
  for (FitsHeader* h : {&full, &noEnd, &blank}) h->fillBlank();
  full.setCard(1, "SIMPLE  =                    T");  // END on the last card: no room
  full.setCard(2, "NAXIS1  =                   10 / width");
  full.setCard(kFitsCardCount, "END");
  noEnd.setCard(1, "SIMPLE  =                    T");  // without END: would be overwritten
  // Store, key, value, comment, quoted, the number of the card written (0:
  // refused) and the whole card before blanks to column 80.
  const std::string simple = "SIMPLE  = " + blanks(19) + "T";
  const std::tuple<FitsHeader*, std::string, std::string, std::string, bool, int, std::string>
      cases[] = {
      {&seven, "EXPTIME", "30.000", "Exposure time in seconds", false, 8,
       "EXPTIME = " + blanks(14) + "30.000 /Exposure time in seconds"},
      {&seven, "GAIN", "1.5", std::string(60, 'c'), false, 9,
       "GAIN    = " + blanks(17) + "1.5 /" + std::string(47, 'c')},
      {&seven, "LONGVAL", "123456789012345678901234", "x", false, 10,
       "LONGVAL = 123456789012345678901234 /x"},
      {&seven, "OBJECT", "'M 13'", "target", false, 11, "OBJECT  = 'M 13' /target"},
      {&seven, "FILTER", "V", "", true, 12, "FILTER  = 'V'"},
      {&seven, "DATE-OBS", "2023-10-05T21:13:45", "UT start", true, 13,
       "DATE-OBS= '2023-10-05T21:13:45'/UT start"},
      {&seven, "OBSERVER", "O'Neil", "", true, 14, "OBSERVER= 'O''Neil'"},
      {&seven, "HISTORY", "second", "ignored comment", false, 15, "HISTORY   second"},
      {&seven, "HISTORY", "third", "", true, 16, "HISTORY   third"},
      {&seven, "HISTORY", std::string(75, 'h'), "", false, 17, "HISTORY   " + std::string(70, 'h')},
      {&seven, "NAXIS1", "2048", "", false, 4, "NAXIS1  = " + blanks(16) + "2048"},
      {&full, "NAXIS1", "20", "", false, 2, "NAXIS1  = " + blanks(18) + "20"},  // comment gone
      {&empty, "SIMPLE", "T", "", false, 1, simple},
      {&blank, "SIMPLE", "T", "", false, 1, simple},
      {&full, "EXPTIME", "1", "", false, 0, ""},
      {&full, "HISTORY", "1", "", false, 0, ""},
      {&noEnd, "BITPIX", "16", "", false, 0, ""},
      {&seven, "END", "1", "", false, 0, ""},
      {&seven, "", "1", "", false, 0, ""},
  };
  for (const auto& [store, key, value, info, quoted, number, expected] : cases) {
    SCOPED_TRACE(key + " = " + value);
    const FitsHeader before = *store;
    const int end = std::max(before.endCard(), number + 1);
    EXPECT_EQ(quoted ? setFitskeyQuoted(*store, key, value, info)
                     : setFitskey(*store, key, value, info),
              number > 0);
    if (number == 0) {
      EXPECT_EQ(*store, before);
      continue;
    }
    EXPECT_EQ(std::tuple(store->card(number), store->endCard(), store->card(end)),
              std::tuple(card(expected), end, card("END")));
    if (quoted && key != "HISTORY") {
      EXPECT_EQ(getFitskeyString(*store, key), value);
    }
  }
  EXPECT_EQ(empty.card(3), std::string(80, '\0'));  // the rest of a new store stays untouched
  EXPECT_THROW(full.card(0), RangeError);
  EXPECT_THROW(full.card(kFitsCardCount + 1), RangeError);
  EXPECT_THROW(full.setCard(0, "X"), RangeError);
}

}  // namespace
}  // namespace vargaze
