// Logarithm and filter helpers of the magnitude computation.
#pragma once

#include "photometry/Roi.h"

namespace vargaze {

// Base-10 logarithm of a positive signal; -1 for 0 and below, where a
// logarithm has no meaning.
long double log1(long double x);

// A comparison star that enters the zero point: a measured background and a
// net signal of at least 100 counts. Fixed markers never do.
bool isUsableComparison(const TRoi1& roi);

}  // namespace vargaze
