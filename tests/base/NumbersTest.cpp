#include "base/Numbers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <locale>
#include <string>

#include "base/Errors.h"

namespace vargaze {
namespace {

TEST(RoundingTest, TiesGoToEven) {
  EXPECT_EQ(roundHalfEven(0.5), 0.0);
  EXPECT_EQ(roundHalfEven(1.5), 2.0);
  EXPECT_EQ(roundHalfEven(2.5), 2.0);
  EXPECT_EQ(roundHalfEven(3.5), 4.0);
  EXPECT_EQ(roundHalfEven(-2.5), -2.0);
  EXPECT_EQ(roundHalfEven(-3.5), -4.0);
}

TEST(RoundingTest, NonTiesGoToNearest) {
  EXPECT_EQ(roundHalfEven(2.4999), 2.0);
  EXPECT_EQ(roundHalfEven(2.5001), 3.0);
  EXPECT_EQ(roundHalfEven(-1.6), -2.0);
  EXPECT_EQ(roundToInt32(-7.49), -7);
}

TEST(RoundingTest, Int32LimitsAreKeptAndExceededValuesThrow) {
  EXPECT_EQ(roundToInt32(2147483647.4), 2147483647);
  EXPECT_EQ(roundToInt32(-2147483648.0), std::numeric_limits<std::int32_t>::min());
  // 2147483647.5 is a tie that rounds to the even 2147483648, one past the top.
  EXPECT_THROW(roundToInt32(2147483647.5), RangeError);
  EXPECT_THROW(roundToInt32(-2147483649.0), RangeError);
  EXPECT_THROW(roundToInt32(1e300), RangeError);
  EXPECT_THROW(roundToInt32(std::nan("")), RangeError);
  EXPECT_THROW(roundToInt32(std::numeric_limits<double>::infinity()), RangeError);
}

TEST(RoundingTest, Int64AndCheckedNarrowing) {
  EXPECT_EQ(roundToInt64(4294967296.5), 4294967296LL);  // tie to even
  EXPECT_THROW(roundToInt64(9.3e18), RangeError);
  EXPECT_EQ(checkedInt32(-2147483648LL), std::numeric_limits<std::int32_t>::min());
  EXPECT_THROW(checkedInt32(2147483648LL), RangeError);
}

TEST(FormatFixedTest, RoundsToSignificantDigitsBeforeDecimals) {
  EXPECT_EQ(formatFixed(1234567.891, 3, 6), "1234570.000");
  EXPECT_EQ(formatFixed(5.25, 3, 6), "5.250");
  EXPECT_EQ(formatFixed(45.5, 3, 6), "45.500");
  EXPECT_EQ(formatFixed(0.000123456789, 10, 3), "0.0001230000");
  EXPECT_EQ(formatFixed(2451545.123456, 5), "2451545.12346");
}

TEST(FormatFixedTest, SignAndZero) {
  EXPECT_EQ(formatFixed(-0.0001, 3), "0.000");
  EXPECT_EQ(formatFixed(-0.0, 2), "0.00");
  EXPECT_EQ(formatFixed(-1.25, 1), "-1.2");  // exact tie in binary: to even
  EXPECT_EQ(formatFixed(-12.5, 0), "-12");
  EXPECT_EQ(formatFixed(3.0, 0), "3");
}

TEST(FormatGeneralTest, ShortestText) {
  EXPECT_EQ(formatGeneral(1.5), "1.5");
  EXPECT_EQ(formatGeneral(100.0), "100");
  EXPECT_EQ(formatGeneral(0.1), "0.1");
  EXPECT_EQ(formatGeneral(-0.25), "-0.25");
  EXPECT_EQ(formatGeneral(0.0), "0");
  EXPECT_EQ(formatGeneral(2451545.0), "2451545");
}

TEST(FormatGeneralTest, FifteenSignificantDigits) {
  EXPECT_EQ(formatGeneral(1.0 / 3.0), "0.333333333333333");
  EXPECT_EQ(formatGeneral(2.0 / 3.0), "0.666666666666667");
  // 0.1 + 0.2 is 0.30000000000000004 in binary; 15 digits hide that.
  EXPECT_EQ(formatGeneral(0.1 + 0.2), "0.3");
}

TEST(FormatGeneralTest, ScientificOnlyForVerySmallOrLarge) {
  EXPECT_EQ(formatGeneral(1e-7), "1E-7");
  EXPECT_EQ(formatGeneral(-2.5e-6), "-2.5E-6");
  EXPECT_EQ(formatGeneral(1.5e20), "1.5E20");
  EXPECT_EQ(formatGeneral(0.0001), "0.0001");
  EXPECT_EQ(formatGeneral(123456789012345.0), "123456789012345");
}

// A numeric punctuation that uses the comma, as a German locale does.
class CommaPunct : public std::numpunct<char> {
 protected:
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

// Switches the process to a comma locale for one test and back afterwards.
class CommaLocale {
 public:
  CommaLocale() : oldGlobal_(std::locale()), oldC_(std::setlocale(LC_ALL, nullptr)) {
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
      std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
    }
  }
  ~CommaLocale() {
    std::locale::global(oldGlobal_);
    std::setlocale(LC_ALL, oldC_.c_str());
  }
  CommaLocale(const CommaLocale&) = delete;
  CommaLocale& operator=(const CommaLocale&) = delete;

