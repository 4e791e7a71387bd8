// The fill: every frame of the series is shown in turn and its row is read
// from what the ROI window then shows.
#include <algorithm>
#include <cmath>

#include "base/Numbers.h"
#include "base/Strings.h"
#include "export/AavsoCells.h"
#include "export/AavsoExport.h"
#include "photometry/Magnitude.h"
#include "series/RunScope.h"

namespace vargaze {

namespace {

constexpr int kMagColumn = 5;    // ROI table "Mag"
constexpr int kNetColumn = 3;    // ROI table "A-B"
constexpr int kErrorColumn = 7;  // ROI table "S/N (error)"
constexpr std::size_t kJdLength = 13;

// Hides the STOP button again however the fill ends.
class StopButtonShown {
 public:
  StopButtonShown(bool& visible, bool show) : visible_(visible) { visible_ = show; }
  ~StopButtonShown() { visible_ = false; }
  StopButtonShown(const StopButtonShown&) = delete;
  StopButtonShown& operator=(const StopButtonShown&) = delete;

 private:
  bool& visible_;
};

std::string orNa(const std::string& text) { return text.empty() ? "na" : text; }

}  // namespace

std::string ExportForm2::instrumentalMag(std::int32_t roi) const {
  const RoiWindow& win = series_.roiWindow();
  const double counts =
      cellNumber(win.table1.cell(roi, kNetColumn), "A-B von ROI " + std::to_string(roi));
  double exposure = cellNumber(win.ExposureEdit, "Belichtungszeit");
  if (exposure <= 0.0) exposure = 1.0;  // an unknown exposure must not divide by 0
  return formatFixed(static_cast<double>(-2.5L * log1(counts / exposure)), 3, 6);
}

void ExportForm2::fillRow(AavsoRow& row, double jdCorrSeconds) {
  const RoiWindow& win = series_.roiWindow();
  row[0] = win.roi(ROIEdit1).Name;

  const std::string& panel = win.JDPanel;
  const auto equals = panel.find('=');
  const std::string jdText = equals == std::string::npos ? std::string() : panel.substr(equals + 1);
  row[1] = jdText.substr(0, kJdLength);
  double jd = 0.0;
  if (jdCorrSeconds != 0.0 && tryParseDouble(jdText, jd)) {
    row[1] = formatGeneral(jd + jdCorrSeconds / 86400.0).substr(0, kJdLength);
  }
  // Exposure starts, unless the correction moved them to mid-exposure (to the second).
  const double halfExposure = 0.5 * series_.img->Exposure;
  if (panel.rfind("JD(begin)", 0) == 0 && std::fabs(jdCorrSeconds - halfExposure) > 1.0) {
    timesAtExposureStart = true;
  }

  row[2] = win.table1.cell(ROIEdit1, kMagColumn);
  const std::string& snText = win.table1.cell(ROIEdit1, kErrorColumn);
  const auto paren = snText.find('(');
  row[3] = paren == std::string::npos ? "na" : snText.substr(paren + 1, 5);
  row[4] = filterItemName(win.FilterType);
  row[5] = "NO";
  row[6] = "STD";

  std::int32_t comp = 0;
  const std::int32_t comps = win.GetCompstar(comp);
  if (comps == 1) {
    row[7] = win.roi(comp).Name;
    if (Comp_check_mags == CompCheckMags::Instrumental) {
      row[8] = instrumentalMag(comp);
    } else {
      const std::string& mag = win.table1.cell(comp, kMagColumn);
      const auto star = mag.find('*');
      row[8] = star == std::string::npos ? std::string() : mag.substr(0, star);
    }
  } else if (comps >= 2) {
    row[7] = "ENSEMBLE";
    row[8] = "na";
  } else {
    row[7] = " ";
    row[8] = " ";
  }

  row[9] = win.roi(ROIEdit2).Name;
  row[10] = Comp_check_mags == CompCheckMags::Instrumental ? instrumentalMag(ROIEdit2)
                                                          : win.table1.cell(ROIEdit2, kMagColumn);
  row[11] = orNa(win.AirmassEdit);
  row[12] = "na";
  row[13] = orNa(win.AAVSOchartEdit);
  row[14] = "na";

}

FillResult ExportForm2::FillButtonClick() {
  RoiWindow& win = series_.roiWindow();
  UiPort& ui = series_.ui();
  if (series_.runActive) return FillResult::Refused;
  double jdCorrSeconds = 0.0;
  if (!tryParseDouble(Trim(JDcorrEdit), jdCorrSeconds)) {
    ui.showMessage("JD corr. in sec inkorrekt!");
    return FillResult::Refused;
  }
  if (ROIEdit1 < 1 || ROIEdit1 > win.count()) {
    ui.showMessage("ROI Nr. (Variabler) nicht vorhanden!");
    return FillResult::Refused;
  }
  if (ROIEdit2 < 1 || ROIEdit2 > win.count()) {
    ui.showMessage("ROI Nr. (Kontrollstern) nicht vorhanden!");
    return FillResult::Refused;
  }
  // A check star that is also a comparison star (alone or in the ensemble)
  // checks nothing.
  std::int32_t comp = 0;
  const std::int32_t comps = win.GetCompstar(comp);
  if ((comps == 1 && comp == ROIEdit2) || (comps >= 1 && win.roi(ROIEdit2).ref)) {
    ui.showMessage("Kontrollstern = Vergleichsstern!");
    TableReset();
    return FillResult::Refused;
  }

  TransformButtonEnabled = false;
  timesAtExposureStart = false;
  rows.clear();
  TopRow = 1;
  win.startCommand();
  {
    StopButtonShown stop(StopButtonVisible, series_.FramesLoaded > 5);
    RunScope scope(series_);
    for (std::int32_t i = 1; i <= series_.FramesLoaded; ++i) {
      const bool shown = series_.BlinkScrollBarChange(i);
      ui.processEvents();
      if (ui.cancelRequested()) return FillResult::Stopped;
      // A frame that does not load has no row: the ROI window still shows
      // the frame before it.
      if (!shown) continue;
      AavsoRow row;
      fillRow(row, jdCorrSeconds);
      rows.push_back(std::move(row));
      const auto filled = static_cast<std::int32_t>(rows.size());
      if (filled > 10) TopRow = filled - 10;
    }
  }
  enableTransform();
  TableCleared = false;
  return FillResult::Completed;
}

void ExportForm2::enableTransform() {
  const auto filterCount = [this](const char* filter) {
    return std::count_if(rows.begin(), rows.end(),
                         [filter](const AavsoRow& row) { return row[4] == filter; });
  };
  TransformButtonEnabled = (series_.FramesLoaded == 2 || series_.FramesLoaded == 3) &&
                           !rows.empty() && rows[0][7] != "ENSEMBLE" && filterCount("V") == 1 &&
                           (filterCount("B") == 1 || filterCount("R") == 1);
}

}  // namespace vargaze
