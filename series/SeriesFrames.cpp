// Loading and displaying the frames of a series.
#include <algorithm>
#include <cmath>

#include "base/Numbers.h"
#include "base/Strings.h"
#include "image/AutoContrast.h"
#include "image/BayerFrame.h"
#include "image/ColourFile.h"
#include "photometry/Tracking.h"
#include "series/Series.h"

namespace vargaze {

namespace {

// Scroll position of a level: the square law of the level bars, inverted.
std::int32_t scrollPosition(double level) {
  return std::clamp(roundToInt32(std::sqrt(std::max(level, 0.0)) * 1000.0), 0, 1000);
}

}  // namespace

double frameJulianDate(const Timgbuffer& img, const Settings& settings) {
  return settings.MiddletimeCorrection ? img.JDstart + 0.5 * img.Exposure / 86400.0
                                       : img.JDstart;
}

std::string jdPanelText(const Timgbuffer& img, const Settings& settings) {
  return std::string(settings.MiddletimeCorrection ? "JD(middle)=" : "JD(begin)=") +
         formatFixed(frameJulianDate(img, settings), settings.JDprecision, 15);
}

Series::Series(Settings& settings, UiPort& ui, RoiWindow& roiWindow)
    : img(std::make_unique<Timgbuffer>()), settings_(settings), ui_(ui), roiWindow_(roiWindow) {
  roiWindow_.roisRemoved = [this] { invalidateCurve(); };
  roiWindow_.setImage(img.get());
}

bool Series::readFrame(Timgbuffer& target, const std::string& filename,
                       Timgbuffer::PixelStore* reuse) {
  const std::string ext = upperExtension(filename);
  if (ext == ".BMP" || ext == ".PPM") {
    const bool read = ext == ".BMP" ? target.ReadBMPfile(filename, RGBcolornumber)
                                    : target.ReadPPMfile(filename, RGBcolornumber);
    // Their time is the file system's local clock: the camera's UT offset makes it UT.
    if (read) shiftFrameTimeToUT(target, settings_.UToffset / 24.0);
    return read;
  }
  if (ext == ".CR2") return readRawFrame(target, filename);
  if (!target.Readfitsfile(filename, reuse)) return false;
  if (target.colorimages > 1) {
    std::unique_ptr<Timgbuffer> plane;
    if (!target.Readcolorfits(RGBcolornumber, plane)) return false;
    target = std::move(*plane);
  }
  if (!target.bayerPattern.empty()) return extractBayerChannel(target, RGBcolornumber);
  return true;
}

void Series::applyPreprocessing(Timgbuffer& frame) {
  if (settings_.imgBinning > 1) frame.binning(settings_.imgBinning);
  if (controls.Flipcheck) frame.flipvertical();
  if (controls.Rot180Check) frame.rotate90(2);
}

bool Series::LoadImage(std::unique_ptr<Timgbuffer>& target, const std::string& filename,
                       Timgbuffer::PixelStore* reuse) {
  auto frame = std::make_unique<Timgbuffer>();
  loadError.clear();
  try {
    if (!readFrame(*frame, filename, reuse)) {
      loadError = frame->readError;
      return false;
    }
    applyPreprocessing(*frame);
    if (controls.FlatCheck) {
      // A frame that should be flat-corrected is never measured uncorrected.
      if (!flatimg || !frame->Flatcorrection(*flatimg)) {
        loadError = "flat correction not possible";
        return false;
      }
    }
  } catch (const std::exception& e) {
    loadError = e.what();  // a value that does not fit its pixel type
    return false;
  }
  if (frame->PixScale > 0.0) {
    settings_.ArcsecPerPixel = frame->PixScale;
    roiWindow_.PixelsizeEdit = formatFixed(frame->PixScale, 2, 5);
  }
  target = std::move(frame);
  return true;
}

void Series::Getlevels(std::int32_t& lower, std::int32_t& upper) {
  lowerlevel = std::pow(controls.LowerScrollBar / 1000.0, 2);
  upperlevel = std::pow(controls.Upperscrollbar / 1000.0, 2);
  const double full = img ? img->bufferMax : 0;
  lower = roundToInt32(full * lowerlevel);
  upper = roundToInt32(full * upperlevel);
  controls.LblLower = std::to_string(lower);
  controls.LblUpper = std::to_string(upper);
}

void Series::Setlevels(std::int32_t lower, std::int32_t upper) {
  const double full = img && img->bufferMax > 0 ? img->bufferMax : 1.0;
  lowerlevel = lower / full;
  upperlevel = upper / full;
  controls.LblLower = std::to_string(lower);
  controls.LblUpper = std::to_string(upper);
  controls.LowerScrollBar = scrollPosition(lowerlevel);
  controls.Upperscrollbar = scrollPosition(upperlevel);
}

void Series::showFrameInfo(const std::string& filename) {
  roiWindow_.FilePanel = filename;
  roiWindow_.JDPanel = jdPanelText(*img, settings_);
  roiWindow_.AirmassEdit = img->Airmass < 1.0 ? std::string() : formatFixed(img->Airmass, 2, 4);
  roiWindow_.ExposureEdit = formatFixed(img->Exposure, 3, 8);
}

bool Series::Display(const std::string& filename) {
  DisplayActive = true;
  if (!img || img->filename != filename || settings_.ConfigChanged) {
    // Loaded into a fresh buffer: a frame that fails leaves the one shown.
    std::unique_ptr<Timgbuffer> loaded;
    if (!LoadImage(loaded, filename)) {
      ui_.showMessage("Fehler beim Laden der Datei " + filename);
      DisplayActive = false;
      return false;
    }
    img = std::move(loaded);
    roiWindow_.setImage(img.get());
    settings_.ConfigChanged = false;
  } else {
    if (controls.Flipcheck != img->Flipped) img->flipvertical();
    if (controls.Rot180Check != (img->rotated == 2)) img->rotate90(2);
  }

  if (controls.AutocontrastCheck) {
    const TImgLevels levels = SetimgLevels(*img, controls.PlanetCheckBox);
    Setlevels(levels.lower, levels.upper);
    displayLower = levels.lower;
    displayUpper = levels.upper;
  } else {
    Getlevels(displayLower, displayUpper);
  }

  const std::size_t frame = static_cast<std::size_t>(std::max(Activeframe(), 1)) - 1;
  double sx = 0.0;
  double sy = 0.0;
  if (GetTrackstarShift(*img, imageWindow(), settings_.TrackingRange, sx, sy) &&
      frame < ShiftListX.size() && frame < ShiftlistY.size()) {
    ShiftListX[frame] = sx;
    ShiftlistY[frame] = sy;
  }
  if (frame < ShiftListX.size() && frame < ShiftlistY.size()) {
    imageWindow().Vx = ShiftListX[frame];
    imageWindow().Vy = ShiftlistY[frame];
  }
  // The filter handler runs when the frame's filter differs from the one
  // selected, so a user's reference magnitudes survive frames of one filter.
  if (settings_.AutoReadFilter && img->FilterType >= 0 && img->FilterType < kFilterCount &&
      img->FilterType != roiWindow_.FilterType) {
    roiWindow_.FilterComboboxChange(img->FilterType);
  }
  roiWindow_.UpdateROItable(0);
  showFrameInfo(filename);
  showImage();
  DisplayActive = false;
  return true;
}

}  // namespace vargaze
