#include "image/Astro.h"

#include <cmath>

#include "base/Errors.h"
#include "base/Numbers.h"
#include "base/Strings.h"

namespace vargaze {

namespace {

constexpr std::int64_t kMsPerMinute = 60000;
constexpr std::int64_t kMsPerDay = 86400000;

// An integral double as int; out of range is a fault, as everywhere else.
int toInt(double value) {
  if (!(value >= -2147483648.0 && value <= 2147483647.0)) {
    throw RangeError("date out of range: " + formatGeneral(value));
  }
  return static_cast<int>(value);
}

// Characters first..first+count-1 (1-based); shorter or empty at the end of s.
std::string_view part(std::string_view s, std::size_t first, std::size_t count) {
  if (first > s.size()) return {};
  return s.substr(first - 1, count);
}

// 1-based character of s, or 0 beyond its end.
char at(std::string_view s, std::size_t pos) { return pos <= s.size() ? s[pos - 1] : '\0'; }

bool readInt(std::string_view text, int& value) {
  std::int32_t v = 0;
  if (!tryParseInt32(text, v)) return false;
  value = v;
  return true;
}

// Reads a field and stores it only when it parses and lies in lo..hi.
bool readField(std::string_view text, int lo, int hi, int& field) {
  int v = 0;
  if (!readInt(text, v) || v < lo || v > hi) return false;
  field = v;
  return true;
}

// Seconds text: blanks removed, a floating-point number that fits a float.
bool readSeconds(std::string_view text, float& sec) {
  double v = 0.0;
  if (!tryParseDouble(RemoveBlanks(text), v) || std::fabs(v) > 3.0e38) return false;
  sec = static_cast<float>(v);
  return true;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Moves a calendar date by whole days through the Julian Date, so month and
// year ends and the 1582 calendar change come out right.
void addDays(int& day, int& month, int& year, std::int64_t days) {
  double hour = 0.0;
  CALDAT(MJD(day, month, year, 12.0) + static_cast<double>(days), day, month, year, hour);
}

}  // namespace

double MJD(int day, int month, int year, double hour) {
  const double a = 10000.0 * year + 100.0 * month + day;
  double y = year;
  double mo = month;
  if (month <= 2) {
    mo += 12;
    y -= 1;
  }
  double b = 0.0;
  if (a <= 15821004.1) {
    b = std::trunc((y + 4716) / 4) - 1181;
  } else {
    b = std::trunc(y / 400) - std::trunc(y / 100) + std::trunc(y / 4);
  }
  return 365.0 * y - 679004.0 + b + std::trunc(30.6001 * (mo + 1)) + day + hour / 24;
}

double JD(int day, int month, int year, double hour) {
  return MJD(day, month, year, hour) + kMjdOffset;
}

void CALDAT(double mjd, int& day, int& month, int& year, double& hour) {
  const double jd = mjd + kMjdOffset;
  const double jd0 = std::trunc(jd + 0.5);
  double c = 0.0;
  if (jd0 < 2299161.0) {
    c = jd0 + 1524.0;
  } else {
    const double b = std::trunc((jd0 - 1867216.25) / 36524.25);
    c = jd0 + (b - std::trunc(b / 4)) + 1525.0;
  }
  const double d = std::trunc((c - 122.1) / 365.25);
  const double e = 365.0 * d + std::trunc(d / 4);
  const double f = std::trunc((c - e) / 30.6001);
  day = toInt(std::trunc(c - e + 0.5) - std::trunc(30.6001 * f));
  month = toInt(f - 1 - 12 * std::trunc(f / 14));
  year = toInt(d - 4715 - std::trunc((7.0 + month) / 10));
  hour = 24.0 * (jd + 0.5 - jd0);
}

void JDtoDate(double jd, int& year, int& month, int& day, int& h, int& m, float& sec) {
  double hour = 0.0;
  CALDAT(jd - kMjdOffset, day, month, year, hour);
  // Rounding the whole time of day to the millisecond before splitting it
  // keeps 23:59:59.9996 from reading as 23:59:60.000.
  std::int64_t ms = roundToInt64(hour * 3600000.0);
  const std::int64_t days = ms >= 0 ? ms / kMsPerDay : -((kMsPerDay - 1 - ms) / kMsPerDay);
  if (days != 0) {
    addDays(day, month, year, days);
    ms -= days * kMsPerDay;
  }
  h = static_cast<int>(ms / 3600000);
  m = static_cast<int>(ms / kMsPerMinute % 60);
  sec = static_cast<float>(static_cast<double>(ms % kMsPerMinute) / 1000.0);
}

int convertdate(std::string_view s, int& year, int& month, int& day) {
  if (s.size() < 8) return -1;
  if (at(s, 5) == '-' || at(s, 5) == '/') {
    if (!readInt(part(s, 1, 4), year)) return -1;
    if (!readField(part(s, 6, 2), 1, 12, month)) return -1;
    if (!readField(part(s, 9, 2), 1, 31, day)) return -1;
    return 0;
  }
  if (at(s, 3) == '/') {
    if (!readField(part(s, 1, 2), 1, 31, day)) return -1;
    if (!readField(part(s, 4, 2), 1, 12, month)) return -1;
    // A four-digit year ("05/10/2023") is taken whole rather than cut to "20".
    if (isDigit(at(s, 9)) && isDigit(at(s, 10))) return readInt(part(s, 7, 4), year) ? 0 : -1;
    int yy = 0;
    if (!readField(part(s, 7, 2), 0, 99, yy)) return -1;
    year = yy <= 68 ? 2000 + yy : 1900 + yy;
    return 0;
  }
  if (at(s, 3) == '.') {
    if (s.size() < 10) return -1;
    if (!readField(part(s, 1, 2), 1, 31, day)) return -1;
    if (!readField(part(s, 4, 2), 1, 12, month)) return -1;
    if (!readInt(part(s, 7, 4), year)) return -1;
    return 0;
  }
  return -1;
}

int converttime(std::string_view s, int& h, int& m, float& sec) {
  if (s.size() < 5 || at(s, 3) != ':') return -1;
  if (!readInt(part(s, 1, 2), h)) return -1;
  if (!readInt(part(s, 4, 2), m)) return -1;
  if (s.size() == 5) {
    sec = 0.0F;
    return 0;
  }
  if (at(s, 6) != ':') return -1;
  return readSeconds(s.substr(6), sec) ? 0 : -1;
}

int ConvertDateRaptor(std::string_view s, int& year, int& month, int& day, int& h, int& m,
                      float& sec) {
  bool read = false;
  if (at(s, 3) == '/') {
    if (!readField(part(s, 1, 2), 1, 31, day)) return -1;
    if (!readField(part(s, 4, 2), 1, 12, month)) return -1;
    // The camera writes four-digit years; "23" would be the year 23.
    const std::string_view yearText = part(s, 7, 4);
    if (yearText.size() < 4 || !readInt(yearText, year)) return -1;
    read = true;
  }
  // From 19 characters on the time text has at least 8, so the seconds
  // field is always there when the sixth character is ":".
  if (s.size() >= 19) {
    const std::string_view time = s.substr(11);
    if (at(time, 3) == ':') {
      if (!readInt(part(time, 1, 2), h)) return -1;
      if (!readInt(part(time, 4, 2), m)) return -1;
      if (at(time, 6) == ':' && !readSeconds(time.substr(6), sec)) return -1;
      read = true;
    }
  }
  return read ? 0 : -1;
}

std::string getdateint(int n) {
  if (n < 0) return "**";
  if (n < 10) return "0" + std::to_string(n);
  return std::to_string(n);
}

std::string getdatefloat(double r) {
  if (r < 0) return "**";
  // Decided on the rounded text, so 9.9996 gives "10.000", not "010.000".
  std::string text = formatFixed(r, 3, r < 10 ? 15 : 6);
  if (text.find('.') == 1) text.insert(0, "0");
  return text;
}

std::string GetDatetime(int year, int month, int day, int h, int m, float sec) {
  double seconds = sec;
  // Seconds rounded to the millisecond carry into the minute, hour and day.
  if (seconds >= 0 && seconds < 1e6 && m >= 0 && h >= 0) {
    std::int64_t ms = roundToInt64(seconds * 1000.0);
    std::int64_t minute = m + ms / kMsPerMinute;
    ms %= kMsPerMinute;
    std::int64_t hour = h + minute / 60;
    minute %= 60;
    if (hour >= 24) {
      addDays(day, month, year, hour / 24);
      hour %= 24;
    }
    h = static_cast<int>(hour);
    m = static_cast<int>(minute);
    seconds = static_cast<double>(ms) / 1000.0;
  }
  return std::to_string(year) + "-" + getdateint(month) + "-" + getdateint(day) + "T" +
         getdateint(h) + ":" + getdateint(m) + ":" + getdatefloat(seconds);
}

}  // namespace vargaze
