// "Background Subtraktion": every frame of the series loses the sky plane
// fitted through its ROIs' background levels and is written, with a pedestal
// of 100 counts, as a new numbered FITS file.
#pragma once

#include <cstdint>
#include <string>

#include "series/Series.h"

namespace vargaze {

inline constexpr std::int64_t kBackgroundPedestal = 100;

// Processes frames 1..FramesLoaded: each is loaded from disk, its ROIs are
// measured, the plane is fitted and removed, and the result is written as
// numberedName(targetName, i, frameNumberDigits(FramesLoaded)). The series'
// image then holds the last result under its output name.
//
// Refused with a message, nothing written: "Kein Bild geladen" (also
// without a series), "Kein
// Background definiert." (no ROI), an output name that is a frame of the
// series ("Zieldatei gehört zur Serie: NAME"). Ended with a message, the
// files written so far kept: "zu wenig Messpunkte" (fewer than 4 samples in a
// frame), a frame that does not load, "Fehler beim Speichern der Datei NAME".
// An empty target (dialog cancelled), a run in progress or the user's cancel
// end it silently. True when every frame was written.
bool Backgroundsubtraction1Click(Series& series, const std::string& targetName);

// After an image was re-levelled: lower contrast bar to 0, the image's new
// maximum, new display levels.
void showRelevelledImage(Series& series);

}  // namespace vargaze