 private:
  std::locale oldGlobal_;
  std::string oldC_;
};

TEST(NumberLocaleTest, PointWhateverTheLocale) {
  CommaLocale comma;
  // Make sure the switch took effect in one of the two ways.
  const bool cComma = std::localeconv()->decimal_point[0] == ',';
  const bool cppComma = std::use_facet<std::numpunct<char>>(std::locale()).decimal_point() == ',';
  ASSERT_TRUE(cComma || cppComma);

  EXPECT_EQ(formatFixed(1234.5, 2), "1234.50");
  EXPECT_EQ(formatGeneral(0.125), "0.125");
  EXPECT_EQ(formatGeneral(1e-7), "1E-7");
  double value = 0.0;
  EXPECT_EQ(parseDouble("2.75", value), 0);
  EXPECT_EQ(value, 2.75);
  EXPECT_EQ(parseDouble("2,75", value), 2);
}

TEST(ParseDoubleTest, AcceptsFitsStyleNumbers) {
  double value = 0.0;
  EXPECT_EQ(parseDouble("+3.276800000000E+004", value), 0);
  EXPECT_EQ(value, 32768.0);
  EXPECT_EQ(parseDouble("1.0000000000000000", value), 0);
  EXPECT_EQ(value, 1.0);
  EXPECT_EQ(parseDouble("-0.5e-3", value), 0);
  EXPECT_EQ(value, -0.0005);
  EXPECT_EQ(parseDouble("42", value), 0);
  EXPECT_EQ(value, 42.0);
  EXPECT_EQ(parseDouble(".5", value), 0);
  EXPECT_EQ(value, 0.5);
  EXPECT_EQ(parseDouble("7.", value), 0);
  EXPECT_EQ(value, 7.0);
}

TEST(ParseDoubleTest, ErrorPositionAndValueUnchanged) {
  double value = 9.0;
  EXPECT_EQ(parseDouble("'1.5'", value), 1);  // a quoted number
  EXPECT_EQ(parseDouble("", value), 1);
  EXPECT_EQ(parseDouble("1.5x", value), 4);
  EXPECT_EQ(parseDouble(" 1.5", value), 1);
  EXPECT_EQ(parseDouble("1.5 ", value), 4);
  EXPECT_EQ(parseDouble("-", value), 2);
  EXPECT_EQ(parseDouble("1e", value), 3);
  EXPECT_EQ(parseDouble("1.2.3", value), 4);
  EXPECT_EQ(value, 9.0);
}

TEST(ParseInt32Test, ReadsWholeDecimalIntegers) {
  std::int32_t value = 0;
  EXPECT_EQ(parseInt32("2147483647", value), 0);
  EXPECT_EQ(value, 2147483647);
  EXPECT_EQ(parseInt32("-2147483648", value), 0);
  EXPECT_EQ(value, std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(parseInt32("+05", value), 0);
  EXPECT_EQ(value, 5);
}

TEST(ParseInt32Test, FailuresLeaveTheValue) {
  std::int32_t value = 17;
  EXPECT_NE(parseInt32("2147483648", value), 0);
  EXPECT_NE(parseInt32("-2147483649", value), 0);
  EXPECT_NE(parseInt32("99999999999999999999", value), 0);
  EXPECT_EQ(parseInt32("", value), 1);
  EXPECT_EQ(parseInt32("1.5", value), 2);
  EXPECT_EQ(parseInt32("12 ", value), 3);
  EXPECT_EQ(parseInt32("'3'", value), 1);
  EXPECT_EQ(value, 17);
}

}  // namespace
}  // namespace vargaze
