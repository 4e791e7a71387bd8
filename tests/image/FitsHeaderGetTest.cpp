// Reading keyword values out of the card store, and the card helpers shared
// with the FITS reader.
#include <gtest/gtest.h>

#include <string>

#include "image/FitsHeader.h"

namespace vargaze {
namespace {

// A blank store holding the given raw cards from card 1 on, then END.
FitsHeader storeWith(std::initializer_list<std::string_view> cards) {
  FitsHeader h;
  h.fillBlank();
  int n = 1;
  for (std::string_view c : cards) h.setCard(n++, c);
  h.setCard(n, "END");
  return h;
}

TEST(FitsHeaderGet, RightJustifiedNumberKeepsItsLeadingBlanks) {
  const FitsHeader h = storeWith(
      {"SIMPLE  =                    T", "NAXIS1  =                 1024 / length of data axis 1"});
  EXPECT_EQ(getFitskeyString(h, "NAXIS1"), std::string(16, ' ') + "1024 ");
  bool error = true;
  EXPECT_EQ(getFitskeyInteger(h, "NAXIS1", error), 1024);
  EXPECT_FALSE(error);
}

TEST(FitsHeaderGet, KeysAreComparedTrimmed) {
  const FitsHeader h = storeWith({"EXPTIME =                 30.0"});
  const std::string expected = std::string(16, ' ') + "30.0" + std::string(50, ' ');
  EXPECT_EQ(getFitskeyString(h, "EXPTIME"), expected);
  EXPECT_EQ(getFitskeyString(h, "  EXPTIME   "), expected);
  EXPECT_EQ(getFitskeyString(h, "EXPTIM"), "");
}

TEST(FitsHeaderGet, ValueWithoutCommentIsTheWholeValuePart) {
  const FitsHeader h = storeWith({"GAIN    = 2"});
  const std::string value = getFitskeyString(h, "GAIN");
  EXPECT_EQ(value.size(), 70u);
  EXPECT_EQ(value, "2" + std::string(69, ' '));
}

TEST(FitsHeaderGet, QuotedStringIsReturnedUntrimmedWithoutQuotes) {
  const FitsHeader h = storeWith({"FILTER  = 'V '               / filter name"});
  EXPECT_EQ(getFitskeyString(h, "FILTER"), "V ");
}

TEST(FitsHeaderGet, QuoteInTheCommentDoesNotMakeAString) {
  const FitsHeader h = storeWith({"CCD-TEMP=                -10.5 / sensor's temperature"});
  EXPECT_EQ(getFitskeyString(h, "CCD-TEMP"), std::string(15, ' ') + "-10.5 ");
}

TEST(FitsHeaderGet, DoubledQuoteInsideAStringIsOneQuote) {
  const FitsHeader h = storeWith({"OBJECT  = 'Barnard''s star' / target"});
  EXPECT_EQ(getFitskeyString(h, "OBJECT"), "Barnard's star");
}

TEST(FitsHeaderGet, UnclosedStringRunsToTheEndOfTheCard) {
  const FitsHeader h = storeWith({"OBJECT  = 'open"});
  EXPECT_EQ(getFitskeyString(h, "OBJECT"), "open" + std::string(65, ' '));
}

TEST(FitsHeaderGet, FirstMatchingCardWins) {
  const FitsHeader h =
      storeWith({"BZERO   =                    1", "BZERO   =                    2"});
  bool error = true;
  EXPECT_EQ(getFitskeyInteger(h, "BZERO", error), 1);
}

TEST(FitsHeaderGet, MissingOrNonNumericValuesSetTheErrorFlag) {
  const FitsHeader h =
      storeWith({"BITPIX  =                 16.5", "OBJECT  = 'M13'",
                 "EMPTY   =                      / nothing", "BIG     =          99999999999"});
  for (const char* key : {"BITPIX", "OBJECT", "EMPTY", "BIG", "MISSING"}) {
    bool error = false;
    EXPECT_EQ(getFitskeyInteger(h, key, error), 0) << key;
    EXPECT_TRUE(error) << key;
  }
}

TEST(FitsHeaderGet, QuotedDigitsReadAsAnInteger) {
  const FitsHeader h = storeWith({"ISOSPEED= '800'"});
  bool error = true;
  EXPECT_EQ(getFitskeyInteger(h, "ISOSPEED", error), 800);
  EXPECT_FALSE(error);
}

TEST(FitsHeaderGet, BlankStoreHasNoKeys) {
  FitsHeader h;
  h.fillBlank();
  bool error = false;
  EXPECT_EQ(getFitskeyString(h, "SIMPLE"), "");
  EXPECT_EQ(getFitskeyInteger(h, "NAXIS", error), 0);
  EXPECT_TRUE(error);
  EXPECT_EQ(getFitskeyString(h, ""), "");
}

TEST(FitsHeaderGet, CardHelpers) {
  EXPECT_EQ(cardKeyword("DATE-OBS= '2023-10-05'"), "DATE-OBS");
  EXPECT_EQ(cardKeyword("  BZERO "), "BZERO");

  EXPECT_EQ(cardStringValue("FILTER  =   'R'  / band"), std::optional<std::string>("R"));
  EXPECT_EQ(cardStringValue("FILTER  = ''"), std::optional<std::string>(""));
  EXPECT_EQ(cardStringValue("EXPTIME =  30.0 / it's seconds"), std::nullopt);
  EXPECT_EQ(cardStringValue("SHORT"), std::nullopt);

  EXPECT_EQ(cardNumericText("NAXIS1  =                 1024 / width"), "1024");
  EXPECT_EQ(cardNumericText("BZERO   = 32768/no blank"), "32768");
  // Only columns 11-30 count.
  EXPECT_EQ(cardNumericText("EXPTIME = +3.00000000000000000E+001"), "+3.00000000000000000");
  EXPECT_EQ(cardNumericText("SHORT"), "");
}

}  // namespace
}  // namespace vargaze
