// The full results export ("Datenexport (komplett)"): the raw measurement
// values of the ROIs as a delimited text file, either one line per ROI for
// the frame on display (ROI number 0) or one line per frame of the series for
// one ROI (ROI number n, every frame loaded, measured and shown in turn).
// Counts come from the ROI list, everything else as the ROI window shows it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "series/Series.h"

namespace vargaze {

// The fields of the export window.
struct FullExportFields {
  std::string FilenameEdit;        // target file
  std::int32_t ROInumEdit = 0;     // 0: all ROIs of the frame shown; n: ROI n over the series
  std::int32_t DelimiterGroup = 0; // 0 ",", 1 ";", 2 "|"
  std::int32_t DecimalGroup = 0;   // 0 ".", 1 ",": applied to the number fields
};

// The file before it is written: the heading line, the column titles and one
// list of fields per line.
struct FullExportTable {
  std::string heading;
  std::vector<std::string> titles;
  std::vector<std::vector<std::string>> rows;
  bool stopped = false;            // the walk was stopped: the frames done so far
  std::int32_t skippedFrames = 0;  // frames that did not load and are left out
};

// The two parts of an "S/N (error)" cell "85 (0.013)": signal-to-noise text
// and the five characters after "("; without "(" the whole cell and "".
void splitSnrCell(const std::string& cell, std::string& snr, std::string& error);

// Checks made before anything is measured: a file name, a ROI number within
// the ROI list (0 allowed), no comma both as decimal and as field separator.
// Shows the refusal and returns false.
bool checkFullExport(Series& series, const FullExportFields& fields);

// The table for the frame on display (ROI number 0).
FullExportTable fullExportCurrentFrame(Series& series, bool decimalComma);
// The table for ROI `roiNumber` over the series: each frame selected in turn
// as by the frame slider (loaded, measured, shown). Frames that fail to load
// are skipped; ui.cancelRequested() after a frame's events ends the walk
// with the frames done so far.
FullExportTable fullExportSeries(Series& series, std::int32_t roiNumber, bool decimalComma);

// Writes the table to fields.FilenameEdit through an atomic save, so a failed
// save leaves the previous file intact. A field holding the delimiter is
// refused, naming the cell; a file that cannot be written gives "Fehler".
bool saveFullExport(UiPort& ui, const FullExportFields& fields, const FullExportTable& table);

// The window's "Save" button: checks, table, save. True when the file was
// written (the window then closes with OK); false leaves the window open.
bool FullExportSave(Series& series, const FullExportFields& fields);

}  // namespace vargaze
