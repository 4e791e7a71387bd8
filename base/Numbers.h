// Rounding, number formatting and number parsing.
//
// Every text produced or read here uses the point as decimal separator,
// whatever the process locale says.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vargaze {

// Round to the nearest integer, ties to even (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double value);

// roundHalfEven narrowed to a 32-bit or 64-bit integer; throws RangeError when
// the value is not finite or does not fit.
std::int32_t roundToInt32(double value);
std::int64_t roundToInt64(double value);

// Checked narrowing of a 64-bit integer; throws RangeError when it does not fit.
std::int32_t checkedInt32(std::int64_t value);

// "N decimals (P significant digits)": the value is first rounded to
// `significant` significant digits, then printed with exactly `decimals`
// decimals: formatFixed(5.25, 3, 6) == "5.250",
// formatFixed(1234567.891, 3, 6) == "1234570.000".
std::string formatFixed(double value, int decimals, int significant = 15);

// The general format: the shortest text that reads back as the value rounded
// to 15 significant digits; scientific ("1E-7", "1.5E20") only below 1e-5 or
// from 1e15 on.
std::string formatGeneral(double value);

// Reads a whole text as a floating-point number (optional sign, digits with an
// optional point, optional exponent). Returns 0 on success; otherwise the
// 1-based position of the first character that cannot belong to the number
// (1 when the first character is already invalid or the text is empty), and
// `value` is left unchanged.
int parseDouble(std::string_view text, double& value);

// The same for a decimal integer with an optional sign that must fit 32 bits.
int parseInt32(std::string_view text, std::int32_t& value);

// Convenience: true when the whole text is a number.
inline bool tryParseDouble(std::string_view text, double& value) {
  return parseDouble(text, value) == 0;
}
inline bool tryParseInt32(std::string_view text, std::int32_t& value) {
  return parseInt32(text, value) == 0;
}

}  // namespace vargaze
