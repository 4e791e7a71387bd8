#include <gtest/gtest.h>

#include <string>

#include "image/Astro.h"

namespace vargaze {
namespace {

struct Ymd {
  int year = 0, month = 0, day = 0;
};

int parseDate(const std::string& s, Ymd& d) { return convertdate(s, d.year, d.month, d.day); }

void expectDate(const std::string& s, int year, int month, int day) {
  Ymd d;
  EXPECT_EQ(parseDate(s, d), 0) << s;
  EXPECT_EQ(d.year, year) << s;
  EXPECT_EQ(d.month, month) << s;
  EXPECT_EQ(d.day, day) << s;
}

void expectDateFails(const std::string& s) {
  Ymd d;
  EXPECT_EQ(parseDate(s, d), -1) << s;
}

TEST(DateParseTest, YearFirstForms) {
  expectDate("2023-10-05", 2023, 10, 5);
  expectDate("2023/10/05", 2023, 10, 5);
  expectDate("2023-10-05T21:13:45.500", 2023, 10, 5);  // DATE-OBS with time
  expectDate("1999-12-31", 1999, 12, 31);
}

TEST(DateParseTest, TwoDigitYearsPivotAt69) {
  expectDate("05/10/23", 2023, 10, 5);
  expectDate("05/10/00", 2000, 10, 5);
  expectDate("05/10/20", 2020, 10, 5);
  expectDate("05/10/21", 2021, 10, 5);
  expectDate("05/10/68", 2068, 10, 5);
  expectDate("05/10/69", 1969, 10, 5);
  expectDate("31/12/99", 1999, 12, 31);
}

TEST(DateParseTest, FourDigitYearAfterDayAndMonthIsTakenWhole) {
  expectDate("05/10/2023", 2023, 10, 5);
  expectDate("05/10/23 21:13", 2023, 10, 5);
}

TEST(DateParseTest, DottedForm) {
  expectDate("05.10.2023", 2023, 10, 5);
  expectDate("29.02.2024", 2024, 2, 29);
  expectDateFails("05.10.23");  // needs all ten characters
  expectDateFails("05.10.202");
}

TEST(DateParseTest, MonthAndDayAreValidated) {
  expectDateFails("05.13.2023");
  expectDateFails("05.00.2023");
  expectDateFails("32.10.2023");
  expectDateFails("00.10.2023");
  expectDateFails("2023-13-05");
  expectDateFails("2023-10-32");
  expectDateFails("2023-10-00");
  expectDateFails("05/13/23");
  expectDateFails("32/10/23");
}

TEST(DateParseTest, MalformedTextsFail) {
  expectDateFails("");
  expectDateFails("2023-10");    // 7 characters
  expectDateFails("5/10/23");    // 7 characters
  expectDateFails("2023-1x-05");
  expectDateFails("2023-10- 5");  // a blank inside a part
  expectDateFails("05/10/-1");
  expectDateFails("20231005");
  expectDateFails("date?   ");
  expectDateFails("05-10-2023");
}

TEST(DateParseTest, FieldsReadBeforeAFailureKeepTheirValues) {
  Ymd d{1, 2, 3};
  EXPECT_EQ(parseDate("2023-13-05", d), -1);
  EXPECT_EQ(d.year, 2023);
  EXPECT_EQ(d.month, 2);
  EXPECT_EQ(d.day, 3);
  Ymd e{1, 2, 3};
  EXPECT_EQ(parseDate("05/10/xx", e), -1);
  EXPECT_EQ(e.day, 5);
  EXPECT_EQ(e.month, 10);
  EXPECT_EQ(e.year, 1);
}

struct Hms {
  int h = -1, m = -1;
  float sec = -1.0F;
};

int parseTime(const std::string& s, Hms& t) { return converttime(s, t.h, t.m, t.sec); }

TEST(AstroTimeParseTest, HoursMinutesAndSeconds) {
  Hms t;
  EXPECT_EQ(parseTime("21:13", t), 0);
  EXPECT_EQ(t.h, 21);
  EXPECT_EQ(t.m, 13);
  EXPECT_EQ(t.sec, 0.0F);
  EXPECT_EQ(parseTime("21:13:45", t), 0);
  EXPECT_EQ(t.sec, 45.0F);
  EXPECT_EQ(parseTime("21:13:45.500", t), 0);
  EXPECT_EQ(t.sec, 45.5F);
  EXPECT_EQ(parseTime("21:13:4 5.25", t), 0);
  EXPECT_EQ(t.sec, 45.25F);
  EXPECT_EQ(parseTime("00:00:00.000", t), 0);
  EXPECT_EQ(t.h, 0);
  EXPECT_EQ(t.sec, 0.0F);
}

TEST(AstroTimeParseTest, BadFormsFail) {
  for (const char* s : {"", "21:1", "21-13", "2113:", "21:1x", "2x:13", "21:13x45", "21:13:",
                        "21:13:   ", "21:13:4a", "21:13:45,5", " 21:13"}) {
    Hms t;
    EXPECT_EQ(parseTime(s, t), -1) << s;
  }
}

TEST(AstroTimeParseTest, FieldsReadBeforeAFailureKeepTheirValues) {
  Hms t;
  EXPECT_EQ(parseTime("21:13:xx", t), -1);
  EXPECT_EQ(t.h, 21);
  EXPECT_EQ(t.m, 13);
  EXPECT_EQ(t.sec, -1.0F);
}

struct Stamp {
  int year = 0, month = 0, day = 0, h = 0, m = 0;
  float sec = 0.0F;
};

int parseStamp(const std::string& s, Stamp& t) {
  return ConvertDateRaptor(s, t.year, t.month, t.day, t.h, t.m, t.sec);
}

TEST(AstroCameraStampTest, FullStamp) {
  Stamp t;
  EXPECT_EQ(parseStamp("05/10/2023 21:13:45.25", t), 0);
  EXPECT_EQ(t.day, 5);
  EXPECT_EQ(t.month, 10);
  EXPECT_EQ(t.year, 2023);
  EXPECT_EQ(t.h, 21);
  EXPECT_EQ(t.m, 13);
  EXPECT_EQ(t.sec, 45.25F);
  EXPECT_EQ(parseStamp("31/12/2023 23:59:4 9.5", t), 0);
  EXPECT_EQ(t.sec, 49.5F);
}

TEST(AstroCameraStampTest, DateWithoutTime) {
  Stamp t;
  t.h = 7;
  EXPECT_EQ(parseStamp("05/10/2023", t), 0);
  EXPECT_EQ(t.year, 2023);
  EXPECT_EQ(t.h, 7);  // no time part, the time stays
}

TEST(AstroCameraStampTest, TimeWithoutSlashedDate) {
  Stamp t;
  EXPECT_EQ(parseStamp("2023-10-05 21:13:45", t), 0);
  EXPECT_EQ(t.day, 0);  // the caller sees no date
  EXPECT_EQ(t.h, 21);
  EXPECT_EQ(t.sec, 45.0F);
}

TEST(AstroCameraStampTest, ShortAndGarbageTexts) {
  for (const char* s : {"", "0", "05", "05/", "05/1", "05/10/", "05/10/20", "05/10/23 21:13:45",
                        "garbage text here!!", "ab/10/2023 21:13:45", "05/13/2023 21:13:45",
                        "05/10/2023 xx:13:45", "05/10/2023 21:13:4x", "05/10/2023 21:1y:45"}) {
    Stamp t;
    EXPECT_EQ(parseStamp(s, t), -1) << s;
  }
}

TEST(AstroCameraStampTest, UnreadableTimeDoesNotInventADate) {
  Stamp t;
  // The date is read, but the time text has no ":" in third place.
  EXPECT_EQ(parseStamp("05/10/2023 21-13-45", t), 0);
  EXPECT_EQ(t.day, 5);
  EXPECT_EQ(t.h, 0);
}

TEST(DateTextTest, Integers) {
  EXPECT_EQ(getdateint(-1), "**");
  EXPECT_EQ(getdateint(0), "00");
  EXPECT_EQ(getdateint(5), "05");
  EXPECT_EQ(getdateint(10), "10");
  EXPECT_EQ(getdateint(2023), "2023");
}

TEST(DateTextTest, Seconds) {
  EXPECT_EQ(getdatefloat(-0.5), "**");
  EXPECT_EQ(getdatefloat(0.0), "00.000");
  EXPECT_EQ(getdatefloat(5.25), "05.250");
  EXPECT_EQ(getdatefloat(45.5), "45.500");
  EXPECT_EQ(getdatefloat(59.9994), "59.999");
  EXPECT_EQ(getdatefloat(9.9996), "10.000");  // rounded first: no "010.000"
  EXPECT_EQ(getdatefloat(123.4567), "123.457");
  EXPECT_EQ(getdatefloat(1234567.891), "1234570.000");  // six significant digits
}

TEST(DateTextTest, IsoDateTime) {
  EXPECT_EQ(GetDatetime(2023, 10, 5, 21, 13, 45.5F), "2023-10-05T21:13:45.500");
  EXPECT_EQ(GetDatetime(2023, 10, 5, 21, 13, 5.25F), "2023-10-05T21:13:05.250");
  EXPECT_EQ(GetDatetime(2000, 1, 1, 0, 0, 0.0F), "2000-01-01T00:00:00.000");
  EXPECT_EQ(GetDatetime(2023, 10, 5, 21, 13, 59.9994F), "2023-10-05T21:13:59.999");
}

TEST(DateTextTest, RoundedSecondsCarry) {
  EXPECT_EQ(GetDatetime(2023, 10, 5, 21, 13, 59.9996F), "2023-10-05T21:14:00.000");
  EXPECT_EQ(GetDatetime(2023, 10, 5, 21, 59, 59.9996F), "2023-10-05T22:00:00.000");
  EXPECT_EQ(GetDatetime(2023, 12, 31, 23, 59, 59.9996F), "2024-01-01T00:00:00.000");
  EXPECT_EQ(GetDatetime(2024, 2, 28, 23, 59, 59.9996F), "2024-02-29T00:00:00.000");
  EXPECT_EQ(GetDatetime(2023, 2, 28, 23, 59, 59.9996F), "2023-03-01T00:00:00.000");
  EXPECT_EQ(GetDatetime(2023, 10, 5, 21, 13, 60.0F), "2023-10-05T21:14:00.000");
}

TEST(DateTextTest, UnknownPartsShowStars) {
  EXPECT_EQ(GetDatetime(2023, 10, 5, 21, 13, -1.0F), "2023-10-05T21:13:**");
  EXPECT_EQ(GetDatetime(2023, -1, 5, 21, 13, 1.0F), "2023-**-05T21:13:01.000");
}

}  // namespace
}  // namespace vargaze
