// Julian dates, calendar conversion and the date and time parsers for the
// texts found in FITS headers and camera files.
//
// Dates up to 4 October 1582 are Julian-calendar dates, later ones Gregorian.
// Parsers return 0 on success and -1 on failure; the fields a parser read
// before it failed keep their new values, the others stay unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vargaze {

inline constexpr double kMjdOffset = 2400000.5;  // JD = MJD + 2400000.5

// Modified Julian Date of a calendar date and a time of day in hours (UT).
double MJD(int day, int month, int year, double hour);
double JD(int day, int month, int year, double hour);

// Calendar date and hour of day of a Modified Julian Date.
void CALDAT(double mjd, int& day, int& month, int& year, double& hour);

// Calendar date and time of a Julian Date. Seconds are rounded to the
// millisecond with the carry taken into minutes, hours and days, so a time
// never reads 60 seconds or 60 minutes.
void JDtoDate(double jd, int& year, int& month, int& day, int& h, int& m, float& sec);

// "2023-10-05", "2023/10/05", "05/10/23" (two-digit year: 00-68 -> 20xx,
// 69-99 -> 19xx) and "05.10.2023". Month 1..12 and day 1..31 in every form.
int convertdate(std::string_view s, int& year, int& month, int& day);

// "21:13", "21:13:45", "21:13:45.25" (blanks inside the seconds ignored).
int converttime(std::string_view s, int& h, int& m, float& sec);

// Camera time stamps "dd/mm/yyyy hh:mm:ss.sss". Returns 0 when something was
// read, -1 otherwise.
int ConvertDateRaptor(std::string_view s, int& year, int& month, int& day, int& h, int& m,
                      float& sec);

// "**" for negative numbers, two digits below 10, else the decimal digits.
std::string getdateint(int n);
// "**" for negative seconds, "05.250" below 10, else "45.250" (3 decimals).
std::string getdatefloat(double r);
// "2023-10-05T21:13:45.500". Seconds that round to 60.000 carry into the
// minute (and further), so the text is always a valid time.
std::string GetDatetime(int year, int month, int day, int h, int m, float sec);

}  // namespace vargaze
