// The content of a project file (".vgp") as read from its lines, before any
// of it is applied, so a file that turns out unusable changes nothing.
//
// Sections start at their header line ("[files]", "[ROIfile]", ...) and end
// at the next line that begins with "["; each is read once, in whatever order
// they come. Numbers may use "," or "." as decimal separator; a value that is
// not a number is ignored and its field keeps its default.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "photometry/Roi.h"

namespace vargaze {

struct ProjectData {
  std::vector<std::string> files;  // "[files]" in file order; blank lines skipped
  bool roiSection = false;         // "[ROIfile]" present
  std::int32_t roiCount = -1;      // its count line; -1 when missing or not a number
  std::vector<std::string> names;  // name lines, one per ROI (empty: keep the name)
  std::optional<std::string> curveTitle;
  double upperLevel = 0.0;  // stored display levels; 0 when none was stored
  double lowerLevel = 0.0;
  std::vector<BVRIRec> bvri;  // one record per ROI; fields not given stay 99
  std::optional<std::int32_t> filterType;
  bool BVRImode = false;
  std::optional<bool> flipvertical;
  std::optional<bool> rotate180;
  std::optional<std::uint8_t> imgBinning;
  std::optional<std::uint8_t> RGBcolornumber;  // 1..3, colour plane of colour frames
  std::string chartId;  // "AAVSOchartID="
  std::optional<bool> autocenter;
  std::optional<std::int32_t> ringInner;  // "ROID2="
  std::optional<std::int32_t> ringOuter;  // "ROID3="
  bool ringSizesApply = false;  // "[ROIcenter]" was ended by a following section
  double trackstarX = -1.0;     // -1: no track star
  double trackstarY = -1.0;
};

ProjectData parseProject(const std::vector<std::string>& lines);

}  // namespace vargaze
