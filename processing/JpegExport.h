// "Bildserie als JPG exportieren": every frame of the series, as the image
// window shows it (levels, gamma, grey palette, inversion, orientation), as a
// numbered JPEG file of quality 90.
#pragma once

#include <cstdint>
#include <string>

#include "processing/JpegExportEncoder.h"
#include "series/Series.h"

namespace vargaze {

// The gamma exponent of the display: 1 / the selected item of the gamma list
// ("1.0" .. "4.0" in steps of 0.5).
double displayGamma(std::int32_t gammaIndex);

// The picture the image window shows of `img` between the display levels
// `lower` and `upper`: the 8-bit mapping with `gamma` through the grey
// palette, inverted when asked, row 1 at the top.
RgbPicture displayPicture(const Timgbuffer& img, std::int32_t lower, std::int32_t upper,
                          double gamma, bool inverted);

// File of frame n (1-based) of `frames`: the chosen name without its
// extension, the frame number with leading zeros, ".JPG". Three digits, more
// when the series has 1000 frames or more, so every frame gets its own file:
// ("/a/m.jpg", 7, 12) -> "/a/m007.JPG", ("/a/m.jpg", 7, 1200) -> "/a/m0007.JPG".
std::string jpegFrameFilename(const std::string& chosen, std::int32_t n, std::int32_t frames);

struct JpegExportResult {
  std::int32_t written = 0;  // files written
  std::int32_t skipped = 0;  // frames that could not be loaded (the display said so)
  bool saveFailed = false;   // a file could not be written; the export stopped there
};

// Exports frames 1..FramesLoaded through the frame selector, so the last
// frame stays on display. Does nothing without a loaded series. Every file
// is written whole or not at all; a write failure shows "Fehler beim
// Speichern der Datei " + name and ends the export.
JpegExportResult JPGexport(Series& series, const std::string& chosen);

}  // namespace vargaze
