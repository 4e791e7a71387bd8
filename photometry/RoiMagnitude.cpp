// Zero point and magnitudes: calibrated with comparison stars of known
// magnitude, differential against one of unknown magnitude, instrumental
// without any.
#include "base/Numbers.h"
#include "photometry/Magnitude.h"
#include "photometry/RoiWindow.h"

namespace vargaze {

namespace {

constexpr std::int64_t kMinComparisonSignal = 100;
constexpr std::int64_t kMinSignal = 11;

// A comparison star enters the zero point only with a measured background and
// a usable signal; the magnitude errors use the same stars.
bool usableComparison(const TRoi1& r) {
  return r.ref && !r.isFixed() && r.npixb > 0 && r.net() >= kMinComparisonSignal;
}

}  // namespace

float RoiWindow::getmag(TRoi1& target, std::int32_t& refstarerror) {
  refstarerror = 0;
  Magcal = 0.0f;
  const double t = exposure();
  const auto signal = [&](std::int64_t m) {
    return settings_.InstmagCorr ? m / static_cast<long double>(t) : static_cast<long double>(m);
  };

  std::int32_t nref = 0;
  Diffmag = false;
  for (const TRoi1& r : ROIlist) {
    if (!r.ref || r.isFixed()) continue;
    ++nref;
    if (r.rmag == 0.0f) Diffmag = true;
  }
  InstrMag = nref == 0;

  std::int32_t usable = 0;
  for (const TRoi1& r : ROIlist) {
    if (!r.ref || r.isFixed()) continue;
    if (!usableComparison(r)) {
      main_.Blinkmode = false;
      ++refstarerror;
      continue;
    }
    Magcal = static_cast<float>(Magcal + 2.5L * log1(signal(r.net())) + r.rmag);
    ++usable;
  }
  if (usable == 0) {
    Magcal = 0.0f;
    Diffmag = true;
    InstrMag = true;
  } else {
    Magcal = static_cast<float>(static_cast<long double>(Magcal) / usable);
  }
  MagCalEdit = formatFixed(Magcal, 2, 5);

  const std::int64_t m = target.net();
  if (m < kMinSignal || target.npixb <= 0) {
    target.mag = kNoMagnitude;
    return kNoMagnitude;
  }
  const long double zero = target.isFixed() ? -static_cast<long double>(target.rmag) : Magcal;
  target.mag = static_cast<float>(zero - 2.5L * log1(signal(m)));
  return target.mag;
}

bool isUsableComparison(const TRoi1& r) { return usableComparison(r); }

}  // namespace vargaze
