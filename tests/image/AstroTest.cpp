#include "image/Astro.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <ctime>
#include <random>

#include "base/Errors.h"

namespace vargaze {
namespace {

struct Date {
  int day, month, year;
};

bool gregorianLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int month, int year, bool gregorian) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = gregorian ? gregorianLeap(year) : year % 4 == 0;
  return month == 2 && leap ? 29 : days[month - 1];
}

Date nextDay(Date d, bool gregorian) {
  if (++d.day > daysInMonth(d.month, d.year, gregorian)) {
    d.day = 1;
    if (++d.month > 12) d.month = 1, ++d.year;
  }
  return d;
}

// Walks day by day with the test's own calendar and checks that MJD counts
// one per day and that CALDAT gives every date back.
void checkConsecutiveDays(Date from, Date to, bool gregorian) {
  Date d = from;
  double previous = MJD(d.day, d.month, d.year, 0.0) - 1.0;
  for (;;) {
    const double mjd = MJD(d.day, d.month, d.year, 0.0);
    ASSERT_EQ(mjd, previous + 1.0) << d.year << "-" << d.month << "-" << d.day;
    int day = 0, month = 0, year = 0;
    double hour = -1.0;
    CALDAT(mjd, day, month, year, hour);
    ASSERT_EQ(day, d.day);
    ASSERT_EQ(month, d.month);
    ASSERT_EQ(year, d.year);
    ASSERT_EQ(hour, 0.0);
    if (d.day == to.day && d.month == to.month && d.year == to.year) break;
    previous = mjd;
    d = nextDay(d, gregorian);
  }
}

TEST(JulianDateTest, KnownEpochs) {
  EXPECT_EQ(JD(1, 1, 2000, 12.0), 2451545.0);      // J2000.0
  EXPECT_EQ(JD(1, 1, 1970, 0.0), 2440587.5);       // Unix epoch
  EXPECT_EQ(MJD(17, 11, 1858, 0.0), 0.0);          // MJD zero point
  EXPECT_EQ(JD(31, 12, 1899, 12.0), 2415020.0);    // J1900.0 (1900 January 0.5)
  EXPECT_EQ(JD(1, 1, -4712, 12.0), 0.0);           // JD zero point, Julian calendar
  EXPECT_EQ(JD(1, 1, 2000, 0.0), 2451544.5);
}

TEST(JulianDateTest, TimeOfDay) {
  // 2023-10-05 21:13:45.5 UT: 2460222.5 + 76425.5 / 86400
  const double hour = 21.0 + 13.0 / 60.0 + 45.5 / 3600.0;
  EXPECT_NEAR(JD(5, 10, 2023, hour), 2460223.38455, 0.000005);
  EXPECT_NEAR(JD(5, 10, 2023, hour), 2460222.5 + 76425.5 / 86400.0, 1e-9);
}

TEST(JulianDateTest, CalendarReformIsSeamless) {
  // Thursday 4 October 1582 (Julian) was followed by Friday 15 October (Gregorian).
  EXPECT_EQ(JD(4, 10, 1582, 0.0), 2299159.5);
  EXPECT_EQ(JD(15, 10, 1582, 0.0), 2299160.5);
  EXPECT_EQ(MJD(15, 10, 1582, 0.0) - MJD(4, 10, 1582, 0.0), 1.0);
  int day = 0, month = 0, year = 0;
  double hour = 0.0;
  CALDAT(MJD(4, 10, 1582, 0.0), day, month, year, hour);
  EXPECT_EQ(day, 4);
  CALDAT(MJD(15, 10, 1582, 0.0), day, month, year, hour);
  EXPECT_EQ(day, 15);
  EXPECT_EQ(month, 10);
  EXPECT_EQ(year, 1582);
}

TEST(JulianDateTest, LeapYears) {
  EXPECT_EQ(MJD(1, 3, 2000, 0) - MJD(28, 2, 2000, 0), 2.0);  // divisible by 400
  EXPECT_EQ(MJD(1, 3, 1900, 0) - MJD(28, 2, 1900, 0), 1.0);  // divisible by 100
  EXPECT_EQ(MJD(1, 3, 2024, 0) - MJD(28, 2, 2024, 0), 2.0);
  EXPECT_EQ(MJD(1, 3, 2023, 0) - MJD(28, 2, 2023, 0), 1.0);
  EXPECT_EQ(MJD(1, 3, 1500, 0) - MJD(28, 2, 1500, 0), 2.0);  // Julian: every 4th year
}

TEST(JulianDateTest, EveryDayIsOneMoreThanTheLast) {
  checkConsecutiveDays({1, 1, 1500}, {4, 10, 1582}, false);
  checkConsecutiveDays({15, 10, 1582}, {31, 12, 1610}, true);
  checkConsecutiveDays({1, 1, 1890}, {31, 12, 2110}, true);
}

TEST(JulianDateTest, CaldatOfJ2000) {
  int day = 0, month = 0, year = 0;
  double hour = 0.0;
  CALDAT(51544.5, day, month, year, hour);
  EXPECT_EQ(day, 1);
  EXPECT_EQ(month, 1);
  EXPECT_EQ(year, 2000);
  EXPECT_EQ(hour, 12.0);
}

