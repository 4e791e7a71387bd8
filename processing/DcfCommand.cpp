#include "processing/DcfCommand.h"

#include <filesystem>
#include <memory>

#include "base/TextFile.h"

namespace vargaze {

namespace {

constexpr int kGreenChannel = 2;

// Number of the last fixed ROI, 0 when there is none.
std::int32_t markerNumber(const RoiWindow& window) {
  for (std::int32_t i = window.count(); i >= 1; --i) {
    if (window.roi(i).isFixed()) return i;
  }
  return 0;
}

// Shows one frame read as its green channel; false with the message when it
// cannot be read.
bool showBmpFrame(Series& series, const std::string& file, std::int32_t frame) {
  UiPort& ui = series.ui();
  // Only BMP recordings are evaluated, and only by that exact extension.
  if (std::filesystem::path(file).extension() != ".bmp") {
    ui.showMessage("Kann Datei nicht laden");
    return false;
  }
  auto img = std::make_unique<Timgbuffer>();
  if (!img->ReadBMPfile(file, kGreenChannel)) {
    ui.showMessage("Kann BMP-Datei nicht laden");
    return false;
  }
  if (series.controls.Flipcheck) img->flipvertical();
  if (series.controls.Rot180Check) img->rotate90(2);
  series.img = std::move(img);
  series.roiWindow().setImage(series.img.get());
  series.Activeframe() = frame;
  series.Getlevels(series.displayLower, series.displayUpper);
  series.roiWindow().UpdateROItable(0);
  series.imageLoaded = true;
  return true;
}

}  // namespace

bool setDCFmarker1Click(Series& series) {
  if (!series.imageLoaded) {
    series.ui().showMessage("Load image first");
    return false;
  }
  series.flags().DCFROI = true;
  return true;
}

std::int32_t placeDcfMarker(Series& series, std::int32_t lampX, std::int32_t lampY,
                            std::int32_t skyX, std::int32_t skyY) {
  if (!setDCFmarker1Click(series)) return 0;
  RoiWindow& window = series.roiWindow();
  const std::int32_t marker = window.Newroi(lampX - 1, lampY - 1);
  series.flags().DCFROI = false;
  window.BGROI1(marker, skyX - 1, skyY - 1);
  return marker;
}

std::optional<DcfResult> getDCFtime1Click(Series& series, const std::string& resultfile) {
  UiPort& ui = series.ui();
  const std::int32_t marker = markerNumber(series.roiWindow());
  if (marker == 0) {
    ui.showMessage("DCF Marker muss erst gesetzt werden!");
    return std::nullopt;
  }
  DcfCollector collector;
  const std::vector<std::string> files = series.filelist1;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const auto frame = static_cast<std::int32_t>(i + 1);
    if (!showBmpFrame(series, files[i], frame)) return std::nullopt;
    const TRoi1& lamp = series.roiWindow().roi(marker);
    if (lamp.mag < kDcfLampOnBelow) collector.addLampFrame(frame, lamp.net());
    ui.processEvents();
  }
  DcfResult result = evaluateDcf(std::move(collector.DCFlist));
  std::string error;
  if (!saveTextFile(resultfile, dcfResultLines(result), error)) {
    ui.showMessage("Fehler beim Speichern der Datei " + resultfile);
    return std::nullopt;
  }
  return result;
}

}  // namespace vargaze
