#include "app/SnrForm.h"

#include <cmath>
#include <limits>

#include "base/Errors.h"
#include "base/Numbers.h"
#include "base/Strings.h"
#include "photometry/RoiWindow.h"

namespace vargaze {

namespace {

// Reads a field as a number; reports it and gives false when it is none.
bool readNumber(UiPort& ui, const std::string& text, double& value) {
  if (tryParseDouble(Trim(text), value)) return true;
  ui.showMessage("'" + Trim(text) + "' ist kein gültiger Gleitkommawert");
  return false;
}

}  // namespace

double airmassValue(const std::string& text) {
  double value = 0.0;
  return tryParseDouble(Trim(text), value) ? value : std::numeric_limits<double>::quiet_NaN();
}

SnrModel& SnrForm::model() { return win_.snr; }

void SnrForm::FormShow() {
  SnrModel& snr = win_.snr;
  const Settings& settings = win_.settings();
  if (settings.DefaultLocationHeight >= 0 && HlocationEdit.empty()) {
    HlocationEdit = std::to_string(settings.DefaultLocationHeight);
    snr.LocationHeight = settings.DefaultLocationHeight;
  }
  if (settings.Dscope_cm > 0 && DTelEdit.empty()) {
    DTelEdit = std::to_string(settings.Dscope_cm);
    snr.DScope_m = settings.Dscope_cm / 100.0;
  }
  if (snr.DScope_m == 0.0) snr.DScope_m = 0.2;
  AirmassEdit = win_.AirmassEdit;
  AirmassReadOnly = !AirmassEdit.empty();
  if (AirmassReadOnly) snr.airmass = airmassValue(AirmassEdit);
  DTelEdit = std::to_string(roundToInt32(snr.DScope_m * 100.0));
  HlocationEdit = std::to_string(snr.LocationHeight);
  nstackEdit.set(snr.Nstack);
  Stackinggroup = snr.Stackingtype;
  AcqtimeEdit = win_.ExposureEdit;
  snr.Nstack = nstackEdit.value;
  showSingleExposure();
}

void SnrForm::nstackEditChange(std::int32_t value) {
  nstackEdit.set(value);
  win_.snr.Nstack = nstackEdit.value;
  showSingleExposure();
}

void SnrForm::showSingleExposure() {
  const SnrModel& snr = win_.snr;
  double exposure = 0.0;
  if (snr.Nstack <= 0 || !snr.exposureIsTotal) return;
  if (!readNumber(win_.ui(), win_.ExposureEdit, exposure)) return;
  AcqtimeEdit = formatFixed(exposure / snr.Nstack, 3, 8);
}

void SnrForm::AirmassEditChange(const std::string& text) {
  AirmassEdit = text;
  win_.snr.airmass = airmassValue(text);
}

bool SnrForm::OKbuttonClick() {
  SnrModel& snr = win_.snr;
  double aperture = 0.0;
  double height = 0.0;
  if (!readNumber(win_.ui(), DTelEdit, aperture)) return false;
  snr.DScope_m = aperture / 100.0;
  if (!readNumber(win_.ui(), HlocationEdit, height)) return false;
  try {
    snr.LocationHeight = roundToInt32(height);
  } catch (const RangeError& e) {
    win_.ui().showMessage(e.what());
    return false;
  }
  snr.Nstack = nstackEdit.value;
  snr.Stackingtype = Stackinggroup;
  return true;
}

}  // namespace vargaze
