// "Bild speichern": the current image as a FITS file, with its current header.
#pragma once

#include <string>

#include "series/Series.h"

namespace vargaze {

// Writes the current image under `filename` (the front end asks for it).
// "Kein Bild geladen" without an image. A file of the series or the image's
// own file is never overwritten: such a name is refused with a message.
// A failed write reports "Fehler beim Speichern der Datei " + name and leaves
// any earlier file of that name as it was. True when the file was written.
bool Saveimage1Click(Series& series, const std::string& filename);

// True when `filename` names a frame of the series or the file of the image
// on display (also through another spelling of the same path).
bool isSeriesFile(const Series& series, const std::string& filename);

}  // namespace vargaze
