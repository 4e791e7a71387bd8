// Automatic star marking: ROIs on the stars of the current frame.
//
// The frame (or the user rectangle) is scanned in windows of twice the star
// box size, stepping by one star box. In each window the brightest 3x3 median
// is a star when it lies above a threshold derived from the sky background,
// at most at the saturation limit and in the window's inner part. Its ROI is
// kept when its signal-to-noise ratio reaches the minimum asked for.
#pragma once

#include <cstdint>
#include <optional>

#include "base/UiPort.h"
#include "image/Imgbuffer.h"
#include "photometry/SpinControl.h"

namespace vargaze {

class RoiWindow;

// Median of the nine pixels around the 1-based pixel (x, y); pixels outside
// the image count 0.
std::int32_t getMedian(const Timgbuffer& img, std::int32_t x, std::int32_t y);

// The histogram the background is taken from: 256 bins up to the frame's
// maximum pixel value (bufferMax, or the actual maximum when that is unset).
Timghistogram starfindHistogram(const Timgbuffer& img);

// Sky background in counts: the fullest bin (the first of equal ones) scaled
// back to counts.
std::int32_t histogramBackground(const Timghistogram& hist);

// Lower thresholds above the background `bg` (counts) for the camera gain
// `gain` (electrons per count; 2 when not positive) and the saturation limit
// `maxcounts`: t1 for "hoch", t2 for "mittel", t3 for "gering".
struct StarThresholds {
  std::int32_t t1 = 0;
  std::int32_t t2 = 0;
  std::int32_t t3 = 0;
};
StarThresholds starThresholds(std::int32_t bg, double gain, std::int32_t maxcounts);

// Threshold of a sensitivity item: 0 "gering" -> t3, 1 "mittel" -> t2,
// 2 "hoch" -> t1. RangeError for any other item.
std::int32_t thresholdFor(const StarThresholds& thresholds, std::int32_t sensitivity);

// A rectangle in image pixel positions (the GUI converts the image window's
// screen rectangle by its zoom first). Corners outside the image are taken
// to its border.
struct ImageRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

// Places ROIs on the stars of `img` (the ROI window's frame) whose brightest
// median m satisfies minintensity < m <= maxintensity and whose S/N reaches
// minimumSN; a star inside a ROI, one from before or one this search placed,
// gets no second ROI. One progress
// step per window row; stops after the row in which the user cancelled,
// keeping the ROIs made so far. Returns the number of ROIs created.
std::int32_t FindStars(RoiWindow& win, const Timgbuffer& img, std::int32_t minintensity,
                       std::int32_t minimumSN, std::int32_t maxintensity,
                       const std::optional<ImageRect>& rect = std::nullopt);

// The fields of the "Automatic star marker" dialog.
struct StarfindDialog {
  std::int32_t sensitivity = 1;  // "gering (nur helle Sterne)", "mittel", "hoch"
  SpinControl MaxcountEdit{0, 0, 9'999'999};  // "Maximum counts"
  SpinControl MinSNEdit{3, 3, 9999};          // "Minimum S/N"
};

// Before the dialog opens: the maximum counts become the frame's largest
// pixel value. False with "Kein Bild geladen" when there is no frame.
bool prepareFindstars(RoiWindow& win, StarfindDialog& dialog);

// After "Start": searches the ROI window's frame with the dialog's values and
// reports the number of ROIs made (count + " Sterne gefunden"), which it also
// returns. Without a frame: "Kein Bild geladen" and 0.
std::int32_t findstars(RoiWindow& win, const StarfindDialog& dialog,
                       const std::optional<ImageRect>& rect = std::nullopt);

// findstars in its two halves, for a window that closes its dialog before the
// report: the search (nothing, after "Kein Bild geladen", without a frame)
// and the message.
std::optional<std::int32_t> searchStars(RoiWindow& win, const StarfindDialog& dialog,
                                        const std::optional<ImageRect>& rect = std::nullopt);
void reportStarsFound(UiPort& ui, std::int32_t count);

}  // namespace vargaze
