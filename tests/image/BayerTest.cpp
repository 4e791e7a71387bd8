// Raw Bayer FITS frames: the pattern's phase on the stored pixels, channels
// as plain cell sums, and what a written channel and an unknown pattern read as.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/BayerFrame.h"
#include "image/Imgbuffer.h"
#include "support/FitsBuilder.h"
#include "support/ImageFileBytes.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

using test::FitsBuilder;
using Cards = std::vector<std::pair<const char*, const char*>>;

// The colours of the stored pixels (1,1), (2,1), (1,2), (2,2), worked out by
// hand from the cards: BAYERPAT names the picture's top-left cell; bottom-up
// files store the picture's last row first; offsets shift by whole pixels.
const struct {
  Cards cards;
  int width, height;
  const char* stored;
} kRows[] = {
    {{{"BAYERPAT", "'RGGB'"}}, 12, 10, "RGGB"},
    {{{"BAYERPAT", "'bggr '"}}, 13, 10, "BGGR"},
    {{{"BAYERPAT", "'GRBG'"}, {"ROWORDER", "'TOP-DOWN'"}}, 12, 11, "GRBG"},
    {{{"BAYERPAT", "'GBRG'"}}, 12, 10, "GBRG"},
    {{{"BAYERPAT", "'RGGB'"}, {"ROWORDER", "'BOTTOM-UP'"}}, 12, 10, "GBRG"},  // row 10 first: G B
    {{{"BAYERPAT", "'BGGR'"}, {"ROWORDER", "'BOTTOM-UP'"}}, 12, 10, "GRBG"},
    {{{"BAYERPAT", "'GRBG'"}, {"ROWORDER", "'BOTTOM-UP'"}}, 12, 11, "GRBG"},  // row 11 first: odd like row 1
    {{{"BAYERPAT", "'GBRG'"}, {"ROWORDER", "'BOTTOM-UP'"}}, 12, 10, "RGGB"},
    {{{"FILTER", "'RGGB'"}}, 12, 10, "RGGB"},
    {{{"BAYERPAT", "'RGGB'"}, {"XBAYROFF", "1"}}, 12, 10, "GRBG"},
    {{{"BAYERPAT", "'RGGB'"}, {"ROWORDER", "'BOTTOM-UP'"}, {"YBAYROFF", "1"}}, 12, 10, "RGGB"},
};

// A star on a sky of 100 (red), 200 (green), 300 (blue), its pixels 1, 6 and
// 2 times a pyramid of height 9000: two greens of the top cell pass 65535.
double pixelValue(char colour, int x, int y) {
  const double pyramid = std::max(0, 3 - std::abs(x - 6)) * std::max(0, 3 - std::abs(y - 5)) * 1000.0;
  return colour == 'R' ? 100 + pyramid : colour == 'G' ? 200 + 6 * pyramid : 300 + 2 * pyramid;
}

TEST(BayerTest, ChannelsAreTheCellSumsOfThePatternsPixels) {
  test::TempDir dir;
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.stored);
    FitsBuilder fits(16, row.width, row.height);
    fits.card("BZERO", "32768").card("DATE-OBS", "'2025-03-27T05:45:00'").card("XBINNING", "1").card("PIXSCALE", "1.5");
    for (const auto& [key, value] : row.cards) fits.card(key, value);
    std::vector<double> stored;
    for (int y = 0; y < row.height; ++y)
      for (int x = 0; x < row.width; ++x) stored.push_back(pixelValue(row.stored[2 * (y % 2) + x % 2], x, y) - 32768);
    test::writeBytes(dir.file("bayer.fit"), fits.pixels(stored).bytes());

    for (int colour = 1; colour <= 3; ++colour) {
      Timgbuffer img;
      ASSERT_TRUE(img.Readfitsfile(dir.file("bayer.fit")));
      ASSERT_EQ(img.bayerPattern, row.stored);
      const double jd = img.JDstart;
      const std::string header(img.fitsheader.data(), 20 * 80);
      ASSERT_TRUE(extractBayerChannel(img, colour));
      // The odd last column or row is left out; every cell sums its pixels of the colour.
      ASSERT_EQ(std::tuple(img.xsize, img.ysize), std::tuple(row.width / 2, row.height / 2));
      const char wanted = "RGB"[colour - 1];
      for (int Y = 0; Y < img.ysize; ++Y) {
        for (int X = 0; X < img.xsize; ++X) {
          double sum = 0;
          for (int k = 0; k < 4; ++k) sum += row.stored[k] == wanted ? pixelValue(wanted, 2 * X + k % 2, 2 * Y + k / 2) : 0;
          ASSERT_EQ(img.getpixel(X + 1, Y + 1), sum) << colour << " cell " << X << "," << Y;
        }
      }
      EXPECT_EQ(std::tuple(img.FilterName, img.FilterType, img.OBSTYPE, img.Xbinning, img.PixScale, img.JDstart),
                std::tuple(std::string("T") + wanted, 9 - colour, "DSLR", 2, 3.0, jd));
      EXPECT_EQ(std::string(img.fitsheader.data(), 20 * 80), header);  // the file's own cards
      EXPECT_TRUE(colour != 2 || img.bufferMax > 65535);
    }
  }
}

TEST(BayerTest, UnknownPatternsReadMonochromeAndWrittenChannelsAreNoMosaic) {
  test::TempDir dir;
  const std::string path = dir.file("frame.fit");
  test::writeBytes(path, FitsBuilder(16, 4, 2).card("BAYERPAT", "'RGBW'").card("FILTER", "'RGGB'")
                             .pixels({1, 2, 3, 4, 5, 6, 7, 8}).bytes());
  Timgbuffer img;
  ASSERT_TRUE(img.Readfitsfile(path));
  EXPECT_EQ(std::tuple(img.xsize, img.bayerPattern, img.FilterType, img.getpixel(4, 2)), std::tuple(4, "", -1, 8));
  EXPECT_EQ(img.readWarning, "unknown Bayer pattern 'RGBW' (BAYERPAT): read as a monochrome frame");
  // A real DSLR crop names its pattern in FILTER only: no R filter.
  ASSERT_TRUE(img.Readfitsfile(test::testDataDir() + "/real/panoptes_pocs/tiny.fits"));
  EXPECT_EQ(std::tuple(img.bayerPattern, img.FilterType, img.readWarning), std::tuple("RGGB", -1, ""));

  // A negative pixel shifts the mosaic by 5 (Offset1); a green sum twice.
  test::writeBytes(path, FitsBuilder(16, 4, 2).card("BAYERPAT", "'GBRG'").pixels({-5, 2, 3, 4, 5, 6, 7, 8}).bytes());
  ASSERT_TRUE(img.Readfitsfile(path) && extractBayerChannel(img, 2));
  ASSERT_TRUE(img.Writefitsfile(dir.file("green.fit")));
  Timgbuffer again;
  ASSERT_TRUE(again.Readfitsfile(dir.file("green.fit")));
  EXPECT_EQ(std::tuple(again.xsize, again.bayerPattern, again.FilterType, again.getpixel(1, 1), again.getpixel(2, 1)),
            std::tuple(2, "", 7, -5 + 6, 3 + 8));
}

}  // namespace
}  // namespace vargaze
