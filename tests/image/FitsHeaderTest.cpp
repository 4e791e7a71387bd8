// The FITS header card store: reading values out of hand-made cards, writing
// cards in the fixed column layout, and reading the header blocks of a file.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "image/FitsHeader.h"
#include "support/FitsBuilder.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

std::string blanks(int count) { return std::string(static_cast<std::size_t>(count), ' '); }
std::string card(const std::string& text) { return text + blanks(80 - int(text.size())); }

TEST(FitsHeaderTest, ValuesOfHandMadeCards) {
  FitsHeader h;  // blanks, the cards from card 1 on, then END
  h.fillBlank();
  int n = 1;
  for (const char* c : {"NAXIS1  =                 1024 / length of data axis 1",
                        "EXPTIME =                 30.0",
                        "GAIN    = 2",
                        "FILTER  = 'V '               / filter name",
                        "CCD-TEMP=                -10.5 / sensor's temperature",
                        "OBJECT  = 'Barnard''s star' / target",
                        "TARGET  = 'open",
                        "BZERO   =                    1",
                        "BZERO   =                    2",
                        "ISOSPEED= '800'",
                        "BITPIX  =                 16.5",
                        "EMPTY   =                      / nothing",
                        "BIG     =          99999999999"}) {
    h.setCard(n++, c);
  }
  h.setCard(n, "END");
  const std::pair<const char*, std::string> strings[] = {
      {"NAXIS1", blanks(16) + "1024 "},  // untrimmed, up to the "/"
      {"  EXPTIME   ", blanks(16) + "30.0" + blanks(50)},
      {"EXPTIM", ""},
      {"GAIN", "2" + blanks(69)},
      {"FILTER", "V "},
      {"CCD-TEMP", blanks(15) + "-10.5 "},  // a quote in the comment makes no string
      {"OBJECT", "Barnard's star"},
      {"TARGET", "open" + blanks(65)},  // unclosed: to the end of the card
      {"", ""},
  };
  for (const auto& [key, value] : strings) EXPECT_EQ(getFitskeyString(h, key), value) << key;

  const std::pair<const char*, int> integers[] = {
      {"NAXIS1", 1024}, {"BZERO", 1}, {"ISOSPEED", 800}, {"BITPIX", 0}, {"OBJECT", 0},
      {"EMPTY", 0},     {"BIG", 0},   {"MISSING", 0},
  };
  for (const auto& [key, value] : integers) {
    bool error = value != 0;
    EXPECT_EQ(getFitskeyInteger(h, key, error), value) << key;
    EXPECT_EQ(error, value == 0) << key;
  }
}

TEST(FitsHeaderTest, CardHelpers) {
  EXPECT_EQ(cardKeyword("DATE-OBS= '2023-10-05'"), "DATE-OBS");
  EXPECT_EQ(cardKeyword("  BZERO "), "BZERO");
  EXPECT_EQ(cardStringValue("FILTER  =   'R'  / band"), std::optional<std::string>("R"));
  EXPECT_EQ(cardStringValue("FILTER  = ''"), std::optional<std::string>(""));
  EXPECT_EQ(cardStringValue("EXPTIME =  30.0 / it's seconds"), std::nullopt);
  EXPECT_EQ(cardStringValue("SHORT"), std::nullopt);
  EXPECT_EQ(cardNumericText("NAXIS1  =                 1024 / width"), "1024");
  EXPECT_EQ(cardNumericText("BZERO   = 32768/no blank"), "32768");
  EXPECT_EQ(cardNumericText("EXPTIME = +3.00000000000000000E+001"), "+3.00000000000000000");
  EXPECT_EQ(cardNumericText("SHORT"), "");
}

