// Background subtraction over the series with numbered output files.
#include "processing/Background.h"

#include <vector>

#include "processing/NumberedOutput.h"
#include "processing/PlaneFit.h"
#include "series/RunScope.h"

namespace vargaze {

namespace {

bool preconditionsMet(Series& series) {
  if (!series.imageLoaded || series.FramesLoaded < 1 || !series.img || !series.img->hasImage()) {
    series.ui().showMessage("Kein Bild geladen");
    return false;
  }
  if (series.roiWindow().count() == 0) {
    series.ui().showMessage("Kein Background definiert.");
    return false;
  }
  return true;
}

std::vector<std::string> outputNames(const std::string& target, std::int32_t frames) {
  const int digits = frameNumberDigits(frames);
  std::vector<std::string> names;
  for (std::int32_t i = 1; i <= frames; ++i) names.push_back(numberedName(target, i, digits));
  return names;
}

// Frame i from disk, measured: an image processed earlier under the frame's
// own name (line removal) must not be taken for the frame.
bool loadFrame(Series& series, std::int32_t i) {
  if (series.img) series.img->filename.clear();
  return series.BlinkScrollBarChange(i);
}

}  // namespace

void showRelevelledImage(Series& series) {
  series.controls.LowerScrollBar = 0;
  series.img->getmaxpixel();
  series.Getlevels(series.displayLower, series.displayUpper);
}

bool Backgroundsubtraction1Click(Series& series, const std::string& targetName) {
  if (series.runActive || !preconditionsMet(series) || targetName.empty()) return false;
  const std::vector<std::string> outputs = outputNames(targetName, series.FramesLoaded);
  if (const auto clash = outputThatIsAFrame(outputs, series.filelist1)) {
    series.ui().showMessage("Zieldatei gehört zur Serie: " + *clash);
    return false;
  }

  RunScope scope(series, series.FramesLoaded, "Background Subtraktion..", "Abbrechen");
  UiPort& ui = series.ui();
  series.Activeframe() = 1;
  series.roiWindow().ResetROIposition();
  for (std::int32_t i = 1; i <= series.FramesLoaded; ++i) {
    ui.processEvents();
    if (ui.cancelRequested()) return false;
    if (!loadFrame(series, i)) return false;  // Display has reported it
    const auto plane = fitPlane(backgroundSamples(series.roiWindow().ROIlist));
    if (!plane) {
      ui.showMessage("zu wenig Messpunkte");
      return false;
    }
    Timgbuffer& img = *series.img;
    removePlane(img, *plane, kBackgroundPedestal);
    showRelevelledImage(series);
    const std::string& out = outputs[static_cast<std::size_t>(i - 1)];
    std::string error;
    if (!img.Writefitsfile(out, error)) {
      ui.showMessage("Fehler beim Speichern der Datei " + out);
      return false;
    }
    img.filename = out;  // what is shown now is the written file, not frame i
    ui.progressStep();
  }
  return true;
}

}  // namespace vargaze
