// The export window "BAV/AAVSO Datenexport" as engine state: the header
// lines, the table of one row per frame and the window's choices, with the
// fill over the series, the colour transformation and the save.
//
// Typical use (GUI or command line):
//   ExportForm2 form(series);            // header from "exportfileheader.txt"
//   if (!form.BAVAAVSODatenexport1Click()) return;  // needs a frame and ROIs
//   form.ROIEdit1 = 1; form.ROIEdit2 = 5; form.DelimiterGroupClick(1);
//   form.FillButtonClick();              // walks every frame of the series
//   form.TransformButtonClick();         // optional, asks through the UiPort
//   auto findings = form.checkReport();  // what AAVSO would object to
//   form.SaveButtonClick("night.csv");
// Faults that end a command (a table cell that is not a number where one is
// needed) throw RangeError; refusals are shown through the UiPort.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "export/ReportCheck.h"
#include "series/Series.h"

namespace vargaze {

inline constexpr int kAavsoColumns = 15;
// Cells of columns 1..15 of the window's table, index 0 = column 1.
using AavsoRow = std::array<std::string, kAavsoColumns>;

// "Var name", "JD date", "mag", ... "Comment".
const AavsoRow& aavsoTitles();

// The items of the "Feld-Trennzeichen" group: ",", ";", "|".
inline constexpr int kDelimiterCount = 3;
char delimiterItem(int index);
// The item of a delimiter character; -1 when it is none of the three.
int delimiterIndexOf(char delimiter);

// Which magnitudes of the comparison and the check star are exported.
enum class CompCheckMags { Instrumental, Standardized };

enum class FillResult {
  Completed,  // every frame that loads has its row
  Stopped,    // STOP: the rows filled so far stay
  Refused,    // a field was refused; the table is as before (or cleared)
};

enum class TransformResult {
  NotPossible,  // the table does not hold a V row with a B or R row
  Refused,      // coefficients not set; the table is unchanged
  Declined,     // the user answered No; the table is unchanged
  Inserted,     // transformed values written, "YES" in "Htrans"
};

class ExportForm2 {
 public:
  // Window creation: the header template is read from `progdir` (created
  // there with the default header when missing).
  explicit ExportForm2(Series& series);
  ExportForm2(Series& series, const std::string& progdir);

  // ---- window state ----
  std::vector<std::string> ExportHeader;  // header lines as the user sees them
  std::vector<AavsoRow> rows;             // data rows 1..n
  std::int32_t ROIEdit1 = 1;              // variable star (1-based ROI number)
  std::int32_t ROIEdit2 = 2;              // check star
  std::string JDcorrEdit = "0.0";         // seconds added to every JD
  std::int32_t DelimiterIndex = 0;        // item of DelimiterGroup
  char delimiter = ',';                   // delimiter in use
  std::string OBSTYPEselect;              // "CCD", "DSLR" or "" (none selected)
  CompCheckMags Comp_check_mags = CompCheckMags::Instrumental;
  bool TransformButtonEnabled = false;
  bool StopButtonVisible = false;
  bool TableCleared = true;
  std::int32_t TopRow = 1;                // first table row in view while filling
  bool timesAtExposureStart = false;      // a filled row's JD is an exposure start

  // ---- commands ----
  // Main-window command: "kein Bild geladen" / "keine Sterne markiert", else
  // OBSTYPE from the frame and FormShow. False when refused.
  bool BAVAAVSODatenexport1Click();
  void FormShow();
  void OBSTYPEselectChange(const std::string& obstype);
  // Selects delimiter item 0..2 and rewrites the "#DELIM=" line.
  void DelimiterGroupClick(std::int32_t index);
  FillResult FillButtonClick();
  TransformResult TransformButtonClick();
  // Writes the file (replacing it only once it is complete). False with a
  // message when a cell holds the delimiter or the file cannot be written.
  bool SaveButtonClick(const std::string& filename);
  // Title row and one empty row, TransformButton off, TableCleared.
  void TableReset();

  // The project's name with ".csv", or "" without a project.
  std::string proposedFileName() const;
  // The lines SaveButtonClick writes, without the delimiter check.
  std::vector<std::string> fileLines() const;
  // The report check over the header (with the delimiter line applied) and
  // the rows.
  std::vector<Finding> checkReport();

 private:
  void fillRow(AavsoRow& row, double jdCorrSeconds);
  std::string instrumentalMag(std::int32_t roi) const;
  void enableTransform();

  Series& series_;
};

}  // namespace vargaze