// Cards written one after the other. Plain values end in column 30, a blank
// and "/" follow; quoted strings start in column 11 with "/" right after them;
// comments end in column 79. A new card goes where END was and END one down; a
// known key is replaced in place. A store that cannot take the card is unchanged.
TEST(FitsHeaderTest, CardsInTheirColumns) {
  FitsHeader seven;  // as a new image has it: seven cards, END on card 8
  for (const char* key : {"SIMPLE", "BITPIX", "NAXIS", "NAXIS1", "NAXIS2", "BSCALE", "BZERO"}) {
    ASSERT_TRUE(setFitskey(seven, key, "0"));
  }
  FitsHeader full;  // END on the last card: no room for another
  full.fillBlank();
  full.setCard(1, "SIMPLE  =                    T");
  full.setCard(2, "NAXIS1  =                   10 / width");
  full.setCard(kFitsCardCount, "END");
  FitsHeader noEnd;  // card 1 in use without END: it would be overwritten
  noEnd.fillBlank();
  noEnd.setCard(1, "SIMPLE  =                    T");
  FitsHeader blank;  // no END and card 1 blank: the store is started
  blank.fillBlank();
  FitsHeader empty;  // never written: zero bytes
  struct Case {
    FitsHeader* store;
    const char* key;
    std::string value, info;
    bool quoted;
    int number;            // of the card written; 0: refused
    std::string expected;  // the whole card, before blanks to column 80
  };
  const std::string simple = "SIMPLE  = " + blanks(19) + "T";
  const Case cases[] = {
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
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key + std::string(" = ") + c.value);
    const FitsHeader before = *c.store;
    const int end = std::max(before.endCard(), c.number + 1);
    EXPECT_EQ(c.quoted ? setFitskeyQuoted(*c.store, c.key, c.value, c.info)
                       : setFitskey(*c.store, c.key, c.value, c.info),
              c.number > 0);
    if (c.number == 0) {
      EXPECT_EQ(*c.store, before);
      continue;
    }
    EXPECT_EQ(c.store->card(c.number), card(c.expected));
    EXPECT_EQ(c.store->endCard(), end);
    EXPECT_EQ(c.store->card(end), card("END"));
    if (c.quoted && c.key != std::string("HISTORY")) {
      EXPECT_EQ(getFitskeyString(*c.store, c.key), c.value);
    }
  }
  EXPECT_EQ(empty.card(3), std::string(80, '\0'));  // the rest of a new store stays untouched
  EXPECT_THROW(full.card(0), RangeError);
  EXPECT_THROW(full.card(kFitsCardCount + 1), RangeError);
  EXPECT_THROW(full.setCard(0, "X"), RangeError);
}

// ReadFitsheader gives the cards up to END and blanks after them, or all
// blanks for anything that is not a complete header.
TEST(FitsHeaderTest, HeaderBlocksOfAFile) {
  const auto withFillers = [](int count) {
    test::FitsBuilder f(16, 10, 10);
    for (int i = 0; i < count; ++i) f.card("HISTORY", "filler " + std::to_string(i));
    return f;
  };
  const std::string twoBlocks = withFillers(40).bytes();  // END is card 46
  std::string xtension = twoBlocks;
  xtension.replace(0, 8, "XTENSION");
  test::TempDir dir;
  std::vector<std::pair<std::string, int>> files = {{dir.file("absent"), 0}, {dir.path(), 0}};
  for (const auto& [bytes, end] : std::vector<std::pair<std::string, int>>{
           {twoBlocks, 46},
           {withFillers(kFitsCardCount - 6).bytes(), kFitsCardCount},  // END on the last card
           {withFillers(kFitsCardCount - 5).bytes(false), 0},          // no END in 40 blocks
           {xtension, 0},
           {twoBlocks.substr(0, 2000), 0},
           {"", 0}}) {
    files.emplace_back(dir.file(std::to_string(files.size())), end);
    test::writeBytes(files.back().first, bytes);
  }
  for (const auto& [path, end] : files) {
    FitsHeader h;
    ASSERT_TRUE(setFitskey(h, "SIMPLE", "T"));  // to see that the routine fills every card
    ReadFitsheader(path, h);
    EXPECT_EQ(h.endCard(), end) << path;
    const std::size_t kept = std::size_t(end + 35) / 36 * 2880;
    const std::string_view all(h.data(), FitsHeader::kByteSize);
    EXPECT_EQ(all.substr(0, kept), kept ? test::readBytes(path).substr(0, kept) : "");
    EXPECT_EQ(all.find_first_not_of(' ', kept), std::string_view::npos) << path;
  }
}

}  // namespace
}  // namespace vargaze
