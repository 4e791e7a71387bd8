#include "app/ProcessingCommands.h"

#include "app/Application.h"
#include "app/MainWindow.h"
#include "processing/Background.h"
#include "processing/DcfCommand.h"
#include "processing/ImageSave.h"

namespace vargaze {

namespace {

// The engine checks again after the dialog; checking first spares the user
// a file dialog for a command that cannot run.
bool imageOnDisplay(Application& app) {
  const Series& series = app.series;
  if (series.imageLoaded && series.img && series.img->hasImage()) return true;
  app.ui().showMessage("Kein Bild geladen");
  return false;
}

}  // namespace

bool backgroundSubtraction(Application& app, const ChooseFileName& chooseTarget) {
  if (app.series.FramesLoaded < 1) {
    app.ui().showMessage("Kein Bild geladen");
    return false;
  }
  if (!imageOnDisplay(app)) return false;
  if (app.roiWindow.count() == 0) {
    app.ui().showMessage("Kein Background definiert.");
    return false;
  }
  const std::string target = chooseTarget();
  return !target.empty() && Backgroundsubtraction1Click(app.series, target);
}

bool saveImage(Application& app, const ChooseFileName& chooseName) {
  if (!imageOnDisplay(app)) return false;
  const std::string name = chooseName();
  return !name.empty() && Saveimage1Click(app.series, name);
}

std::optional<JpegExportResult> jpegExport(Application& app, const ChooseFileName& chooseName) {
  if (app.series.FramesLoaded == 0) return std::nullopt;
  const std::string name = chooseName();
  if (name.empty()) return std::nullopt;
  return JPGexport(app.series, name);
}

RawToFitsResult rawToFits(Application& app, const std::vector<std::string>& chosen,
                          const std::function<std::uint8_t()>& chooseChannel) {
  const RawToFitsResult result = RawtoFitskonvertieren1Click(app.series, chosen, chooseChannel);
  // The engine took the selection's folder as the start folder.
  if (!chosen.empty()) app.writeConfiguration();
  if (result.listReplaced) {
    if (app.exportWindowExists()) app.exportWindow().TableReset();
    // The frame shown belonged to the old list.
    app.imageView.ShowImage();
  }
  return result;
}

bool setDcfMarker(Application& app, MainWindowModel& main) {
  if (!setDCFmarker1Click(app.series)) return false;
  main.roiWindowShown = true;
  main.statusPanel0 = kDcfMarkerHint;
  return true;
}

}  // namespace vargaze
