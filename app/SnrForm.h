// The dialog "SNR Berechnung" of the extended signal-to-noise model: the
// telescope aperture, the site height, the airmass and how the frames were
// stacked. It works on the ROI window's model in place, as the table refresh
// reads it; "Use data" takes the typed fields over.
#pragma once

#include <cstdint>
#include <string>

#include "photometry/SignalNoise.h"
#include "photometry/SpinControl.h"

namespace vargaze {

class RoiWindow;

class SnrForm {
 public:
  static constexpr const char* kCaption = "SNR Berechnung";
  static constexpr const char* kHeading = "Szintillations-Rauschen und Stacking";
  static constexpr const char* kApertureLabel = "Teleskop-Öffnung in cm";
  static constexpr const char* kHeightLabel = "Höhe des Beobachtungsorts in m";
  static constexpr const char* kAirmassLabel = "Luftmasse";
  static constexpr const char* kScintillationCaption = "Szintillationsrauschen berechnen";
  static constexpr const char* kStackCountLabel = "Anzahl gestackter Bilder";
  static constexpr const char* kStackingCaption = "Stacking Methode";
  static constexpr const char* kStackingItems[2] = {"Summe", "Mittelwert"};
  static constexpr const char* kSingleExposureLabel = "Single exposure (s)";
  static constexpr const char* kTotalExposureCaption = "Exposure/N";
  static constexpr const char* kOkCaption = "Use data";
  static constexpr const char* kCancelCaption = "Cancel, don't use";

  explicit SnrForm(RoiWindow& win) : win_(win) {}

  // The model the dialog edits: the ROI window's.
  SnrModel& model();

  // ---- fields; the two check boxes are the model's `scintillation` and
  // `exposureIsTotal` ----
  std::string DTelEdit;       // aperture in cm
  std::string HlocationEdit;  // site height in m
  std::string AirmassEdit;
  bool AirmassReadOnly = false;  // filled from the ROI window
  SpinControl nstackEdit{1, 1, 99999};
  std::int32_t Stackinggroup = 0;  // 0 "Summe", 1 "Mittelwert"
  std::string AcqtimeEdit;         // exposure of one frame, for information

  // ---- handlers ----
  // Shown: the configured telescope and site the first time, then the
  // model's values; the airmass of the ROI window.
  void FormShow();
  void nstackEditChange(std::int32_t value);
  // Typing into the airmass field (only possible when it is not read-only).
  void AirmassEditChange(const std::string& text);
  // "Use data": false when the aperture or the height is not a number (it
  // is reported, the values read before it stay set, the dialog stays open).
  bool OKbuttonClick();

 private:
  void showSingleExposure();

  RoiWindow& win_;
};

// An airmass text as the scintillation reads it: not a number counts as no
// airmass (NaN), so no scintillation term is computed from it.
double airmassValue(const std::string& text);

}  // namespace vargaze
