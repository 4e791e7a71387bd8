// The FITS header card store and the routines that read and write single
// keywords in it.
//
// A header is 1440 cards of 80 bytes (40 FITS blocks), numbered 1..1440, kept
// exactly as they stand in the file so that an image can be written back with
// every card it was read with. Columns are 1-based in all comments.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vargaze {

inline constexpr int kFitsCardCount = 1440;
inline constexpr int kFitsCardLength = 80;
inline constexpr int kFitsCardsPerBlock = 36;
inline constexpr int kFitsBlockSize = 2880;
inline constexpr int kFitsMaxHeaderBlocks = kFitsCardCount / kFitsCardsPerBlock;  // 40

class FitsHeader {
 public:
  static constexpr std::size_t kByteSize = std::size_t{kFitsCardCount} * kFitsCardLength;

  // A never-written store: all zero bytes.
  FitsHeader();

  // Card `number` (1..1440) as 80 bytes; throws RangeError outside that range.
  std::string_view card(int number) const;
  // Overwrites card `number` with `text`, cut or padded with blanks to 80 bytes.
  void setCard(int number, std::string_view text);

  // Number of the first card whose columns 1-8 are "END     ", 0 when none.
  int endCard() const;

  void fillBlank();  // every byte a blank
  void clear();      // every byte zero, as a new store

  char* data() { return bytes_.data(); }
  const char* data() const { return bytes_.data(); }

  bool operator==(const FitsHeader& other) const = default;

 private:
  std::vector<char> bytes_;
};

// Sets the first card with keyword `key` (replacing it in place) or inserts a
// new card directly before END. The value is right-justified to column 30 when
// it is not a quoted text; `info` becomes the comment. HISTORY keys always add a
// new card. Returns false, leaving every card intact, when the store cannot
// take the card (END on card 1440, or no END and card 1 in use).
bool setFitskey(FitsHeader& header, std::string_view key, std::string_view value,
                std::string_view info = {});

// The same with the value written as a quoted FITS string (quotes inside the
// value are doubled).
bool setFitskeyQuoted(FitsHeader& header, std::string_view key, std::string_view value,
                      std::string_view info = {});

// Value text of the first card with keyword `key` (both compared trimmed): the
// unquoted string when the value is a quoted string, else the text of columns
// 11-80 before a "/", untrimmed. Empty when no card matches.
std::string getFitskeyString(const FitsHeader& header, std::string_view key);

// getFitskeyString trimmed and read as a decimal integer. `error` is true and
// the result 0 when the value is missing or not an integer.
std::int32_t getFitskeyInteger(const FitsHeader& header, std::string_view key, bool& error);

// Reads only the header cards of a FITS file into `header`. On a missing or
// unreadable file, a short block, a first card other than SIMPLE or no END card
// within 40 blocks the result is all blanks.
void ReadFitsheader(const std::string& filename, FitsHeader& header);

// Helpers shared with the FITS reader; `card` is one 80-byte card.

// Keyword of columns 1-8 with leading and trailing characters <= ' ' removed.
std::string cardKeyword(std::string_view card);

// The string value of a card: only when the first non-blank character from
// column 11 is a quote. The text runs to the closing quote (or the end of the
// card); a doubled quote inside stands for one quote.
std::optional<std::string> cardStringValue(std::string_view card);

// The numeric text of a card: columns 11-30, cut before a "/", blanks removed.
std::string cardNumericText(std::string_view card);

}  // namespace vargaze
