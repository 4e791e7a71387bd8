#include "base/Numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "base/Errors.h"

namespace vargaze {

double roundHalfEven(double value) { return std::nearbyint(value); }

std::int32_t roundToInt32(double value) {
  const double r = roundHalfEven(value);
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) {
    throw RangeError("value out of the 32-bit integer range: " + formatGeneral(value));
  }
  return static_cast<std::int32_t>(r);
}

std::int64_t roundToInt64(double value) {
  const double r = roundHalfEven(value);
  // 2^63 is exactly representable; everything below it fits.
  if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0)) {
    throw RangeError("value out of the 64-bit integer range: " + formatGeneral(value));
  }
  return static_cast<std::int64_t>(r);
}

std::int32_t checkedInt32(std::int64_t value) {
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    throw RangeError("value out of the 32-bit integer range: " + std::to_string(value));
  }
  return static_cast<std::int32_t>(value);
}

namespace {

// Rounds to `significant` significant decimal digits (1..17) through the
// shortest exact decimal expansion, so the tie rule is that of the decimal value.
double roundToSignificant(double value, int significant) {
  if (!std::isfinite(value) || value == 0.0) return value;
  if (significant < 1) significant = 1;
  if (significant > 17) significant = 17;
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific,
                           significant - 1);
  double rounded = value;
  std::from_chars(buf, res.ptr, rounded);
  return rounded;
}

std::string nonFiniteText(double value) {
  if (std::isnan(value)) return "NAN";
  return value > 0 ? "INF" : "-INF";
}

}  // namespace

std::string formatFixed(double value, int decimals, int significant) {
  if (!std::isfinite(value)) return nonFiniteText(value);
  if (decimals < 0) decimals = 0;
  const double rounded = roundToSignificant(value, significant);
  char buf[400];
  auto res = std::to_chars(buf, buf + sizeof buf, rounded, std::chars_format::fixed, decimals);
  std::string text(buf, res.ptr);
  // "-0.000" carries no information a reader wants; print it as zero.
  if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) {
    text.erase(0, 1);
  }
  return text;
}

std::string formatGeneral(double value) {
  if (!std::isfinite(value)) return nonFiniteText(value);
  if (value == 0.0) return "0";
  const double rounded = roundToSignificant(value, 15);
  const double magnitude = std::fabs(rounded);
  char buf[64];
  if (magnitude >= 1e-5 && magnitude < 1e15) {
    auto res = std::to_chars(buf, buf + sizeof buf, rounded, std::chars_format::fixed);
    return std::string(buf, res.ptr);
  }
  // Scientific: shortest mantissa, exponent without "+" and leading zeros.
  auto res = std::to_chars(buf, buf + sizeof buf, rounded, std::chars_format::scientific);
  std::string text(buf, res.ptr);
  const auto e = text.find('e');
  std::string mantissa = text.substr(0, e);
  int exponent = std::stoi(text.substr(e + 1));
  return mantissa + "E" + std::to_string(exponent);
}

namespace {

// Length of the longest prefix of `text` that has the shape of a number.
// Sets `complete` when that prefix is a valid number in itself.
std::size_t numberPrefix(std::string_view text, bool allowFraction, bool& complete) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  auto isDigit = [&](std::size_t k) { return k < n && text[k] >= '0' && text[k] <= '9'; };
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (isDigit(i)) ++i, ++digits;
  if (allowFraction && i < n && text[i] == '.') {
    ++i;
    while (isDigit(i)) ++i, ++digits;
  }
  complete = digits > 0;
  if (allowFraction && complete && i < n && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < n && (text[j] == '+' || text[j] == '-')) ++j;
    if (isDigit(j)) {
      while (isDigit(j)) ++j;
      i = j;
    } else {
      complete = false;
      return j;
    }
  }
  return i;
}

// Pascal's error position: the 1-based index of the first character that does
// not continue a valid number.
int errorPosition(std::size_t prefix) { return static_cast<int>(prefix) + 1; }

}  // namespace

int parseDouble(std::string_view text, double& value) {
  bool complete = false;
  const std::size_t prefix = numberPrefix(text, true, complete);
  if (!complete || prefix != text.size()) return errorPosition(prefix);
  std::string_view digits = text;
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  double result = 0.0;
  auto res = std::from_chars(digits.data(), digits.data() + digits.size(), result);
  if (res.ec == std::errc::result_out_of_range) return 1;
  if (res.ec != std::errc() || res.ptr != digits.data() + digits.size()) return 1;
  value = result;
  return 0;
}

int parseInt32(std::string_view text, std::int32_t& value) {
  bool complete = false;
  const std::size_t prefix = numberPrefix(text, false, complete);
  if (!complete || prefix != text.size()) return errorPosition(prefix);
  std::string_view digits = text;
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  std::int32_t result = 0;
  auto res = std::from_chars(digits.data(), digits.data() + digits.size(), result);
  if (res.ec != std::errc() || res.ptr != digits.data() + digits.size()) {
    return static_cast<int>(text.size());
  }
  value = result;
  return 0;
}

}  // namespace vargaze
