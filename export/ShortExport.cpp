#include "export/ShortExport.h"

#include <algorithm>

#include "base/Numbers.h"
#include "base/TextFile.h"
#include "export/FullExportFormat.h"

namespace vargaze {

namespace {

bool roiNumbersValid(Series& series, const ShortExportFields& fields) {
  const std::int32_t count = series.roiWindow().count();
  const auto refuse = [&](std::int32_t n) {
    series.ui().showMessage(exportfmt::roiNumberRefusal(n, count));
    return false;
  };
  if (fields.ROIEdit1 < 1 || fields.ROIEdit1 > count) return refuse(fields.ROIEdit1);
  if (fields.ROIEdit2 < 0 || fields.ROIEdit2 > count) return refuse(fields.ROIEdit2);
  return true;
}

}  // namespace

void ShortExportDecimalGroupClick(ShortExportFields& fields, UiPort& ui) {
  if (exportfmt::decimalCommaOf(fields.DecimalGroup) &&
      exportfmt::delimiterOf(fields.DelimiterGroup) == ',') {
    ui.showMessage(std::string(exportfmt::kCommaConflictText));
    fields.DelimiterGroup = 1;
  }
}

std::vector<std::string> shortExportLines(Series& series, const ShortExportFields& fields) {
  const CurveArrays& curve = series.curve;
  const bool comma = exportfmt::decimalCommaOf(fields.DecimalGroup);
  const char delimiter = exportfmt::delimiterOf(fields.DelimiterGroup);
  const double offset = series.settings().JDCurveoffset;
  // Only the frames of the last completed run hold measurements.
  const std::size_t frames = std::min({static_cast<std::size_t>(std::max(curve.NumCurvePoints, 0)),
                                       series.filelist1.size(), curve.XTimes.size(),
                                       curve.AirmassArray.size()});
  const auto magText = [&](std::size_t frame, std::int32_t roi) {
    const float mag = curve.mag(frame, static_cast<std::size_t>(roi - 1));
    return exportfmt::numberText(formatFixed(static_cast<double>(mag), 3, 6), comma);
  };

  std::vector<std::string> lines;
  lines.reserve(frames);
  for (std::size_t i = 0; i < frames; ++i) {
    std::string line = exportfmt::numberText(formatFixed(curve.XTimes[i] + offset, 5, 13), comma);
    line += delimiter + magText(i, fields.ROIEdit1);
    if (fields.ROIEdit2 > 0) line += delimiter + magText(i, fields.ROIEdit2);
    if (fields.AirmassCheck) {
      line += delimiter + exportfmt::numberText(
                              formatFixed(static_cast<double>(curve.AirmassArray[i]), 2, 4), comma);
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

bool ShortExport(Series& series, const ShortExportFields& fields) {
  UiPort& ui = series.ui();
  if (series.roiWindow().ROIindex == 0 || series.curve.NumCurvePoints <= 0) {
    ui.showMessage("Keine Lichtkurven vorhanden.");
    return false;
  }
  if (fields.FilenameEdit.empty()) return false;
  if (!roiNumbersValid(series, fields)) return false;
  if (exportfmt::decimalCommaOf(fields.DecimalGroup) &&
      exportfmt::delimiterOf(fields.DelimiterGroup) == ',') {
    ui.showMessage(std::string(exportfmt::kCommaConflictText));
    return false;
  }
  std::string error;
  if (!saveTextFile(fields.FilenameEdit, shortExportLines(series, fields), error)) {
    ui.showMessage("Fehler beim Speichern der Datei " + fields.FilenameEdit);
    return false;
  }
  return true;
}

}  // namespace vargaze
