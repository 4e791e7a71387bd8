// The rows of the FITS header viewer: one row per card, split into keyword,
// value and comment the way the viewer has always split them.
#pragma once

#include <string>
#include <vector>

#include "image/FitsHeader.h"

namespace vargaze {

struct FitsHeaderRow {
  std::string Keyword;
  std::string Parameter;
  std::string Kommentar;
  bool operator==(const FitsHeaderRow&) const = default;
};

// The viewer's caption and its column titles, in order.
inline constexpr const char* kFitsInfoCaption = "FITS Info";
inline constexpr const char* kFitsHeaderColumnTitles[] = {"Keyword", "Parameter", "Kommentar"};

// Rows for the cards of `header` in order (at most 1440). Cards with a blank
// or empty keyword are left out; the card whose keyword is exactly END is the
// last row. Cells keep the card's text as it stands (quotes and leading blanks
// included); only trailing blanks are dropped, since a table cell cannot show
// them and they would make equal values look different.
std::vector<FitsHeaderRow> LoadFitsheader(const FitsHeader& header);

}  // namespace vargaze
