// The export window's header, delimiter, table and save.
#include "export/AavsoExport.h"

#include "base/Errors.h"
#include "base/TextFile.h"
#include "config/ProgramFolder.h"
#include "export/ExportHeader.h"

namespace vargaze {

namespace {

std::string joined(const AavsoRow& cells, char delimiter) {
  std::string line;
  for (std::size_t c = 0; c < cells.size(); ++c) {
    if (c > 0) line += delimiter;
    line += cells[c];
  }
  return line;
}

}  // namespace

const AavsoRow& aavsoTitles() {
  static const AavsoRow titles = {"Var name", "JD date", "mag",   "error",   "Filter",
                                  "Htrans",   "Htype",   "Cname", "Cmag",    "Kname",
                                  "Kmag",     "Airmass", "Group", "Chart",   "Comment"};
  return titles;
}

char delimiterItem(int index) {
  static constexpr char kItems[kDelimiterCount] = {',', ';', '|'};
  if (index < 0 || index >= kDelimiterCount) throw RangeError("delimiter item out of range");
  return kItems[index];
}

int delimiterIndexOf(char delimiter) {
  for (int i = 0; i < kDelimiterCount; ++i) {
    if (delimiterItem(i) == delimiter) return i;
  }
  return -1;
}

ExportForm2::ExportForm2(Series& series) : ExportForm2(series, findProgdir()) {}

ExportForm2::ExportForm2(Series& series, const std::string& progdir) : series_(series) {
  delimiter = delimiterItem(DelimiterIndex);
  ExportHeader = loadHeaderTemplate(progdir, series.settings(), delimiter, series.ui());
  TableReset();
}

bool ExportForm2::BAVAAVSODatenexport1Click() {
  if (!series_.imageLoaded || !series_.img) {
    series_.ui().showMessage("kein Bild geladen");
    return false;
  }
  if (series_.roiWindow().count() == 0) {
    series_.ui().showMessage("keine Sterne markiert");
    return false;
  }
  const std::string& obstype = series_.img->OBSTYPE;
  series_.settings().OBSTYPE = obstype.empty() ? "CCD" : obstype;
  FormShow();
  return true;
}

void ExportForm2::FormShow() {
  const Settings& settings = series_.settings();
  updateHeaderLines(ExportHeader, settings);
  std::int32_t var = 0;
  std::int32_t check = 0;
  if (TableCleared && series_.roiWindow().GetVarCheck(var, check)) {
    ROIEdit1 = var;
    ROIEdit2 = check;
  }
  const bool known = settings.OBSTYPE == "CCD" || settings.OBSTYPE == "DSLR";
  OBSTYPEselect = known ? settings.OBSTYPE : std::string();
}

void ExportForm2::OBSTYPEselectChange(const std::string& obstype) {
  OBSTYPEselect = obstype;
  setHeaderObstype(ExportHeader, obstype);
}

void ExportForm2::DelimiterGroupClick(std::int32_t index) {
  delimiter = delimiterItem(index);
  DelimiterIndex = index;
  setHeaderDelimiter(ExportHeader, delimiter);
}

void ExportForm2::TableReset() {
  rows.assign(1, AavsoRow{});
  TransformButtonEnabled = false;
  TableCleared = true;
  timesAtExposureStart = false;
}

std::string ExportForm2::proposedFileName() const {
  const std::string& project = series_.ProjectFilename;
  if (project.empty()) return {};
  const auto slash = project.find_last_of('/');
  const auto dot = project.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExtension ? project.substr(0, dot) : project) + ".csv";
}

std::vector<std::string> ExportForm2::fileLines() const {
  std::vector<std::string> lines = ExportHeader;
  lines.push_back("#" + joined(aavsoTitles(), delimiter));
  for (const AavsoRow& row : rows) lines.push_back(joined(row, delimiter));
  return lines;
}

std::vector<Finding> ExportForm2::checkReport() {
  DelimiterGroupClick(DelimiterIndex);
  std::vector<std::vector<std::string>> fields;
  for (const AavsoRow& row : rows) fields.emplace_back(row.begin(), row.end());
  return checkAavsoReport(ExportHeader, fields, delimiter, timesAtExposureStart);
}

bool ExportForm2::SaveButtonClick(const std::string& filename) {
  DelimiterGroupClick(DelimiterIndex);
  // Fields are written unquoted: a delimiter inside a cell would shift every
  // field after it.
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      if (rows[r][c].find(delimiter) == std::string::npos) continue;
      series_.ui().showMessage("Feld \"" + aavsoTitles()[c] + "\" in Zeile " +
                               std::to_string(r + 1) + " enthält das Trennzeichen \"" +
                               std::string(1, delimiter) + "\" - Datei nicht gespeichert.");
      return false;
    }
  }
  std::string error;
  if (!saveTextFile(filename, fileLines(), error)) {
    series_.ui().showMessage("Fehler beim Speichern der Datei " + filename + "\n" + error);
    return false;
  }
  return true;
}

}  // namespace vargaze
