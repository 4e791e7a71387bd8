// Signal-to-noise ratio and magnitude errors of the apertures: the basic CCD
// noise model and the extended one with stacking and scintillation.
#pragma once

#include <cstdint>
#include <string>

#include "photometry/Roi.h"

namespace vargaze {

struct Settings;

// The extended model ("SNR+") and its dialog's fields.
struct SnrModel {
  bool SNRspecial = false;       // extended model on
  std::int32_t Nstack = 1;       // frames stacked into each image (>= 1)
  std::int32_t Stackingtype = 0; // 0 summed ("Summe"), 1 averaged ("Mittelwert")
  double DScope_m = 0.2;         // telescope aperture in metres
  std::int32_t LocationHeight = 0;  // site height in metres
  double airmass = 1.0;          // airmass of the dialog's field
  bool scintillation = true;     // "Szintillationsrauschen berechnen"
  bool exposureIsTotal = true;   // "Exposure/N": the exposure is the total of N frames
};

// A new series starts with the extended model off and one summed frame per
// image; the telescope, the site and the check boxes stay as they were.
void ResetSNRform(SnrModel& model);

// Young's scintillation noise (relative flux) for an exposure of `time`
// seconds; `frameAirmass` is the image's airmass (used when >= 1).
double myoung(double time, const SnrModel& model, double frameAirmass);

// myoung of max(t, 0.1 * DScope_m); 0 when it cannot be computed.
double SigmaScint(double t, const SnrModel& model, double frameAirmass);

// The scintillation term of one table refresh (0 unless the extended model
// with scintillation is on).
double scintillationTerm(double exposure, const SnrModel& model, double frameAirmass);

// Rounded signal-to-noise ratio of a counted aperture. `exposure` is the
// frame's exposure in seconds (1 when unknown); `sigma` the scintillation term.
// 0 for no signal or no background pixels. Throws RangeError beyond 32 bits.
std::int32_t signalToNoise(const TRoi1& roi, double exposure, const Settings& settings,
                           const SnrModel& model, double sigma);

// Magnitude error of a target with signal-to-noise `sn`, given the sum of
// (1.0857 / SN)^2 over the comparison stars and their number.
double magnitudeError(std::int32_t sn, float compErrorSum, std::int32_t compCount);

}  // namespace vargaze
