// The two table shapes of the full export, read from the ROI list and from
// what the ROI window shows.
#include <string>

#include "export/FullExport.h"
#include "export/FullExportFormat.h"
#include "series/RunScope.h"

namespace vargaze {

namespace {

// Columns of the ROI window's table that the export reads.
constexpr int kMagColumn = 5;
constexpr int kSnrColumn = 7;
constexpr int kBvColumn = 8;
constexpr int kVColumn = 9;
constexpr int kRColumn = 10;

// The JD field's text after its first "=", at most 13 characters.
std::string jdText(const std::string& panel) {
  const std::size_t eq = panel.find('=');
  return eq == std::string::npos ? panel.substr(0, 13) : panel.substr(eq + 1, 13);
}

// The four count fields of a ROI.
void appendCounts(std::vector<std::string>& fields, const TRoi1& roi) {
  fields.push_back(std::to_string(roi.acounts));
  fields.push_back(std::to_string(roi.bcounts));
  fields.push_back(std::to_string(roi.net()));
  fields.push_back(std::to_string(roi.amaxcounts));
}

}  // namespace

void splitSnrCell(const std::string& cell, std::string& snr, std::string& error) {
  const std::size_t open = cell.find('(');
  if (open == std::string::npos) {
    snr = cell;
    error.clear();
    return;
  }
  error = cell.substr(open + 1, 5);
  // The text before the blank that precedes "(".
  snr = open >= 1 ? cell.substr(0, open - 1) : std::string();
}

FullExportTable fullExportCurrentFrame(Series& series, bool decimalComma) {
  const RoiWindow& win = series.roiWindow();
  FullExportTable table;
  table.heading = "Vargaze Ergebnisse " + win.FilePanel + win.JDPanel;
  table.titles = {"ROI",  "Name", "Counts(star)", "Counts(background)", "Star-Background",
                  "Max.counts", "Mag", "Comp", "B-V(Cat.)", "V(Cat.)", "R(Cat.)"};
  for (std::int32_t k = 1; k <= win.count(); ++k) {
    const TRoi1& roi = win.roi(k);
    std::string mag = win.table1.cell(k, kMagColumn);
    std::string comp;
    if (const std::size_t star = mag.find('*'); star != std::string::npos) {
      mag.erase(star, 1);
      comp = "comp";
    }
    std::vector<std::string> fields = {std::to_string(k), roi.Name};
    appendCounts(fields, roi);
    fields.push_back(exportfmt::numberText(mag, decimalComma));
    fields.push_back(comp);
    for (const int column : {kBvColumn, kVColumn, kRColumn}) {
      fields.push_back(exportfmt::numberText(win.table1.cell(k, column), decimalComma));
    }
    table.rows.push_back(std::move(fields));
  }
  return table;
}

FullExportTable fullExportSeries(Series& series, std::int32_t roiNumber, bool decimalComma) {
  RoiWindow& win = series.roiWindow();
  UiPort& ui = series.ui();
  FullExportTable table;
  table.heading = "Vargaze Ergebnisse für ROI" + std::to_string(roiNumber) + " " +
                  win.roi(roiNumber).Name;
  table.titles = {"JD",         "Filename", "Counts(star)", "Counts(background)", "Star-Background",
                  "Max.counts", "Mag",      "SNR",          "error",              "Airmass"};

  const RunScope scope(series, series.FramesLoaded, "Datenexport..", "Abbrechen");
  for (std::int32_t i = 1; i <= series.FramesLoaded; ++i) {
    // A frame that does not load keeps the previous frame's values in the
    // window; those must never be written under this frame.
    const bool shown = series.BlinkScrollBarChange(i);
    ui.processEvents();
    ui.progressStep();
    if (ui.cancelRequested()) {
      table.stopped = true;
      break;
    }
    if (!shown) {
      ++table.skippedFrames;
      continue;
    }
    std::string snr;
    std::string error;
    splitSnrCell(win.table1.cell(roiNumber, kSnrColumn), snr, error);
    std::vector<std::string> fields = {exportfmt::numberText(jdText(win.JDPanel), decimalComma),
                                       win.FilePanel};
    appendCounts(fields, win.roi(roiNumber));
    fields.push_back(exportfmt::numberText(win.table1.cell(roiNumber, kMagColumn), decimalComma));
    fields.push_back(exportfmt::numberText(snr, decimalComma));
    fields.push_back(exportfmt::numberText(error, decimalComma));
    fields.push_back(exportfmt::numberText(win.AirmassEdit, decimalComma));
    table.rows.push_back(std::move(fields));
  }
  return table;
}

}  // namespace vargaze
