#include "photometry/RoiWindow.h"

namespace vargaze {

const char* filterItemName(std::int32_t filterType) {
  static const char* const kNames[kFilterCount] = {"CV", "CR", "B", "V", "R", "I", "TB", "TG", "TR"};
  return filterType >= 0 && filterType < kFilterCount ? kNames[filterType] : "";
}

float catalogueValueForFilter(const BVRIRec& bvri, std::int32_t filterType) {
  switch (filterType) {
    case 2:
    case 6: return bvri.Bmag;
    case 1:
    case 4:
    case 8: return bvri.Rmag;
    case 5: return bvri.Imag;
    default: return bvri.Vmag;  // CV, V, TG
  }
}

}  // namespace vargaze
