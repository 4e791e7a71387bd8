// Julian dates and calendar dates, the date and time parsers, the date texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <ctime>
#include <random>
#include <sstream>
#include <string>
#include <tuple>

#include "base/Errors.h"
#include "image/Astro.h"

namespace vargaze {
namespace {

struct DateTime {
  int year, month, day, h, m;
  float sec;
  auto tie() const { return std::tie(year, month, day, h, m, sec); }
};

DateTime toDate(double jd) {
  DateTime r{};
  JDtoDate(jd, r.year, r.month, r.day, r.h, r.m, r.sec);
  return r;
}

// Walks day by day with the test's own calendar: MJD counts one a day, CALDAT gives it back.
void checkConsecutiveDays(int day, int month, int year, int lastYear, bool gregorian) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (double mjd = MJD(day, month, year, 0.0); year <= lastYear; ++mjd) {
    ASSERT_EQ(MJD(day, month, year, 0.0), mjd) << year << "-" << month << "-" << day;
    DateTime back{};
    double hour = -1.0;
    CALDAT(mjd, back.day, back.month, back.year, hour);
    ASSERT_EQ(std::tie(back.day, back.month, back.year, hour),
              std::make_tuple(day, month, year, 0.0));
    const bool leap = gregorian ? (year % 4 == 0 && year % 100 != 0) || year % 400 == 0
                                : year % 4 == 0;
    if (++day > (month == 2 && leap ? 29 : days[month - 1])) {
      day = 1;
      if (++month > 12) month = 1, ++year;
    }
    if (!gregorian && year == 1582 && month == 10 && day == 5) break;  // the reform
  }
}

// Julian leap years up to 4 October 1582, Gregorian ones (1900 not, 2000 yes) from 15 October.
TEST(JulianDate, EveryDayIsOneMoreThanTheLast) {
  checkConsecutiveDays(1, 1, 1500, 1582, false);
  checkConsecutiveDays(15, 10, 1582, 1610, true);
  checkConsecutiveDays(1, 1, 1890, 2110, true);
  const std::tuple<int, int, int, double, double> epochs[] = {
      {1, 1, 2000, 12.0, 2451545.0},   {17, 11, 1858, 0.0, 2400000.5},  // J2000.0, MJD 0
      {1, 1, -4712, 12.0, 0.0},        {4, 10, 1582, 0.0, 2299159.5},   // JD 0, the day before
      {15, 10, 1582, 0.0, 2299160.5},  {31, 12, 1899, 12.0, 2415020.0}, // the reform, J1900.0
  };
  for (const auto& [d, m, y, hour, jd] : epochs) EXPECT_EQ(JD(d, m, y, hour), jd) << y;
}

TEST(JulianDate, AgreesWithUnixTime) {
  std::mt19937_64 random(20231005);
  std::uniform_int_distribution<std::int64_t> seconds(-2208988800LL, 4102444799LL);  // 1900..2099
  for (int i = 0; i < 2000; ++i) {
    const std::time_t t = static_cast<std::time_t>(seconds(random));
    std::tm utc{};
    ASSERT_NE(gmtime_r(&t, &utc), nullptr);
    const double expected = static_cast<double>(t) / 86400.0 + 2440587.5;
    const double hour = utc.tm_hour + utc.tm_min / 60.0 + utc.tm_sec / 3600.0;
    ASSERT_NEAR(JD(utc.tm_mday, utc.tm_mon + 1, utc.tm_year + 1900, hour), expected, 1e-8) << t;
    const DateTime want{utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday,
                        utc.tm_hour,        utc.tm_min,     static_cast<float>(utc.tm_sec)};
    ASSERT_EQ(toDate(expected).tie(), want.tie()) << t;
  }
}

TEST(JulianDate, ToDateRoundsToTheMillisecondNeverToSixty) {
  const std::pair<double, DateTime> cases[] = {
      {JD(5, 10, 2023, 21 + 13 / 60.0 + 5.25 / 3600), {2023, 10, 5, 21, 13, 5.25F}},
      {JD(31, 12, 2023, 24 - 0.0004 / 3600), {2024, 1, 1, 0, 0, 0.0F}},  // 0.4 ms before midnight
      {JD(28, 2, 2024, 24 - 0.0004 / 3600), {2024, 2, 29, 0, 0, 0.0F}},
      {JD(31, 12, 2023, 24 - 0.9999 / 3600), {2023, 12, 31, 23, 59, 59.0F}},  // stays in its day
      {JD(5, 10, 2023, 21 + 14 / 60.0 - 0.0003 / 3600), {2023, 10, 5, 21, 14, 0.0F}},
  };
  for (const auto& [jd, want] : cases) EXPECT_EQ(toDate(jd).tie(), want.tie()) << std::fixed << jd;
  EXPECT_THROW(toDate(std::nan("")), RangeError);
  EXPECT_THROW(toDate(HUGE_VAL), RangeError);

  // Never 60 seconds or minutes; points within a millisecond of a whole minute are the hard ones.
  std::mt19937_64 random(42);
  std::uniform_real_distribution<double> anyDay(2400000.0, 2470000.0);
  std::uniform_real_distribution<double> nearMinute(-0.0006, 0.0006);  // seconds
  for (int i = 0; i < 20000; ++i) {
    const double minute = std::round(anyDay(random) * 1440.0);
    const double jd = (minute + nearMinute(random) / 60.0) / 1440.0;
    const DateTime t = toDate(jd);
    ASSERT_TRUE(t.sec >= 0.0F && t.sec < 60.0F && t.m >= 0 && t.m < 60 && t.h >= 0 && t.h < 24)
        << std::fixed << jd << ": " << t.h << ":" << t.m << ":" << t.sec;
    // The fields read back as the same moment to within half a millisecond.
    const double back = JD(t.day, t.month, t.year, t.h + t.m / 60.0 + t.sec / 3600.0);
    ASSERT_NEAR(back, jd, 0.0006 / 86400.0) << jd;
  }
}

// The parser's result code and the fields it sets, in its argument order. Every
// field starts as -1: on failure the fields read before it keep their new values.
std::string parse(char parser, const char* text) {
  DateTime t{-1, -1, -1, -1, -1, -1.0F};
  std::ostringstream out;
  if (parser == 'd') out << convertdate(text, t.year, t.month, t.day);
  if (parser == 't') out << converttime(text, t.h, t.m, t.sec);
  if (parser == 's') out << ConvertDateRaptor(text, t.year, t.month, t.day, t.h, t.m, t.sec);
  if (parser != 't') out << " " << t.year << " " << t.month << " " << t.day;
  if (parser != 'd') out << " " << t.h << " " << t.m << " " << t.sec;
  return out.str();
}

TEST(DateText, ReadAndWritten) {
  // d: convertdate, t: converttime, s: ConvertDateRaptor (camera stamps)
  const std::tuple<char, const char*, const char*> cases[] = {
      {'d', "2023-10-05", "0 2023 10 5"},   {'d', "2023/10/05", "0 2023 10 5"},
      {'d', "1999-12-31", "0 1999 12 31"},  {'d', "05/10/23", "0 2023 10 5"},  // two-digit years
      {'d', "05/10/00", "0 2000 10 5"},     {'d', "05/10/68", "0 2068 10 5"},
      {'d', "05/10/69", "0 1969 10 5"},
      {'d', "31/12/99", "0 1999 12 31"},    {'d', "05/10/2023", "0 2023 10 5"},  // four: whole
      {'d', "05/10/23 21:13", "0 2023 10 5"}, {'d', "05.10.2023", "0 2023 10 5"},
      {'d', "05.10.202", "-1 -1 -1 -1"},    {'d', "05.13.2023", "-1 -1 -1 5"},  // dots: ten chars
      {'d', "05.00.2023", "-1 -1 -1 5"},    {'d', "32.10.2023", "-1 -1 -1 -1"},
      {'d', "00.10.2023", "-1 -1 -1 -1"},   {'d', "2023-13-05", "-1 2023 -1 -1"},
      {'d', "2023-10-32", "-1 2023 10 -1"}, {'d', "2023-10-00", "-1 2023 10 -1"},
      {'d', "05/13/23", "-1 -1 -1 5"},      {'d', "32/10/23", "-1 -1 -1 -1"},
      {'d', "05/10/xx", "-1 -1 10 5"},      {'d', "05/10/-1", "-1 -1 10 5"},
      {'d', "", "-1 -1 -1 -1"},             {'d', "2023-10", "-1 -1 -1 -1"},
      {'d', "date?   ", "-1 -1 -1 -1"},     {'t', "21:13", "0 21 13 0"},
      {'t', "21:13:45", "0 21 13 45"},      {'t', "21:13:45.500", "0 21 13 45.5"},
      {'t', "21:13:4 5.25", "0 21 13 45.25"}, {'t', "", "-1 -1 -1 -1"},
      {'t', "21:1", "-1 -1 -1 -1"},         {'t', "21-13", "-1 -1 -1 -1"},
      {'t', "2x:13", "-1 -1 -1 -1"},        {'t', "21:1x", "-1 21 -1 -1"},
      {'t', "21:13x45", "-1 21 13 -1"},     {'t', "21:13:   ", "-1 21 13 -1"},
      {'t', "21:13:45,5", "-1 21 13 -1"},
      {'s', "05/10/2023 21:13:45.25", "0 2023 10 5 21 13 45.25"},
      {'s', "31/12/2023 23:59:4 9.5", "0 2023 12 31 23 59 49.5"},
      {'s', "05/10/2023", "0 2023 10 5 -1 -1 -1"},           // no time part
      {'s', "2023-10-05 21:13:45", "0 -1 -1 -1 21 13 45"},   // no slashed date
      {'s', "05/10/2023 21-13-45", "0 2023 10 5 -1 -1 -1"},  // no ":" in the time
      {'s', "05", "-1 -1 -1 -1 -1 -1 -1"},  {'s', "garbage text here!!", "-1 -1 -1 -1 -1 -1 -1"},
      {'s', "ab/10/2023 21:13:45", "-1 -1 -1 -1 -1 -1 -1"},
      {'s', "05/13/2023 21:13:45", "-1 -1 -1 5 -1 -1 -1"},
      {'s', "05/10/23 21:13:45", "-1 -1 10 5 -1 -1 -1"},  // the year needs four digits
      {'s', "05/10/2023 xx:13:45", "-1 2023 10 5 -1 -1 -1"},
      {'s', "05/10/2023 21:1y:45", "-1 2023 10 5 21 -1 -1"},
      {'s', "05/10/2023 21:13:4x", "-1 2023 10 5 21 13 -1"},
  };
  for (const auto& [parser, text, want] : cases) EXPECT_EQ(parse(parser, text), want) << text;

  // Written texts: seconds decided after rounding (no "010.000"), six significant digits.
  const std::pair<double, const char*> seconds[] = {
      {9.9996, "10.000"}, {123.4567, "123.457"}, {1234567.891, "1234570.000"}};
  for (const auto& [s, text] : seconds) EXPECT_EQ(getdatefloat(s), text) << s;
  const std::pair<DateTime, const char*> stamps[] = {
      {{2023, 10, 5, 21, 13, 5.25F}, "2023-10-05T21:13:05.250"},
      // Seconds that round to 60.000 carry into the minute, hour, day and year.
      {{2023, 10, 5, 21, 13, 59.9996F}, "2023-10-05T21:14:00.000"},
      {{2023, 12, 31, 23, 59, 59.9996F}, "2024-01-01T00:00:00.000"},
      {{2024, 2, 28, 23, 59, 59.9996F}, "2024-02-29T00:00:00.000"},
      {{2023, 10, 5, 21, 13, -1.0F}, "2023-10-05T21:13:**"},  // unknown parts show stars
      {{2023, -1, 5, 21, 13, 1.0F}, "2023-**-05T21:13:01.000"},
  };
  for (const auto& [t, text] : stamps) {
    EXPECT_EQ(GetDatetime(t.year, t.month, t.day, t.h, t.m, t.sec), text);
  }
}

}  // namespace
}  // namespace vargaze
