// ROI files, the star information of project files and the results table.
//
// A ROI file (".roi") is a sequence of 28-byte little-endian records, one
// per ROI, with no header:
//   offset  0  int32  x0a  start column of the star box (-1: fixed ROI)
//   offset  4  int32  y0a  start row of the star box
//   offset  8  int32  x0b  start column of the background box (== x0a in ring mode)
//   offset 12  int32  y0b  start row of the background box
//   offset 16  int32  d    star box size
//   offset 20  byte   ref  1 comparison star, 0 not
//   offset 21  3 bytes padding, written 0 and ignored on reading
//   offset 24  float  rmag reference magnitude (IEEE single), 0 = none
// Names, catalogue magnitudes, ring sizes, the chart identifier and the track
// star live in the project file (".vgp") of the same name.
//
// File names always come from the caller; the GUI runs the file dialogs.
#pragma once

#include <cstdint>
#include <string>

namespace vargaze {

class RoiWindow;
struct CompTypeState;

inline constexpr std::int64_t kRoiRecordSize = 28;
// A larger file is not a ROI file; it is refused before anything is read.
inline constexpr std::int64_t kMaxRoiFileRecords = 100'000;

// Writes the start positions, sizes, comparison flags and reference
// magnitudes of all ROIs, replacing the file only when all was written.
// "Keine ROI definiert" and false without ROIs; false with a message when the
// file cannot be written.
bool SaveROI(RoiWindow& win, const std::string& filename);

// Replaces all ROIs by those of the file. With `askFirst` and existing ROIs
// the user confirms first ("Vorhandene ROIs werden gelöscht; sind Sie
// sicher?"); anything but Yes gives false and changes nothing. A file that
// cannot be read or is too large changes nothing either. Each record's size
// is clamped to the star-size control's limits and set there, so all ROIs
// end with the last record's size. A damaged record or a torn end is
// reported; the whole records before it stay loaded and the result is false.
// The track star is reset; the ".vgp" file of the same path, when there is
// one, supplies the star information (see LoadStarinfos). No table refresh:
// the caller refreshes.
bool LoadROI(RoiWindow& win, const std::string& filename, bool askFirst = true,
             CompTypeState* compType = nullptr);

// Reads the sections "[ROIfile]" (names), "[BVRI]" (catalogue magnitudes),
// "[compstars]" (chart identifier), "[ROIcenter]" (ring sizes) and
// "[Tracking]" (track star) of a project file into the existing ROIs and the
// ROI window. Numbers may use "," or "." as decimal separator. A comparison
// star of known magnitude sets `compType` (when given) to "standardisiert".
// False when the file cannot be read (nothing changes) or when a field that
// is not a number stopped the reading (reported; what was read stays).
bool LoadStarinfos(RoiWindow& win, const std::string& projectfilename,
                   CompTypeState* compType = nullptr);

// Writes the results text file: "Vargaze results for " + image title, the
// column line, then per ROI "N;net;max;mag;S/N;refmag;filter" (the
// magnitude only when known and S/N >= 3, else a blank). False with a message
// when the file cannot be written.
bool SaveROITable(RoiWindow& win, const std::string& filename);

}  // namespace vargaze
