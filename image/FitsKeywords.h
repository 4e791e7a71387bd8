// What the FITS reader takes from each header card.
#pragma once

#include <string_view>

#include "image/FitsDateParts.h"

namespace vargaze {

class Timgbuffer;

// State of one header pass beyond the buffer's own fields.
struct FitsHeaderScan {
  int naxis = 0;
  FitsDateParts setA;  // DATE-OBS, TIME-OBS, UT, UT-START, TIMESTMP
  FitsDateParts setB;  // other DATE... keywords and TIME
  bool endFound = false;
  bool unsupportedBitpix = false;
  int bitpix = 0;
};

// Applies one 80-byte card to the buffer's metadata and the scan state.
void applyFitsCard(std::string_view card, Timgbuffer& img, FitsHeaderScan& scan);

// Sets JDstart and Datetime from the collected date values: set A, or set B
// when set A has no day; JDstart 0 and "date?" when neither has one.
void applyFitsDate(const FitsHeaderScan& scan, Timgbuffer& img);

}  // namespace vargaze
