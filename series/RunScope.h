// While a run or a table run measures the series it owns the frame buffer:
// the ROI refresh timer is off and commands that would replace the series,
// the project or the ROIs are refused. On every way out (done, cancel, load
// error, exception) the timer, the progress display and the owner flag come
// back.
#pragma once

#include <cstdint>

#include "series/Series.h"

namespace vargaze {

class RunScope {
 public:
  // With `progressSteps` >= 0 the progress display runs over that many steps.
  explicit RunScope(Series& series, std::int32_t progressSteps = -1)
      : series_(series), progress_(progressSteps >= 0) {
    series_.runActive = true;
    series_.Timer1Enabled = false;
    if (progress_) series_.ui().progressStart(progressSteps);
  }
  ~RunScope() {
    if (progress_) series_.ui().progressStop();
    series_.Timer1Enabled = true;
    series_.runActive = false;
  }
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;

 private:
  Series& series_;
  bool progress_;
};

}  // namespace vargaze
