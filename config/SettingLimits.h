// The values each setting may take: the ranges and choices of the setup
// dialog's controls. Values read from the configuration file are brought into
// them (ConfigOptions.cpp), and the dialog uses the same limits for its
// controls, so the file can never hold a setting the dialog could not show.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

namespace vargaze {

struct IntRange {
  std::int32_t min;
  std::int32_t max;
  constexpr std::int32_t clamp(std::int32_t value) const { return std::clamp(value, min, max); }
  constexpr bool contains(std::int32_t value) const { return value >= min && value <= max; }
};

namespace settingLimits {

// Spin boxes: a value outside is moved to the nearest end.
inline constexpr IntRange imgBinning{1, 3};               // "process with binning (nxn)"
inline constexpr IntRange DefaultROIsize{5, 99};          // "default star aperture (n x n)"
inline constexpr IntRange DefaultBGinnerSize{5, 99};      // "default inner sky aperture (n x n)"
inline constexpr IntRange DefaultBGoutersize{7, 150};     // "default outer sky aperture (n x n)"
inline constexpr IntRange TrackingRange{10, 999};         // "Tracking range (+-pixels)"
inline constexpr IntRange UToffset{-12, 12};              // "UT offset (hours) for DSLR raw data"
inline constexpr IntRange AutocurveRefreshSec{1, 9999};   // "Autocurve refresh (s)"
inline constexpr IntRange JDprecision{4, 8};              // "JD precision"
// No control of the dialog: the main window size, kept to what a screen can show.
inline constexpr IntRange WindowSize{100, 16384};
inline constexpr IntRange WindowPosition{-1, 16384};

// Lists: a value that is not one of the choices takes the setting's default.
inline constexpr IntRange StandardFilter{0, 8};  // item index of the filter list "CV" .. "TR"
// "Center method": 0 = "Max. Pixel", 1 = "Centroid". Any value other than 1
// means the brightest pixel, so it reads as 0.
inline constexpr std::uint8_t CentroidMode = 1;
inline constexpr std::array<double, 6> ZoomFactors{1.5, 1.0, 0.7, 0.5, 0.35, 0.25};
inline constexpr std::array<std::string_view, 6> ZoomEntries{"150%", "100%", "70%",
                                                              "50%",  "35%",  "25%"};
inline constexpr std::string_view ExportDelimiters = ",;|";  // "Feld-Trennzeichen"

}  // namespace settingLimits

// The entry of the zoom list whose text is the rounded zoom × 100 followed by
// "%": 0.7 gives 2 ("70%"); -1 when no entry has that text.
int zoomEntryIndex(double zoomFactor);

// The zoom factor of a value read from the file: the factor of its zoom list
// entry, or 1.0 when it matches none.
double usableZoomFactor(double zoomFactor);

// True for the three delimiter choices "," ";" "|".
bool isExportDelimiterChoice(char c);

}  // namespace vargaze
