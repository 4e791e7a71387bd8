#include "photometry/SignalNoise.h"

#include <cmath>

#include "base/Errors.h"
#include "base/Numbers.h"
#include "config/Settings.h"

namespace vargaze {

void ResetSNRform(SnrModel& model) {
  model.SNRspecial = false;
  model.Stackingtype = 0;
  model.Nstack = 1;
}

double myoung(double time, const SnrModel& model, double frameAirmass) {
  const double airmass = frameAirmass >= 1.0 ? frameAirmass : model.airmass;
  return 0.003952847075 * std::pow(model.DScope_m, -2.0 / 3.0) * std::pow(airmass, 1.5) *
         std::exp(-model.LocationHeight / 8000.0) * std::sqrt(1.0 / time);
}

double SigmaScint(double t, const SnrModel& model, double frameAirmass) {
  if (!(model.DScope_m > 0.0)) return 0.0;
  const double tk = 0.1 * model.DScope_m;
  const double sigma = myoung(t > tk ? t : tk, model, frameAirmass);
  return std::isfinite(sigma) && sigma > 0.0 ? sigma : 0.0;
}

double scintillationTerm(double exposure, const SnrModel& model, double frameAirmass) {
  if (!model.SNRspecial || !model.scintillation) return 0.0;
  const double frames = model.Nstack >= 1 ? model.Nstack : 1;
  return SigmaScint(model.exposureIsTotal ? exposure / frames : exposure, model, frameAirmass);
}

std::int32_t signalToNoise(const TRoi1& roi, double exposure, const Settings& settings,
                           const SnrModel& model, double sigma) {
  using Real = long double;
  if (roi.acounts <= 0 || roi.npixb <= 0 || roi.npixa <= 0) return 0;
  const Real gain = settings.ElectronsPerCount > 0 ? settings.ElectronsPerCount : 2.0;
  const Real readNoise = settings.ReadnoiseElectrons;
  const Real frames = model.Nstack >= 1 ? model.Nstack : 1;
  const bool summed = model.SNRspecial && model.Stackingtype == 0;
  const bool averaged = model.SNRspecial && model.Stackingtype != 0;
  const Real A = static_cast<Real>(roi.acounts);
  const Real B = static_cast<Real>(roi.bcounts);
  const Real a = roi.npixa;
  const Real b = roi.npixb;

  const Real variance = readNoise * readNoise * (summed ? frames : 1) + B * gain / b +
                        static_cast<Real>(settings.DarkElectronsPerSec) * exposure;
  const Real radicand = variance * (1 + a / b) * a + A * gain;
  if (!(radicand > 0)) return 0;
  const Real noise = std::sqrt(radicand);
  Real signal = (A - B) * gain;
  if (averaged) signal *= std::sqrt(frames);
  std::int32_t sn = roundToInt32(static_cast<double>(signal / noise));
  if (model.SNRspecial && sigma > 0 && sn >= 1) {
    const Real inverse = Real{1} / sn;
    sn = roundToInt32(static_cast<double>(1 / std::sqrt(inverse * inverse + sigma * sigma / frames)));
  }
  return sn;
}

double magnitudeError(std::int32_t sn, float compErrorSum, std::int32_t compCount) {
  const double inverse = 1.0 / sn;
  return 1.086 * std::sqrt(inverse * inverse + static_cast<double>(compErrorSum) / compCount);
}

}  // namespace vargaze
