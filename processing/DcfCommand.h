// The two DCF77 commands of the "Photometrie" menu: "set DCF marker" arms
// the image window so that the next ROI placed becomes the fixed lamp marker;
// "get DCF time" steps through the BMP frames of the series and writes the
// pulse evaluation (see DcfPulses.h).
#pragma once

#include <optional>
#include <string>

#include "processing/DcfPulses.h"
#include "series/Series.h"

namespace vargaze {

// What the first status-bar panel shows while the marker is awaited.
inline constexpr const char* kDcfMarkerHint =
    "Bild mit DCF Signal auswählen und Position mit linker Maustaste markieren";

// "Load image first" without a loaded image (false); else DCF marking mode
// on (`DCFROI`): the front end shows the ROI window and kDcfMarkerHint.
bool setDCFmarker1Click(Series& series);

// Places the marker as the image window does in DCF marking mode, for front
// ends without a mouse: the star box around the 1-based pixel (lampX, lampY)
// of the frame on display, whose brightness there is the reference (so the
// lamp should be lit), and a separate sky box around (skyX, skyY). Marking
// mode is off afterwards. Returns the marker's ROI number; 0 with "Load image
// first" without an image.
std::int32_t placeDcfMarker(Series& series, std::int32_t lampX, std::int32_t lampY,
                            std::int32_t skyX, std::int32_t skyY);

// Evaluates the series with the last fixed ROI as the marker and writes the
// result file whole (an earlier file of that name stays until then).
// Messages, each ending the command with nothing written: "DCF Marker muss
// erst gesetzt werden!", "Kann Datei nicht laden" (a frame not named ".bmp"),
// "Kann BMP-Datei nicht laden", "Fehler beim Speichern der Datei " + name.
// Each frame is read as its green channel, flipped and turned as the series
// shows frames, measured with every ROI and left on display.
std::optional<DcfResult> getDCFtime1Click(Series& series, const std::string& resultfile);

}  // namespace vargaze
