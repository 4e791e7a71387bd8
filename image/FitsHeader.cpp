// The FITS header card store: card access, setting and reading keywords.
#include "image/FitsHeader.h"

#include <algorithm>
#include <cstring>

#include "base/Errors.h"
#include "base/Numbers.h"

namespace vargaze {

namespace {

constexpr std::size_t kCardLength = kFitsCardLength;
constexpr std::size_t kValueStart = 10;     // column 11
constexpr std::size_t kLastComment = 78;    // column 79: comments end here, column 80 stays blank
constexpr std::size_t kPlainWidth = 20;     // plain values end in column 30
constexpr std::size_t kMaxPlainValue = 70;  // columns 11..80
constexpr std::size_t kMaxQuotedText = 68;  // between the quotes in columns 11 and 80
constexpr std::size_t kMaxHistoryText = 70;
constexpr std::string_view kEndKey = "END     ";
constexpr std::string_view kHistoryKey = "HISTORY ";

bool isControlOrBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

// Removes characters of code <= 32 at both ends.
std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isControlOrBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isControlOrBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view keywordColumns(std::string_view card) {
  return card.substr(0, 8);
}

std::string paddedKey(std::string_view key) {
  std::string padded(key.substr(0, 8));
  padded.resize(8, ' ');
  return padded;
}

bool isBlankCard(std::string_view card) {
  return std::all_of(card.begin(), card.end(), [](char c) { return c == ' ' || c == '\0'; });
}

// The value of a quoted card: quotes inside doubled, cut to what fits between
// the quotes without splitting a doubled quote.
std::string quotedValue(std::string_view value) {
  std::string text;
  for (char c : value) {
    const std::size_t needed = c == '\'' ? 2 : 1;
    if (text.size() + needed > kMaxQuotedText) break;
    text.append(needed, c);
  }
  return "'" + text + "'";
}

std::string plainValue(std::string_view value) {
  std::string text(value.substr(0, kMaxPlainValue));
  if (!text.empty() && text.front() != '\'' && text.size() < kPlainWidth) {
    text.insert(0, kPlainWidth - text.size(), ' ');
  }
  return text;
}

// One card "KEY     = value /info". `gap` is the number of blanks between the
// value and the "/" of the comment.
std::string keyCard(const std::string& key8, const std::string& value, std::size_t gap,
                    std::string_view info) {
  std::string card(kCardLength, ' ');
  card.replace(0, 8, key8);
  card[8] = '=';
  card.replace(kValueStart, value.size(), value);
  const std::size_t slash = kValueStart + value.size() + gap;
  if (!info.empty() && slash <= kLastComment) {
    card[slash] = '/';
    const std::size_t room = kLastComment - slash;
    const std::string_view text = info.substr(0, room);
    card.replace(slash + 1, text.size(), text);
  }
  return card;
}

std::string historyCard(std::string_view text) {
  std::string card(kCardLength, ' ');
  card.replace(0, 8, kHistoryKey);
  const std::string_view cut = text.substr(0, kMaxHistoryText);
  card.replace(kValueStart, cut.size(), cut);
  return card;
}

// Puts `card` where the keyword belongs: in place of the first card with that
// keyword, else directly before END, else (a never-written store) on card 1.
bool storeCard(FitsHeader& header, const std::string& key8, const std::string& card) {
  if (key8 == kEndKey || trimmed(key8).empty()) return false;
  const bool history = key8 == kHistoryKey;
  for (int n = 1; n <= kFitsCardCount; ++n) {
    const std::string_view columns = keywordColumns(header.card(n));
    if (!history && columns == key8) {
      header.setCard(n, card);
      return true;
    }
    if (columns == kEndKey) {
      if (n == kFitsCardCount) return false;  // no room for END behind the new card
      header.setCard(n + 1, header.card(n));
      header.setCard(n, card);
      return true;
    }
  }
  // Without END only an unused store may be started; anything else would be overwritten.
  if (!isBlankCard(header.card(1))) return false;
  header.setCard(1, card);
  header.setCard(2, kEndKey);
  return true;
}

}  // namespace

FitsHeader::FitsHeader() : bytes_(kByteSize, '\0') {}

std::string_view FitsHeader::card(int number) const {
  if (number < 1 || number > kFitsCardCount) {
    throw RangeError("FITS card number out of range: " + std::to_string(number));
  }
  return {bytes_.data() + static_cast<std::size_t>(number - 1) * kCardLength, kCardLength};
}

void FitsHeader::setCard(int number, std::string_view text) {
  if (number < 1 || number > kFitsCardCount) {
    throw RangeError("FITS card number out of range: " + std::to_string(number));
  }
  // Copy through a temporary: `text` may be a view of another card of this store.
  std::string padded(text.substr(0, kCardLength));
  padded.resize(kCardLength, ' ');
  std::memcpy(bytes_.data() + static_cast<std::size_t>(number - 1) * kCardLength, padded.data(),
              kCardLength);
}

int FitsHeader::endCard() const {
  for (int n = 1; n <= kFitsCardCount; ++n) {
    if (keywordColumns(card(n)) == kEndKey) return n;
  }
  return 0;
}

void FitsHeader::fillBlank() {
  std::fill(bytes_.begin(), bytes_.end(), ' ');
}

void FitsHeader::clear() {
  std::fill(bytes_.begin(), bytes_.end(), '\0');
}

bool setFitskey(FitsHeader& header, std::string_view key, std::string_view value,
                std::string_view info) {
  const std::string key8 = paddedKey(key);
  if (key8 == kHistoryKey) return storeCard(header, key8, historyCard(value));
  return storeCard(header, key8, keyCard(key8, plainValue(value), 1, info));
}

bool setFitskeyQuoted(FitsHeader& header, std::string_view key, std::string_view value,
                      std::string_view info) {
  const std::string key8 = paddedKey(key);
  if (key8 == kHistoryKey) return storeCard(header, key8, historyCard(value));
  return storeCard(header, key8, keyCard(key8, quotedValue(value), 0, info));
}

std::string cardKeyword(std::string_view card) {
  return std::string(trimmed(keywordColumns(card)));
}

std::optional<std::string> cardStringValue(std::string_view card) {
  if (card.size() <= kValueStart) return std::nullopt;
  const std::size_t open = card.find_first_not_of(' ', kValueStart);
  if (open == std::string_view::npos || card[open] != '\'') return std::nullopt;
  std::string text;
  for (std::size_t i = open + 1; i < card.size(); ++i) {
    if (card[i] != '\'') {
      text += card[i];
    } else if (i + 1 < card.size() && card[i + 1] == '\'') {
      text += '\'';
      ++i;
    } else {
      break;
    }
  }
  return text;
}

std::string cardNumericText(std::string_view card) {
  if (card.size() <= kValueStart) return {};
  std::string_view field = card.substr(kValueStart, kPlainWidth);
  field = field.substr(0, field.find('/'));
  std::string text;
  for (char c : field) {
    if (!isControlOrBlank(c)) text += c;
  }
  return text;
}

std::string getFitskeyString(const FitsHeader& header, std::string_view key) {
  const std::string_view wanted = trimmed(key);
  if (wanted.empty()) return {};
  for (int n = 1; n <= kFitsCardCount; ++n) {
    const std::string_view card = header.card(n);
    if (trimmed(keywordColumns(card)) != wanted) continue;
    if (auto text = cardStringValue(card)) return *text;
    const std::string_view value = card.substr(kValueStart);
    return std::string(value.substr(0, value.find('/')));
  }
  return {};
}

std::int32_t getFitskeyInteger(const FitsHeader& header, std::string_view key, bool& error) {
  const std::string text = getFitskeyString(header, key);
  std::int32_t value = 0;
  error = !tryParseInt32(trimmed(text), value);
  return error ? 0 : value;
}

}  // namespace vargaze
