#include "image/ColourFile.h"

#include <ctime>

#include "image/Astro.h"

namespace vargaze {

void markColourPlane(Timgbuffer& img, int color) {
  static constexpr const char* kNames[] = {"TR", "TG", "TB"};
  static constexpr std::int32_t kCodes[] = {8, 7, 6};
  const auto plane = static_cast<std::size_t>(color - 1);
  img.FilterName = kNames[plane];
  img.FilterType = kCodes[plane];
  img.OBSTYPE = "DSLR";
}

void setTimeFromFile(Timgbuffer& img, const FileTime& modified) {
  const auto seconds = static_cast<std::time_t>(modified.seconds);
  std::tm parts{};
  ::tzset();  // localtime_r alone may keep the zone of an earlier call
  if (localtime_r(&seconds, &parts) == nullptr) {
    img.JDstart = 0.0;
    img.Datetime = "date?";
    return;
  }
  const int year = parts.tm_year + 1900;
  const int month = parts.tm_mon + 1;
  const int day = parts.tm_mday;
  const int ms = static_cast<int>(modified.nanoseconds / 1'000'000);
  const double sec = parts.tm_sec + ms / 1000.0;
  img.JDstart = JD(day, month, year, parts.tm_hour + parts.tm_min / 60.0 + sec / 3600.0);
  img.Datetime =
      GetDatetime(year, month, day, parts.tm_hour, parts.tm_min, static_cast<float>(sec));
}

void shiftFrameTimeToUT(Timgbuffer& img, double UTcorrection) {
  if (img.JDstart == 0.0 || UTcorrection == 0.0) return;
  img.JDstart -= UTcorrection;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  float second = 0.0f;
  JDtoDate(img.JDstart, year, month, day, hour, minute, second);
  img.Datetime = GetDatetime(year, month, day, hour, minute, second);
  img.UpdateFitsHeader();
}

}  // namespace vargaze
