#include "export/Transform.h"

#include <cmath>

namespace vargaze {

bool bvCoefficientsSet(const Settings& s) {
  return s.TF_Tb != kCoefficientUnset && s.TF_Tv != kCoefficientUnset &&
         s.TF_Tbv != kCoefficientUnset;
}

bool vrCoefficientsSet(const Settings& s) {
  return s.TF_Tr != kCoefficientUnset && s.TF_Tv2 != kCoefficientUnset &&
         s.TF_Tvr != kCoefficientUnset;
}

BVTransform transformBV(const FilterReading& v, const FilterReading& b, const Settings& s) {
  const double tbv = s.TF_Tbv;
  const double tv = s.TF_Tv;
  const double compColour = b.cmag - v.cmag;
  const double bv = compColour + tbv * ((b.mag - v.mag) - compColour);
  const double bvk = compColour + tbv * ((b.kmag - v.kmag) - compColour);
  BVTransform t;
  t.Vt = v.mag + tv * (bv - compColour);
  t.Bt = t.Vt + bv;
  t.Vkt = v.kmag + tv * (bvk - compColour);
  t.Bkt = t.Vkt + bvk;
  const double k = tv * tbv;
  t.eVt = std::hypot((k + 1.0) * v.err, k * b.err);
  t.eBt = std::hypot((k + 1.0 - tbv) * v.err, (k + tbv) * b.err);
  return t;
}

VRTransform transformVR(const FilterReading& v, const FilterReading& r, const Settings& s) {
  const double tvr = s.TF_Tvr;
  const double tv2 = s.TF_Tv2;
  const double compColour = v.cmag - r.cmag;
  const double vr = compColour + tvr * ((v.mag - r.mag) - compColour);
  const double vrk = compColour + tvr * ((v.kmag - r.kmag) - compColour);
  VRTransform t;
  t.V2t = v.mag + tv2 * (vr - compColour);
  t.Rt = t.V2t - vr;
  t.V2kt = v.kmag + tv2 * (vrk - compColour);
  t.Rkt = t.V2kt - vrk;
  const double k = tv2 * tvr;
  t.eV2t = std::hypot((k + 1.0) * v.err, k * r.err);
  t.eRt = std::hypot((k + 1.0 - tvr) * v.err, (k + tvr) * r.err);
  return t;
}

}  // namespace vargaze
