// Transformation of a V frame with a B and/or an R frame to the standard
// system with the observer's coefficients (TF_Tb .. TF_Tv2): plain numbers
// in, plain numbers out.
#pragma once

#include "config/Settings.h"

namespace vargaze {

// A coefficient still at this value was never determined.
inline constexpr double kCoefficientUnset = 99.0;

// One frame's row of the export table: the variable's magnitude and error and
// the comparison and check star magnitudes.
struct FilterReading {
  double mag = 0.0;   // X
  double err = 0.0;   // eX
  double cmag = 0.0;  // Xc
  double kmag = 0.0;  // Xk
};

struct BVTransform {
  double Bt = 0.0, Vt = 0.0;    // variable
  double eBt = 0.0, eVt = 0.0;  // its errors
  double Bkt = 0.0, Vkt = 0.0;  // check star
};

struct VRTransform {
  double Rt = 0.0, V2t = 0.0;
  double eRt = 0.0, eV2t = 0.0;
  double Rkt = 0.0, V2kt = 0.0;
};

// False when Tb, Tv or Tbv (B-V) / Tr, Tv2 or Tvr (V-R) is still unset.
bool bvCoefficientsSet(const Settings& settings);
bool vrCoefficientsSet(const Settings& settings);

BVTransform transformBV(const FilterReading& v, const FilterReading& b, const Settings& settings);
VRTransform transformVR(const FilterReading& v, const FilterReading& r, const Settings& settings);

}  // namespace vargaze
