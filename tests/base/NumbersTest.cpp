#include "base/Numbers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <locale>
#include <string>

#include "base/Errors.h"

namespace vargaze {
namespace {

const double kNan = std::nan("");
const double kInf = std::numeric_limits<double>::infinity();

TEST(NumbersTest, RoundingTiesToEvenAndRangeChecks) {
  const struct { double in, out; } ties[] = {{0.5, 0},   {1.5, 2},   {2.5, 2},    {3.5, 4},
                                             {-2.5, -2}, {-3.5, -4}, {2.4999, 2}, {2.5001, 3}};
  for (const auto& c : ties) EXPECT_EQ(roundHalfEven(c.in), c.out) << c.in;
  EXPECT_EQ(roundToInt32(-7.49), -7);
  EXPECT_EQ(roundToInt32(2147483647.4), INT32_MAX);
  EXPECT_EQ(roundToInt32(-2147483648.0), INT32_MIN);
  EXPECT_EQ(roundToInt64(4294967296.5), 4294967296LL);
  EXPECT_EQ(roundToInt64(-9223372036854775808.0), INT64_MIN);
  EXPECT_EQ(checkedInt32(2147483647LL), INT32_MAX);
  EXPECT_EQ(checkedInt32(-2147483648LL), INT32_MIN);
  // 2147483647.5 is a tie that rounds to the even 2147483648, one past the top.
  for (double v : {2147483647.5, -2147483649.0, kNan, kInf}) {
    EXPECT_THROW(roundToInt32(v), RangeError) << v;
  }
  for (double v : {9223372036854775808.0, kNan}) EXPECT_THROW(roundToInt64(v), RangeError);
  for (std::int64_t v : {2147483648LL, -2147483649LL}) EXPECT_THROW(checkedInt32(v), RangeError);
}

TEST(NumbersTest, FixedAndGeneralFormats) {
  // "N decimals (P significant digits)"; ties of exact binary values go to even.
  const struct { double value; int decimals, significant; const char* text; } fixed[] = {
      {1234567.891, 3, 6, "1234570.000"}, {5.25, 3, 6, "5.250"}, {45.5, 3, 6, "45.500"},
      {0.000123456789, 10, 3, "0.0001230000"}, {2451545.123456, 5, 15, "2451545.12346"},
      {-0.0001, 3, 15, "0.000"}, {-0.0, 2, 15, "0.00"}, {3.0, 0, 15, "3"}, {-1.25, 1, 15, "-1.2"},
      {-12.5, 0, 15, "-12"}, {0.125, 2, 15, "0.12"}, {0.375, 2, 15, "0.38"},
      {kNan, 2, 15, "NAN"}, {-kInf, 2, 15, "-INF"}};
  for (const auto& c : fixed) {
    EXPECT_EQ(formatFixed(c.value, c.decimals, c.significant), c.text) << c.value;
  }
  // The shortest text at 15 significant digits; scientific below 1e-5 and from 1e15 on.
  const struct { double value; const char* text; } general[] = {
      {1.5, "1.5"}, {100.0, "100"}, {0.1, "0.1"}, {-0.25, "-0.25"}, {0.0, "0"},
      {2451545.0, "2451545"}, {1.0 / 3.0, "0.333333333333333"}, {2.0 / 3.0, "0.666666666666667"},
      {0.1 + 0.2, "0.3"}, {1e-7, "1E-7"}, {-2.5e-6, "-2.5E-6"}, {1.5e20, "1.5E20"},
      {1e-5, "0.00001"}, {9.5e-6, "9.5E-6"}, {999999999999999.0, "999999999999999"},
      {1e15, "1E15"}, {kInf, "INF"}, {kNan, "NAN"}};
  for (const auto& c : general) EXPECT_EQ(formatGeneral(c.value), c.text) << c.value;
  // Reads back as the value that the C library rounds to 15 digits.
  for (double m = 1.234567891234567e-9; m < 1e25; m *= 7.3) {
    for (double v : {m, -m}) {
      char reference[64];
      std::snprintf(reference, sizeof reference, "%.14e", v);
      double back = 0.0;
      ASSERT_EQ(parseDouble(formatGeneral(v), back), 0) << formatGeneral(v);
      EXPECT_EQ(back, std::strtod(reference, nullptr)) << formatGeneral(v);
    }
  }
}

// The comma of a German locale, for systems that lack one.
struct CommaPunct : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
};

TEST(NumbersTest, PointWhateverTheLocale) {
  const std::locale old = std::locale::global(std::locale(std::locale(), new CommaPunct));
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  const std::string texts = formatFixed(1234.5, 2) + " " + formatGeneral(0.125);
  double value = 0.0;
  const int positions = parseDouble("2.75", value) * 10 + parseDouble("2,75", value);
  std::setlocale(LC_NUMERIC, "C");
  std::locale::global(old);
  EXPECT_EQ(texts, "1234.50 0.125");
  EXPECT_EQ(positions, 2);  // the first parses, the second stops at its comma
  EXPECT_EQ(value, 2.75);
}

TEST(NumbersTest, ParsingGivesTheErrorPositionAndKeepsTheValueOnFailure) {
  const struct { const char* text; int position; double value; } doubles[] = {
      {"+3.276800000000E+004", 0, 32768}, {"1.0000000000000000", 0, 1}, {"-0.5e-3", 0, -0.0005},
      {"42", 0, 42}, {".5", 0, 0.5}, {"7.", 0, 7}, {"'1.5'", 1, 9}, {"", 1, 9}, {"1.5x", 4, 9},
      {" 1.5", 1, 9}, {"1.5 ", 4, 9}, {"-", 2, 9}, {"1e", 3, 9}, {"1.2.3", 4, 9}, {".", 2, 9},
      {"1e999", 1, 9}};
  for (const auto& c : doubles) {
    double value = 9.0;
    EXPECT_EQ(parseDouble(c.text, value), c.position) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
  const struct { const char* text; int position; std::int32_t value; } ints[] = {
      {"2147483647", 0, INT32_MAX}, {"-2147483648", 0, INT32_MIN}, {"+05", 0, 5}, {"", 1, 17},
      {"1.5", 2, 17}, {"12 ", 3, 17}, {"'3'", 1, 17}, {"-", 2, 17}, {"2147483648", -1, 17},
      {"-2147483649", -1, 17}, {"99999999999999999999", -1, 17}};  // -1: any failure
  for (const auto& c : ints) {
    std::int32_t value = 17;
    const int position = parseInt32(c.text, value);
    EXPECT_TRUE(c.position < 0 ? position != 0 : position == c.position) << c.text << position;
    EXPECT_EQ(value, c.value) << c.text;
  }
}

}  // namespace
}  // namespace vargaze
