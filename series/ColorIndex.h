// The colour-index table of a colour-calibration series: every ROI measured
// on every frame, the magnitudes sorted by the frame's filter, one row per
// ROI and one column per filter B, V, R, I that ROI 1 has a value for.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "series/Series.h"

namespace vargaze {

// Magnitudes by filter code 2..8 ("B", "V", "R", "I", "TB", "TG", "TR") and
// ROI; 100 means no value, and anything from 99 on counts as missing.
class BVRIArray {
 public:
  static constexpr std::int32_t kFirstCode = 2;
  static constexpr std::int32_t kLastCode = 8;
  static constexpr double kNoValue = 100.0;

  explicit BVRIArray(std::size_t roiCount);

  // A later frame of the same filter overwrites; other codes are ignored.
  void store(std::int32_t filterType, std::size_t roi, double mag);
  // Value of ROI `roi` (0-based) in filter `filterType`.
  double value(std::int32_t filterType, std::size_t roi) const;
  std::size_t roiCount() const { return values_.size(); }

  // "Filt;B;V;" and one line "1;12.345;11.678;" per ROI; the columns are the
  // filters B, V, R, I in which ROI 1 has a value.
  std::vector<std::string> lines() const;

 private:
  std::vector<std::array<double, kLastCode - kFirstCode + 1>> values_;
};

// "Farbindex-Tabelle generieren": measures the series and writes the table
// under the project's curve file name. `saveProject` is asked for a project
// name when none is set. False when refused ("Keine ROI definiert.",
// "Farbindex-Tabelle erst ab 2 Bilddateien verfügbar.") or not written.
bool BVRIanalyseClick(Series& series, const std::function<bool()>& saveProject = {});

}  // namespace vargaze
