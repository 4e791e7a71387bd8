#include "app/FitsHeaderRows.h"

#include <algorithm>
#include <string_view>

namespace vargaze {

namespace {

constexpr std::size_t kKeyLength = 8;
constexpr std::size_t kLastValueColumn = 79;  // a value without comment ends here

std::string withoutTrailingBlanks(std::string_view text) {
  const auto end = text.find_last_not_of(' ');
  return std::string(end == std::string_view::npos ? std::string_view{} : text.substr(0, end + 1));
}

// Columns `first`..`last` (1-based, inclusive) of `card`, clipped to the card.
std::string_view columns(std::string_view card, std::size_t first, std::size_t last) {
  if (first > last || first > card.size()) return {};
  return card.substr(first - 1, std::min(last, card.size()) - first + 1);
}

// 0-based position of the comment slash, npos when the card has no comment.
// A slash inside a quoted value is part of the value, so with two quotes the
// search starts after the second one.
std::size_t commentSlash(std::string_view card) {
  const auto open = card.find('\'');
  if (open != std::string_view::npos) {
    const auto close = card.find('\'', open + 1);
    if (close != std::string_view::npos) return card.find('/', close + 1);
  }
  return card.find('/');
}

}  // namespace

std::vector<FitsHeaderRow> LoadFitsheader(const FitsHeader& header) {
  std::vector<FitsHeaderRow> rows;
  for (int number = 1; number <= kFitsCardCount; ++number) {
    std::string_view card = header.card(number);
    card = card.substr(0, card.find('\0'));  // a never-written card reads as empty
    const std::string key = withoutTrailingBlanks(card.substr(0, kKeyLength));
    if (key.empty()) continue;

    FitsHeaderRow row;
    row.Keyword = key;
    const std::size_t slash = commentSlash(card);
    const std::size_t valueEnd = slash == std::string_view::npos ? kLastValueColumn : slash;
    const std::size_t valueStart = columns(card, 9, 10) == "= " ? 11 : 9;
    row.Parameter = withoutTrailingBlanks(columns(card, valueStart, valueEnd));
    if (slash != std::string_view::npos) {
      row.Kommentar = withoutTrailingBlanks(card.substr(slash + 1));
    }
    rows.push_back(std::move(row));
    if (key == "END") break;  // "ENDX" and the like are ordinary keywords
  }
  return rows;
}

}  // namespace vargaze
