// The short export ("Datenexport (kurz)"): the measured light curve from the
// curve arrays as a delimited text file without a title line. Per frame the
// full Julian Date, the magnitude of one or two ROIs and optionally the
// airmass. The decimal comma is applied to the written texts only; no
// program-wide number setting is ever touched.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "series/Series.h"

namespace vargaze {

// The fields of the options window "Daten Export".
struct ShortExportFields {
  std::int32_t ROIEdit1 = 1;        // ROI whose magnitude is field 2
  std::int32_t ROIEdit2 = 0;        // ROI of field 3; 0 = none
  bool AirmassCheck = false;        // field 4: the airmass
  std::int32_t DecimalGroup = 0;    // 0 ".", 1 ","
  std::int32_t DelimiterGroup = 0;  // 0 ",", 1 ";", 2 "|"
  // Target file. The front end fills it from its save dialog when the user
  // left it empty; an empty name (dialog cancelled) stops without a message.
  std::string FilenameEdit;
};

// The window's decimal choice was clicked: a decimal comma with the comma as
// field delimiter shows "Feld-Trennzeichen darf nicht Komma sein!" and
// switches the delimiter to the semicolon.
void ShortExportDecimalGroupClick(ShortExportFields& fields, UiPort& ui);

// The lines of the file (without line ends): one per measured frame, that is
// min(NumCurvePoints, frames of the series) lines. The fields must have
// passed the checks of ShortExport.
std::vector<std::string> shortExportLines(Series& series, const ShortExportFields& fields);

// Runs the export: "Keine Lichtkurven vorhanden." without ROIs or curve; ROI
// numbers beyond the ROI list and a comma both as decimal and as field
// separator are refused; the file is replaced atomically, and a failed save
// says so and leaves the previous file intact. True when the file was written.
bool ShortExport(Series& series, const ShortExportFields& fields);

}  // namespace vargaze
