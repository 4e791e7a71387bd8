#include "config/SettingLimits.h"

#include <string>

#include "base/Numbers.h"

namespace vargaze {

int zoomEntryIndex(double zoomFactor) {
  const double percent = roundHalfEven(zoomFactor * 100.0);
  // Far outside every entry (or not a number): no text to compare.
  if (!(percent >= 0.0 && percent <= 1000.0)) return -1;
  const std::string text = std::to_string(static_cast<int>(percent)) + "%";
  for (std::size_t i = 0; i < settingLimits::ZoomEntries.size(); ++i) {
    if (settingLimits::ZoomEntries[i] == text) return static_cast<int>(i);
  }
  return -1;
}

double usableZoomFactor(double zoomFactor) {
  const int entry = zoomEntryIndex(zoomFactor);
  return entry < 0 ? 1.0 : settingLimits::ZoomFactors[static_cast<std::size_t>(entry)];
}

bool isExportDelimiterChoice(char c) {
  return c != '\0' && settingLimits::ExportDelimiters.find(c) != std::string_view::npos;
}

}  // namespace vargaze
