// Writing cards: column layout of plain, quoted and HISTORY cards, insertion
// before END, replacement in place, and stores that cannot take a card.
#include <gtest/gtest.h>

#include <string>

#include "base/Errors.h"
#include "image/FitsHeader.h"

namespace vargaze {
namespace {

// Columns `from`..`to` (1-based, inclusive) of card `n`.
std::string cols(const FitsHeader& h, int n, int from, int to) {
  return std::string(h.card(n).substr(static_cast<std::size_t>(from - 1),
                                      static_cast<std::size_t>(to - from + 1)));
}

std::string blanks(int count) {
  return std::string(static_cast<std::size_t>(count), ' ');
}

// A store as a new image has it: seven cards, END on card 8.
FitsHeader sevenCardStore() {
  FitsHeader h;
  for (const char* key : {"SIMPLE", "BITPIX", "NAXIS", "NAXIS1", "NAXIS2", "BSCALE", "BZERO"}) {
    EXPECT_TRUE(setFitskey(h, key, "0"));
  }
  return h;
}

TEST(FitsHeaderSet, FirstCardOnAnEmptyStore) {
  FitsHeader h;
  ASSERT_TRUE(setFitskey(h, "SIMPLE", "T"));
  EXPECT_EQ(cols(h, 1, 1, 8), "SIMPLE  ");
  EXPECT_EQ(cols(h, 1, 9, 9), "=");
  EXPECT_EQ(cols(h, 1, 10, 29), blanks(20));
  EXPECT_EQ(cols(h, 1, 30, 30), "T");
  EXPECT_EQ(cols(h, 1, 31, 80), blanks(50));
  EXPECT_EQ(h.card(2), "END" + blanks(77));
  EXPECT_EQ(h.card(3), std::string(80, '\0'));  // the rest stays untouched
  EXPECT_EQ(h.endCard(), 2);
}

TEST(FitsHeaderSet, NewCardGoesBeforeEndWithCommentColumns) {
  FitsHeader h = sevenCardStore();
  ASSERT_EQ(h.endCard(), 8);
  ASSERT_TRUE(setFitskey(h, "EXPTIME", "30.000", "Exposure time in seconds"));
  EXPECT_EQ(h.endCard(), 9);
  EXPECT_EQ(cols(h, 8, 1, 10), "EXPTIME = ");
  EXPECT_EQ(cols(h, 8, 11, 24), blanks(14));
  EXPECT_EQ(cols(h, 8, 25, 30), "30.000");  // ends in column 30
  EXPECT_EQ(cols(h, 8, 31, 31), " ");
  EXPECT_EQ(cols(h, 8, 32, 32), "/");
  const std::string comment = "Exposure time in seconds";
  EXPECT_EQ(cols(h, 8, 33, 32 + static_cast<int>(comment.size())), comment);
  EXPECT_EQ(cols(h, 8, 33 + static_cast<int>(comment.size()), 80),
            blanks(80 - 32 - static_cast<int>(comment.size())));
  EXPECT_EQ(h.card(9), "END" + blanks(77));
}

TEST(FitsHeaderSet, ExistingKeyIsReplacedInPlace) {
  FitsHeader h = sevenCardStore();
  ASSERT_TRUE(setFitskey(h, "NAXIS1", "1024", "width"));
  ASSERT_TRUE(setFitskey(h, "NAXIS1", "2048"));
  EXPECT_EQ(h.endCard(), 8);
  EXPECT_EQ(cols(h, 4, 1, 8), "NAXIS1  ");
  EXPECT_EQ(cols(h, 4, 27, 30), "2048");
  EXPECT_EQ(cols(h, 4, 31, 80), blanks(50));  // the old comment is gone
}

TEST(FitsHeaderSet, QuotedValueColumns) {
  FitsHeader h = sevenCardStore();
  ASSERT_TRUE(setFitskeyQuoted(h, "FILTER", "V"));
  EXPECT_EQ(cols(h, 8, 1, 10), "FILTER  = ");
  EXPECT_EQ(cols(h, 8, 11, 13), "'V'");
  EXPECT_EQ(cols(h, 8, 14, 80), blanks(67));

  ASSERT_TRUE(setFitskeyQuoted(h, "DATE-OBS", "2023-10-05T21:13:45", "UT start"));
  // Closing quote in column 12 + 19 = 31, "/" directly after it.
  EXPECT_EQ(cols(h, 9, 11, 31), "'2023-10-05T21:13:45'");
  EXPECT_EQ(cols(h, 9, 32, 40), "/UT start");
}

TEST(FitsHeaderSet, QuoteInsideAQuotedValueIsDoubledAndReadBack) {
  FitsHeader h = sevenCardStore();
  ASSERT_TRUE(setFitskeyQuoted(h, "OBSERVER", "O'Neil"));
  EXPECT_EQ(cols(h, 8, 11, 19), "'O''Neil'");
  EXPECT_EQ(getFitskeyString(h, "OBSERVER"), "O'Neil");
}

TEST(FitsHeaderSet, PlainValueStartingWithAQuoteIsNotPadded) {
  FitsHeader h = sevenCardStore();
  ASSERT_TRUE(setFitskey(h, "OBJECT", "'M 13'", "target"));
  EXPECT_EQ(cols(h, 8, 11, 16), "'M 13'");
  EXPECT_EQ(cols(h, 8, 17, 24), " /target");
}

TEST(FitsHeaderSet, HistoryCardsKeepTheirOrderBeforeEnd) {
  FitsHeader h = sevenCardStore();
  ASSERT_TRUE(setFitskey(h, "HISTORY", "first"));
  ASSERT_TRUE(setFitskey(h, "HISTORY", "second", "ignored comment"));
  ASSERT_TRUE(setFitskeyQuoted(h, "HISTORY", "third"));
  EXPECT_EQ(h.endCard(), 11);
  const char* texts[] = {"first", "second", "third"};
  for (int i = 0; i < 3; ++i) {
    const std::string text = texts[i];
    EXPECT_EQ(cols(h, 8 + i, 1, 10), "HISTORY   ");
    EXPECT_EQ(cols(h, 8 + i, 11, 80), text + blanks(70 - static_cast<int>(text.size())));
  }
}

TEST(FitsHeaderSet, HistoryTextIsCutAtSeventyCharacters) {
  FitsHeader h = sevenCardStore();
  const std::string text(75, 'h');
  ASSERT_TRUE(setFitskey(h, "HISTORY", text));
  EXPECT_EQ(cols(h, 8, 11, 80), std::string(70, 'h'));
}

TEST(FitsHeaderSet, CommentEndsAtColumn79) {
  FitsHeader h = sevenCardStore();
  ASSERT_TRUE(setFitskey(h, "GAIN", "1.5", std::string(60, 'c')));
  EXPECT_EQ(cols(h, 8, 32, 32), "/");
  EXPECT_EQ(cols(h, 8, 33, 79), std::string(47, 'c'));
  EXPECT_EQ(cols(h, 8, 80, 80), " ");
}

TEST(FitsHeaderSet, LongPlainValueIsNotPadded) {
  FitsHeader h = sevenCardStore();
  const std::string value = "123456789012345678901234";  // 24 characters
  ASSERT_TRUE(setFitskey(h, "LONGVAL", value, "x"));
  EXPECT_EQ(cols(h, 8, 11, 34), value);
  EXPECT_EQ(cols(h, 8, 35, 37), " /x");
}

TEST(FitsHeaderSet, StoreWithEndOnTheLastCardRefusesNewKeys) {
  FitsHeader h;
  h.fillBlank();
  h.setCard(1, "SIMPLE  =                    T");
  h.setCard(2, "NAXIS1  =                   10");
  h.setCard(kFitsCardCount, "END");
  const FitsHeader before = h;
  EXPECT_FALSE(setFitskey(h, "EXPTIME", "1"));
  EXPECT_FALSE(setFitskey(h, "HISTORY", "no room"));
  EXPECT_EQ(h, before);
  // A key that is already there is still replaced in place.
  EXPECT_TRUE(setFitskey(h, "NAXIS1", "20"));
  EXPECT_EQ(cols(h, 2, 29, 30), "20");
}

TEST(FitsHeaderSet, StoreWithoutEndIsStartedOnlyWhenCardOneIsBlank) {
  FitsHeader blank;
  blank.fillBlank();
  ASSERT_TRUE(setFitskey(blank, "SIMPLE", "T"));
  EXPECT_EQ(cols(blank, 1, 1, 8), "SIMPLE  ");
  EXPECT_EQ(blank.endCard(), 2);

  FitsHeader used;
  used.fillBlank();
  used.setCard(1, "SIMPLE  =                    T");
  const FitsHeader before = used;
  EXPECT_FALSE(setFitskey(used, "BITPIX", "16"));
  EXPECT_EQ(used, before);
}

TEST(FitsHeaderSet, EndIsNeverTreatedAsAKeyword) {
  FitsHeader h = sevenCardStore();
  const FitsHeader before = h;
  EXPECT_FALSE(setFitskey(h, "END", "1"));
  EXPECT_FALSE(setFitskey(h, "", "1"));
  EXPECT_EQ(h, before);
}

TEST(FitsHeaderSet, CardNumbersOutsideTheStoreThrow) {
  FitsHeader h;
  EXPECT_THROW(h.card(0), RangeError);
  EXPECT_THROW(h.card(kFitsCardCount + 1), RangeError);
  EXPECT_THROW(h.setCard(0, "X"), RangeError);
}

}  // namespace
}  // namespace vargaze
