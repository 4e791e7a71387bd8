// The display controls of the main window's top panel: level bars, gamma,
// invert, planet, zoom, blink, and the hidden single-image command.
#include <algorithm>

#include "config/SettingLimits.h"
#include "series/Series.h"

namespace vargaze {

namespace {

constexpr std::int32_t kGammaItems = 7;  // "1.0" .. "4.0"

}  // namespace

void Series::PlanetCheckBoxClick(bool checked) {
  controls.PlanetCheckBox = checked;
  if (controls.AutocontrastCheck) AutocontrastCheckClick(true);
}

void Series::InvertCheckBoxClick(bool checked) {
  controls.InvertCheckBox = checked;
  if (FramesLoaded > 0) {
    BlinkScrollBarChange(controls.BlinkScrollBarPosition);
  }
  // The palette changed even when no series frame is shown (a single image).
  showImage();
}

void Series::GammaComboBoxChange(std::int32_t index) {
  controls.GammaIndex = std::clamp(index, 0, kGammaItems - 1);
  if (!img) return;
  Getlevels(displayLower, displayUpper);
  showImage();
}

void Series::ZoomfactorComboboxChange(std::int32_t index) {
  if (index < 0 || index >= static_cast<std::int32_t>(settingLimits::ZoomFactors.size())) return;
  controls.ZoomIndex = index;
  settings_.ZoomFactor = settingLimits::ZoomFactors[static_cast<std::size_t>(index)];
  if (!imageLoaded) return;
  if (FramesLoaded > 0) {
    BlinkScrollBarChange(Activeframe());
  } else {
    showImage();
  }
}

void Series::LowerScrollBarChange(std::int32_t position) {
  controls.LowerScrollBar = std::clamp(position, 0, 1000);
  if (!img) return;
  Getlevels(displayLower, displayUpper);
  showImage();
}

void Series::UpperscrollbarChange(std::int32_t position) {
  controls.Upperscrollbar = std::clamp(position, 0, 1000);
  controls.AutocontrastCheck = false;
  controls.PlanetCheckBoxEnabled = false;
  if (!img) return;
  Getlevels(displayLower, displayUpper);
  showImage();
}

void Series::BlinkBoxClick(bool checked) {
  controls.BlinkBox = checked;
  flags().Blinkmode = checked;
  BlinkTimerEnabled = checked;
}

bool Series::Load1Click(const std::string& filename) {
  if (runActive) return false;
  if (!LoadImage(img, filename)) {
    ui_.showMessage("Datei kann nicht geladen werden");
    return false;
  }
  roiWindow_.setImage(img.get());
  imageWindow().Vx = 0.0;  // a new image window
  imageWindow().Vy = 0.0;
  Getlevels(displayLower, displayUpper);
  showImage();
  imageLoaded = true;
  if (roiWindow_.count() > 0) roiWindow_.ROIchanged = true;
  ProjectFilename.clear();
  return true;
}

}  // namespace vargaze
