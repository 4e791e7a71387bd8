#include "photometry/Magnitude.h"

#include <cmath>

namespace vargaze {

long double log1(long double x) { return x > 0 ? std::log10(x) : -1.0L; }

}  // namespace vargaze