TEST(JulianDateTest, AgreesWithUnixTime) {
  std::mt19937_64 random(20231005);
  std::uniform_int_distribution<std::int64_t> seconds(-2208988800LL, 4102444799LL);  // 1900..2099
  for (int i = 0; i < 2000; ++i) {
    const std::time_t t = static_cast<std::time_t>(seconds(random));
    std::tm utc{};
    ASSERT_NE(gmtime_r(&t, &utc), nullptr);
    const double expected = static_cast<double>(t) / 86400.0 + 2440587.5;
    const double hour = utc.tm_hour + utc.tm_min / 60.0 + utc.tm_sec / 3600.0;
    ASSERT_NEAR(JD(utc.tm_mday, utc.tm_mon + 1, utc.tm_year + 1900, hour), expected, 1e-8) << t;

    int year = 0, month = 0, day = 0, h = 0, m = 0;
    float sec = -1.0F;
    JDtoDate(expected, year, month, day, h, m, sec);
    ASSERT_EQ(year, utc.tm_year + 1900) << t;
    ASSERT_EQ(month, utc.tm_mon + 1) << t;
    ASSERT_EQ(day, utc.tm_mday) << t;
    ASSERT_EQ(h, utc.tm_hour) << t;
    ASSERT_EQ(m, utc.tm_min) << t;
    ASSERT_EQ(sec, static_cast<float>(utc.tm_sec)) << t;
  }
}

struct DateTime {
  int year, month, day, h, m;
  float sec;
};

DateTime toDate(double jd) {
  DateTime r{};
  JDtoDate(jd, r.year, r.month, r.day, r.h, r.m, r.sec);
  return r;
}

void expectDateTime(const DateTime& got, DateTime want) {
  EXPECT_EQ(got.year, want.year);
  EXPECT_EQ(got.month, want.month);
  EXPECT_EQ(got.day, want.day);
  EXPECT_EQ(got.h, want.h);
  EXPECT_EQ(got.m, want.m);
  EXPECT_EQ(got.sec, want.sec);
}

TEST(JulianToDateTest, ExactTimesComeBack) {
  expectDateTime(toDate(2451545.0), {2000, 1, 1, 12, 0, 0.0F});
  expectDateTime(toDate(2440587.5), {1970, 1, 1, 0, 0, 0.0F});
  expectDateTime(toDate(JD(5, 10, 2023, 21 + 13 / 60.0 + 45.5 / 3600)), {2023, 10, 5, 21, 13, 45.5F});
  expectDateTime(toDate(JD(5, 10, 2023, 21 + 13 / 60.0 + 5.25 / 3600)), {2023, 10, 5, 21, 13, 5.25F});
  expectDateTime(toDate(JD(29, 2, 2024, 23 + 59 / 60.0 + 59.125 / 3600)),
                 {2024, 2, 29, 23, 59, 59.125F});
}

// The JD of a moment `before` seconds ahead of midnight at the end of the day.
double beforeMidnight(int day, int month, int year, double before) {
  return JD(day, month, year, 24.0 - before / 3600.0);
}

TEST(JulianToDateTest, MillisecondRoundingCarriesIntoTheNextDay) {
  expectDateTime(toDate(beforeMidnight(31, 12, 2023, 0.0004)), {2024, 1, 1, 0, 0, 0.0F});
  expectDateTime(toDate(beforeMidnight(28, 2, 2023, 0.0004)), {2023, 3, 1, 0, 0, 0.0F});
  expectDateTime(toDate(beforeMidnight(28, 2, 2024, 0.0004)), {2024, 2, 29, 0, 0, 0.0F});
  expectDateTime(toDate(beforeMidnight(29, 2, 2024, 0.0004)), {2024, 3, 1, 0, 0, 0.0F});
  expectDateTime(toDate(beforeMidnight(28, 2, 1900, 0.0004)), {1900, 3, 1, 0, 0, 0.0F});
  // 0.9999 s before midnight is 23:59:59.0001, which stays in its day.
  expectDateTime(toDate(beforeMidnight(31, 12, 2023, 0.9999)), {2023, 12, 31, 23, 59, 59.0F});
  // Half a millisecond past a minute rounds up into it, not to 59.999 + 1.
  expectDateTime(toDate(JD(5, 10, 2023, 21 + 14 / 60.0 - 0.0003 / 3600)), {2023, 10, 5, 21, 14, 0.0F});
}

TEST(JulianToDateTest, NeverSixtySecondsOrMinutes) {
  std::mt19937_64 random(42);
  std::uniform_real_distribution<double> anyDay(2400000.0, 2470000.0);
  std::uniform_real_distribution<double> nearMinute(-0.0006, 0.0006);  // seconds
  for (int i = 0; i < 20000; ++i) {
    // Points within a millisecond of a whole minute are the hard ones.
    const double minute = std::round(anyDay(random) * 1440.0);
    const double jd = (minute + nearMinute(random) / 60.0) / 1440.0;
    const DateTime t = toDate(jd);
    ASSERT_GE(t.sec, 0.0F) << jd;
    ASSERT_LT(t.sec, 60.0F) << jd;
    ASSERT_GE(t.m, 0);
    ASSERT_LT(t.m, 60) << jd;
    ASSERT_GE(t.h, 0);
    ASSERT_LT(t.h, 24) << jd;
    // The fields read back as the same moment to within half a millisecond.
    const double back = JD(t.day, t.month, t.year, t.h + t.m / 60.0 + t.sec / 3600.0);
    ASSERT_NEAR(back, jd, 0.0006 / 86400.0) << jd;
  }
}

TEST(JulianToDateTest, NonFiniteDateIsARangeError) {
  EXPECT_THROW(toDate(std::nan("")), RangeError);
  EXPECT_THROW(toDate(HUGE_VAL), RangeError);
}

}  // namespace
}  // namespace vargaze
