// ReadFitsheader: header blocks of files written by the test, and of real
// frames checked against CFITSIO.
#include <fitsio.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/FitsHeader.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

std::string card(std::string_view text) {
  std::string c(text);
  c.resize(80, ' ');
  return c;
}

// Header cards (END added after them when `withEnd`) padded to whole blocks,
// followed by one block of data bytes.
std::string fitsFile(const std::vector<std::string>& cards, bool withEnd = true) {
  std::string bytes;
  for (const std::string& c : cards) bytes += card(c);
  if (withEnd) bytes += card("END");
  bytes.resize((bytes.size() + 2879) / 2880 * 2880, ' ');
  return bytes + std::string(2880, '\x7f');
}

std::vector<std::string> minimalCards() {
  return {"SIMPLE  =                    T", "BITPIX  =                   16",
          "NAXIS   =                    2", "NAXIS1  =                   10",
          "NAXIS2  =                   10"};
}

bool allBlank(const FitsHeader& h) {
  return std::string_view(h.data(), FitsHeader::kByteSize).find_first_not_of(' ') ==
         std::string_view::npos;
}

class FitsHeaderReadTest : public ::testing::Test {
 protected:
  FitsHeader readBack(const std::string& bytes) {
    const std::string path = dir.file("frame.fit");
    test::writeBytes(path, bytes);
    FitsHeader h;  // zero bytes, so a blank result shows the routine filled it
    ReadFitsheader(path, h);
    return h;
  }

  test::TempDir dir;
};

TEST_F(FitsHeaderReadTest, CardsOfTwoBlocksAreReadAndTheRestIsBlank) {
  std::vector<std::string> cards = minimalCards();
  for (int i = 0; i < 40; ++i) cards.push_back("HISTORY card " + std::to_string(i));
  const std::string file = fitsFile(cards);
  const FitsHeader h = readBack(file);

  EXPECT_EQ(h.endCard(), 46);
  EXPECT_EQ(std::string_view(h.data(), 2 * 2880), std::string_view(file).substr(0, 2 * 2880));
  for (int n = 73; n <= kFitsCardCount; ++n) ASSERT_EQ(h.card(n), std::string(80, ' ')) << n;
  bool error = true;
  EXPECT_EQ(getFitskeyInteger(h, "NAXIS1", error), 10);
  EXPECT_FALSE(error);
}

TEST_F(FitsHeaderReadTest, FirstCardOtherThanSimpleGivesABlankHeader) {
  std::vector<std::string> cards = minimalCards();
  cards[0] = "XTENSION= 'IMAGE   '";
  EXPECT_TRUE(allBlank(readBack(fitsFile(cards))));
}

TEST_F(FitsHeaderReadTest, ShortBlockGivesABlankHeader) {
  const std::string file = fitsFile(minimalCards());
  EXPECT_TRUE(allBlank(readBack(file.substr(0, 2000))));
  EXPECT_TRUE(allBlank(readBack("")));
}

TEST_F(FitsHeaderReadTest, NoEndWithinFortyBlocksGivesABlankHeader) {
  std::vector<std::string> cards = minimalCards();
  while (cards.size() < 40 * 36) cards.push_back("COMMENT filler");
  EXPECT_TRUE(allBlank(readBack(fitsFile(cards, false))));
  // END on the very last card of the store still counts.
  cards.pop_back();
  const FitsHeader h = readBack(fitsFile(cards));
  EXPECT_EQ(h.endCard(), kFitsCardCount);
}

TEST_F(FitsHeaderReadTest, MissingFileGivesABlankHeader) {
  FitsHeader h;
  ASSERT_TRUE(setFitskey(h, "SIMPLE", "T"));
  ReadFitsheader(dir.file("absent.fit"), h);
  EXPECT_TRUE(allBlank(h));
  ReadFitsheader(dir.path().string(), h);  // a folder cannot be read as a file
  EXPECT_TRUE(allBlank(h));
}

// Keyword values of real frames agree with CFITSIO's reading of the same file.
TEST(FitsHeaderRealFiles, AgreeWithCfitsio) {
  const std::string files[] = {"/real/neoexchange/hotpants_test_frame.fits",
                               "/real/msumastro/maximdl_6_16_header.fit",
                               "/real/stellarphot/cutout_for_fwhm_test.fits"};
  for (const std::string& name : files) {
    const std::string path = test::testDataDir() + name;
    FitsHeader h;
    ReadFitsheader(path, h);

    fitsfile* f = nullptr;
    int status = 0;
    ASSERT_EQ(fits_open_file(&f, path.c_str(), READONLY, &status), 0) << path;
    int keys = 0;
    int more = 0;
    long width = 0;
    char date[FLEN_VALUE] = "";
    fits_get_hdrspace(f, &keys, &more, &status);
    fits_read_key(f, TLONG, "NAXIS1", &width, nullptr, &status);
    fits_read_key(f, TSTRING, "DATE-OBS", date, nullptr, &status);
    fits_close_file(f, &status);
    ASSERT_EQ(status, 0) << path;

    EXPECT_EQ(h.endCard(), keys + 1) << path;
    bool error = true;
    EXPECT_EQ(getFitskeyInteger(h, "NAXIS1", error), width) << path;
    EXPECT_FALSE(error);
    EXPECT_EQ(getFitskeyString(h, "DATE-OBS"), date) << path;
  }
}

}  // namespace
}  // namespace vargaze
