// The raw converter's camera information, one labelled line per value:
//
//   Filename: /photos/IMG_0001.CR2
//   Timestamp: Sat Dec  5 13:33:08 2026
//   Camera: Canon EOS 350D DIGITAL
//   ISO speed: 400
//   Shutter: 1/250.0 sec
//
// Each value starts at a fixed column, right behind its label. The camera
// clock runs on local time; the caller's offset turns it into UT.
#include <cmath>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/Numbers.h"
#include "base/Strings.h"
#include "base/TextFile.h"
#include "image/Astro.h"
#include "image/Imgbuffer.h"

namespace vargaze {

namespace {

// The converter writes a few hundred bytes; anything much larger is not its report.
constexpr std::uintmax_t kMaxInfoFileBytes = 1 << 20;

// Text from the 1-based column to the end of the line; empty for a shorter line.
std::string_view fromColumn(std::string_view line, std::size_t column) {
  return column - 1 < line.size() ? line.substr(column - 1) : std::string_view{};
}

// At most n UTF-8 characters, never cutting one in half.
std::string firstCharacters(std::string_view text, std::size_t n) {
  std::size_t end = 0;
  std::size_t count = 0;
  while (end < text.size()) {
    if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80 && count++ == n) break;
    ++end;
  }
  return std::string(text.substr(0, end));
}

// "1/250.0" -> 0.004, "30.0" -> 30; 0 for anything that is not a number.
double parseExposure(std::string_view text) {
  const std::string_view::size_type slash = text.find('/');
  double value = 0.0;
  if (slash == std::string_view::npos) {
    if (!tryParseDouble(Trim(text), value)) return 0.0;
  } else {
    double numerator = 0.0;
    double denominator = 0.0;
    if (!tryParseDouble(Trim(text.substr(0, slash)), numerator) ||
        !tryParseDouble(Trim(text.substr(slash + 1)), denominator) || denominator == 0.0) {
      return 0.0;
    }
    value = numerator / denominator;
  }
  return std::isfinite(value) ? value : 0.0;
}

// Digits only, within lo..hi.
bool readNumber(std::string_view text, int lo, int hi, int& value) {
  if (text.empty() || text.size() > 4) return false;
  int v = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v < lo || v > hi) return false;
  value = v;
  return true;
}

int monthNumber(std::string_view name) {
  static constexpr std::string_view kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (int i = 0; i < 12; ++i) {
    if (name == kMonths[i]) return i + 1;
  }
  return 0;
}

// "Sat Dec  5 13:33:08 2026" as a Julian Date of the camera's clock; false
// when any part is missing or not a number in its range.
bool cameraTimeToJD(std::string_view stamp, double& jd) {
  const int month = monthNumber(extractword(2, stamp, " "));
  const std::string time = extractword(4, stamp, " ");
  int day = 0, year = 0, h = 0, m = 0, s = 0;
  if (month == 0 || !readNumber(extractword(3, stamp, " "), 1, 31, day) ||
      !readNumber(extractword(5, stamp, " "), 1, 9999, year)) {
    return false;
  }
  const auto c1 = time.find(':');
  const auto c2 = c1 == std::string::npos ? c1 : time.find(':', c1 + 1);
  if (c2 == std::string::npos || time.find(':', c2 + 1) != std::string::npos) return false;
  if (!readNumber(std::string_view(time).substr(0, c1), 0, 23, h) ||
      !readNumber(std::string_view(time).substr(c1 + 1, c2 - c1 - 1), 0, 59, m) ||
      !readNumber(std::string_view(time).substr(c2 + 1), 0, 59, s)) {
    return false;
  }
  jd = JD(day, month, year, h + m / 60.0 + s / 3600.0);
  return true;
}

// "2026-12-05T12:33:08": the date and time of a Julian Date to the whole second.
std::string datetimeToSecond(double jd) {
  int year = 0, month = 0, day = 0, h = 0, m = 0;
  float sec = 0.0f;
  JDtoDate(jd, year, month, day, h, m, sec);
  // GetDatetime carries a rounded 60 into the minute; its seconds then read
  // "ss.000", and the decimals are dropped.
  const std::string text =
      GetDatetime(year, month, day, h, m, static_cast<float>(roundHalfEven(sec)));
  return text.substr(0, text.size() - 4);
}

}  // namespace

bool Timgbuffer::SetRawInfo(const std::string& infofilename, double UTcorrection) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(infofilename, ec) ||
      std::filesystem::file_size(infofilename, ec) > kMaxInfoFileBytes || ec) {
    return false;
  }
  std::vector<std::string> lines;
  std::string error;
  if (!readTextLines(infofilename, lines, error)) return false;

  std::string stamp;
  std::string shutter;
  for (const std::string& line : lines) {
    const std::string_view text(line);
    if (text.find("Filename:") != std::string_view::npos) filename = fromColumn(text, 11);
    if (text.find("Timestamp:") != std::string_view::npos) stamp = fromColumn(text, 12);
    if (text.find("Camera:") != std::string_view::npos) {
      Instrument = firstCharacters(fromColumn(text, 9), 40);
    }
    if (text.find("Shutter:") != std::string_view::npos) {
      const std::string_view value = fromColumn(text, 10);
      shutter = value.substr(0, value.find(" sec"));
    }
    if (text.find("ISO speed:") != std::string_view::npos) {
      ISOspeed = firstCharacters(fromColumn(text, 12), 6);
    }
  }

  Exposure = parseExposure(shutter);
  double cameraJD = 0.0;
  if (cameraTimeToJD(stamp, cameraJD) && std::isfinite(UTcorrection)) {
    JDstart = cameraJD - UTcorrection;
    Datetime = datetimeToSecond(JDstart);
  } else {
    JDstart = 0.0;
    Datetime = "date?";
  }
  UpdateFitsHeader();
  return true;
}

}  // namespace vargaze
