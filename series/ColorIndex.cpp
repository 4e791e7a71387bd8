// The colour-index table run.
#include "series/ColorIndex.h"

#include "base/Numbers.h"
#include "base/TextFile.h"
#include "series/RunFile.h"
#include "series/RunScope.h"

namespace vargaze {

namespace {

constexpr const char* kPrintedFilters[] = {"B", "V", "R", "I"};  // codes 2..5

}  // namespace

BVRIArray::BVRIArray(std::size_t roiCount) {
  std::array<double, kLastCode - kFirstCode + 1> empty{};
  empty.fill(kNoValue);
  values_.assign(roiCount, empty);
}

void BVRIArray::store(std::int32_t filterType, std::size_t roi, double mag) {
  if (filterType < kFirstCode || filterType > kLastCode || roi >= values_.size()) return;
  values_[roi][static_cast<std::size_t>(filterType - kFirstCode)] = mag;
}

double BVRIArray::value(std::int32_t filterType, std::size_t roi) const {
  if (filterType < kFirstCode || filterType > kLastCode || roi >= values_.size()) return kNoValue;
  return values_[roi][static_cast<std::size_t>(filterType - kFirstCode)];
}

std::vector<std::string> BVRIArray::lines() const {
  std::vector<std::size_t> columns;
  std::string header = "Filt;";
  for (std::size_t c = 0; c < std::size(kPrintedFilters); ++c) {
    if (!values_.empty() && values_[0][c] < 99.0) {
      columns.push_back(c);
      header += std::string(kPrintedFilters[c]) + ";";
    }
  }
  std::vector<std::string> out = {header};
  for (std::size_t r = 0; r < values_.size(); ++r) {
    std::string line = std::to_string(r + 1) + ";";
    for (const std::size_t c : columns) line += formatFixed(values_[r][c], 3, 6) + ";";
    out.push_back(line);
  }
  return out;
}

bool BVRIanalyseClick(Series& series, const std::function<bool()>& saveProject) {
  RoiWindow& win = series.roiWindow();
  UiPort& ui = series.ui();
  if (series.runActive) return false;
  if (win.count() == 0) {
    ui.showMessage("Keine ROI definiert.");
    return false;
  }
  if (series.filelist1.size() < 2) {
    ui.showMessage("Farbindex-Tabelle erst ab 2 Bilddateien verfügbar.");
    return false;
  }
  if (series.ProjectFilename.empty() && saveProject) saveProject();
  if (series.ProjectFilename.empty()) return false;

  const std::size_t rois = win.ROIlist.size();
  BVRIArray table(rois);
  CurveArrays curve;  // the magnitudes measured, frame by frame
  series.controls.BlinkScrollBarPosition = 1;
  win.ResetROIposition();
  {
    RunScope scope(series);
    for (std::size_t i = 0; i < series.filelist1.size(); ++i) {
      series.Activeframe() = static_cast<std::int32_t>(i + 1);
      if (!series.Display(series.filelist1[i])) continue;  // reported by Display
      const Timgbuffer& frame = *series.img;
      std::vector<float> mags;
      for (std::size_t r = 0; r < rois; ++r) {
        mags.push_back(win.ROIlist[r].mag);
        table.store(frame.FilterType, r, win.ROIlist[r].mag);
      }
      const double time = frameJulianDate(frame, series.settings()) - series.settings().JDCurveoffset;
      curve.setFrame(i, time, static_cast<float>(frame.Airmass), mags);
      ui.processEvents();
    }
  }

  const std::string filename = curveFileName(series.ProjectFilename, series.settings());
  std::string error;
  const bool saved = saveTextFile(filename, table.lines(), error);
  if (!saved) ui.showMessage("Fehler beim Speichern der Datei " + filename);
  series.controls.BlinkScrollBarPosition = 1;
  series.Activeframe() = 1;
  series.Display(series.filelist1[0]);
  curve.NumCurvePoints = static_cast<std::int32_t>(series.filelist1.size());
  series.curve = std::move(curve);
  return saved;
}

}  // namespace vargaze
