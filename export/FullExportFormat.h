// Delimited text of the full and the short export: the delimiter and decimal
// choices of their windows, the decimal comma applied to number texts, and
// the check that no field holds the delimiter (nothing is quoted, so such a
// field would shift every column after it).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vargaze::exportfmt {

// Items of "Feld-Trennzeichen": 0 ", (Komma)", 1 "; (Semikolon)", 2 "| (Pipe)".
// RangeError for any other item.
char delimiterOf(std::int32_t delimiterItem);

// The item of a delimiter character (for command lines); -1 for any other.
std::int32_t delimiterItemFor(char delimiter);

// Items of "Dezimal-Trennzeichen": 0 ". (Punkt)", 1 ", (Komma)".
// RangeError for any other item.
bool decimalCommaOf(std::int32_t decimalItem);

// The item of a decimal separator character; -1 for any other.
std::int32_t decimalItemFor(char separator);

// The number text as written: with the decimal comma every point becomes a
// comma. Only the written text changes, never a program-wide setting.
std::string numberText(std::string text, bool decimalComma);

std::string joinFields(const std::vector<std::string>& fields, char delimiter);

// The message refusing a field that holds the delimiter, naming the cell by
// its line in the file and its column title; empty when every field is clean.
std::string delimiterConflict(const std::vector<std::string>& fields,
                              const std::vector<std::string>& titles, std::int32_t lineNumber,
                              char delimiter);

// Refusal of a ROI number outside the ROI list.
std::string roiNumberRefusal(std::int32_t roiNumber, std::int32_t roiCount);

// Shown when a comma is asked for both as decimal and as field separator.
inline constexpr std::string_view kCommaConflictText = "Feld-Trennzeichen darf nicht Komma sein!";

}  // namespace vargaze::exportfmt
