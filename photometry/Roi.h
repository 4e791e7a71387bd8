// One measurement aperture (ROI) and its catalogue magnitudes.
//
// Positions are 1-based image pixels (column 1..xsize, row 1..ysize). Points
// that come from the image window are 0-based and get 1 added when stored.
#pragma once

#include <cstdint>
#include <string>

namespace vargaze {

enum StarType : std::int32_t { kStarVar = 0, kStarComp = 1, kStarCheck = 2 };

struct TRoi1 {
  std::int32_t num = 0;  // 1-based position in the ROI list
  std::int32_t xa = 0;   // current centre of the star box
  std::int32_t ya = 0;
  std::int32_t x0a = 0;  // start position; x0a == -1 marks a fixed ROI
  std::int32_t y0a = 0;
  std::int32_t xb = 0;   // centre of the separate background box; -1 while none is placed
  std::int32_t yb = 0;
  std::int32_t x0b = 0;  // start of the background box; == (x0a, y0a) in ring mode
  std::int32_t y0b = 0;
  std::int32_t d = 0;    // side of the star box in pixels
  std::int64_t acounts = 0;  // sum of the star box
  std::int64_t bcounts = 0;  // background expected inside the star box
  std::int32_t amaxcounts = 0;
  bool ref = false;      // comparison star
  float rmag = 0.0f;     // reference magnitude in the current filter, 0 = none
  float mag = 0.0f;      // last magnitude, 99 = none
  std::string Name;      // at most 40 characters
  std::int32_t SN = 0;   // signal-to-noise ratio
  std::int32_t stype = 0;  // kStarCheck for a check star, so the type survives a filter without its value
  std::int32_t d2 = 0;   // inner ring size used; 0 in separate-box mode
  std::int32_t d3 = 0;   // outer ring size used
  std::int32_t npixa = 0;  // pixels summed in the star box
  std::int32_t npixb = 0;  // pixels summed for the background

  bool isFixed() const { return x0a == -1; }
  bool ringMode() const { return x0b == x0a && y0b == y0a; }
  std::int64_t net() const { return acounts - bcounts; }
  // Var, Comp or Check, derived from ref, rmag and stype.
  StarType starType() const {
    if (ref) return kStarComp;
    if (rmag != 0.0f || stype == kStarCheck) return kStarCheck;
    return kStarVar;
  }
};

// Catalogue magnitudes; 99 means unknown and anything from 90 on is missing.
struct BVRIRec {
  float Bmag = 99.0f;
  float Vmag = 99.0f;
  float Rmag = 99.0f;
  float Imag = 99.0f;
};

inline bool catalogueValueKnown(float value) { return value < 90.0f; }

inline constexpr std::size_t kMaxRoiName = 40;
inline constexpr float kNoMagnitude = 99.0f;

}  // namespace vargaze
