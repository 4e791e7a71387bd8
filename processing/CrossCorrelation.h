// The whole-pixel shift between two frames from the cross-correlation of
// their maximum profiles along x and y.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/UiPort.h"
#include "image/Imgbuffer.h"
#include "series/Series.h"

namespace vargaze {

// A positive dx (dy) means the content of image 2 lies at larger x (y) than
// in image 1.
struct FrameShift {
  std::int32_t dx = 0;
  std::int32_t dy = 0;
};

// Profiles are 1-based like the pixels: index 0 is unused.
using Profile = std::vector<std::int64_t>;

// 3-point running mean in place: for i = 2 .. n-1 in increasing order,
// p[i] := round((p[i-1] + p[i] + p[i+1]) / 3), p[i-1] already smoothed.
void smoothline(Profile& p, std::int32_t n);

// Maximum over all rows of each column, every row smoothed first.
Profile xProfile(const Timgbuffer& img);
// Maximum over all columns of each row, nothing smoothed.
Profile yProfile(const Timgbuffer& img);

// The shift s in -range..range with the largest positive sum
// p1[k] * p2[k + s] over k = range + 1 .. length - range; the smaller shift
// on ties, 0 when no sum is positive. Both profiles need `length` entries.
std::int32_t bestShift(const Profile& p1, const Profile& p2, std::int32_t length,
                       std::int32_t range);

// Search range of an image width: round(0.2 * width).
std::int32_t correlationRange(std::int32_t width);

// The shift of img2 against img1, searched within +-range pixels. The images
// must have the same size (RangeError otherwise).
FrameShift CrossCorr(const Timgbuffer& img1, const Timgbuffer& img2, std::int32_t range);

// Reads two FITS files and reports their shift as "dx= N dy= M". Refused
// with a message: "Kann FITS-Datei 1 nicht laden", "Kann FITS-Datei 2 nicht
// laden", "Bilddateien inkompatibel" (width, height or pixel size differ).
std::optional<FrameShift> crossCorrelateFiles(const std::string& file1, const std::string& file2,
                                              UiPort& ui);

// "test crosscorelation": the shift between the first two files of the
// series. "Kein Bild geladen", "2 Bilder müssen geladen sein" refuse it.
std::optional<FrameShift> test11Click(Series& series);

}  // namespace vargaze
