// Counting and centring of one aperture on an image: square star boxes,
// square background rings or separate sky boxes, and the two centring
// methods. Scanning order is column by column, each column top to bottom.
#pragma once

#include <cstdint>

#include "image/Imgbuffer.h"
#include "photometry/Roi.h"

namespace vargaze {

// Sum, maximum and pixel count of the box x1..x2, y1..y2 (1-based,
// inclusive). A box that reaches outside the image on any side, or whose left
// column is below 2, counts nothing and gives false.
struct BoxSum {
  std::int64_t sum = 0;
  std::int32_t maximum = 0;
  std::int32_t pixels = 0;
};
bool sumBox(const Timgbuffer& img, std::int32_t x1, std::int32_t y1, std::int32_t x2,
            std::int32_t y2, BoxSum& result);

// Counts the star box and the background of `roi` with the ring sizes dIn and
// dOut (used in ring mode). Sets acounts, amaxcounts, npixa, bcounts, npixb.
// `ringEmpty` is set when the ring holds no pixels (outer not larger than inner).
void countAperture(const Timgbuffer& img, TRoi1& roi, std::int32_t dIn, std::int32_t dOut,
                   bool& ringEmpty);

// Centroid and brightest-pixel centring. (Vx, Vy) is the current shift of the
// field against the start positions.
void centerROI_s(const Timgbuffer& img, TRoi1& roi, double Vx, double Vy);
void centerROI_m(const Timgbuffer& img, TRoi1& roi, double Vx, double Vy);

}  // namespace vargaze
