// The full export's checks and its save.
#include "export/FullExport.h"

#include "base/TextFile.h"
#include "export/FullExportFormat.h"

namespace vargaze {

namespace {

constexpr const char* kNoFilenameText = "Bitte Dateiname ausfüllen";

}  // namespace

bool checkFullExport(Series& series, const FullExportFields& fields) {
  UiPort& ui = series.ui();
  if (fields.FilenameEdit.empty()) {
    ui.showMessage(kNoFilenameText);
    return false;
  }
  const std::int32_t count = series.roiWindow().count();
  if (fields.ROInumEdit < 0 || fields.ROInumEdit > count) {
    ui.showMessage(exportfmt::roiNumberRefusal(fields.ROInumEdit, count));
    return false;
  }
  if (exportfmt::decimalCommaOf(fields.DecimalGroup) &&
      exportfmt::delimiterOf(fields.DelimiterGroup) == ',') {
    ui.showMessage(std::string(exportfmt::kCommaConflictText));
    return false;
  }
  return true;
}

bool saveFullExport(UiPort& ui, const FullExportFields& fields, const FullExportTable& table) {
  if (fields.FilenameEdit.empty()) {
    ui.showMessage(kNoFilenameText);
    return false;
  }
  const char delimiter = exportfmt::delimiterOf(fields.DelimiterGroup);
  std::vector<std::string> lines = {table.heading, exportfmt::joinFields(table.titles, delimiter)};
  for (const std::vector<std::string>& row : table.rows) {
    const auto lineNumber = static_cast<std::int32_t>(lines.size()) + 1;
    const std::string conflict =
        exportfmt::delimiterConflict(row, table.titles, lineNumber, delimiter);
    if (!conflict.empty()) {
      ui.showMessage(conflict);
      return false;
    }
    lines.push_back(exportfmt::joinFields(row, delimiter));
  }
  std::string error;
  if (!saveTextFile(fields.FilenameEdit, lines, error)) {
    ui.showMessage("Fehler");
    return false;
  }
  return true;
}

bool FullExportSave(Series& series, const FullExportFields& fields) {
  if (!checkFullExport(series, fields)) return false;
  const bool decimalComma = exportfmt::decimalCommaOf(fields.DecimalGroup);
  const FullExportTable table = fields.ROInumEdit == 0
                                    ? fullExportCurrentFrame(series, decimalComma)
                                    : fullExportSeries(series, fields.ROInumEdit, decimalComma);
  return saveFullExport(series.ui(), fields, table);
}

}  // namespace vargaze
