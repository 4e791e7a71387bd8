// While a run or a table run measures the series it owns the frame buffer:
// the ROI refresh timer is off and commands that would replace the series,
// the project or the ROIs are refused. On every way out (done, cancel, load
// error, exception) the timer, the progress display and the owner flag come
// back.
#pragma once

#include <cstdint>
#include <string>

#include "series/Series.h"

namespace vargaze {

class RunScope {
 public:
  explicit RunScope(Series& series) : RunScope(series, -1, {}, {}) {}
  // With `progressSteps` >= 0 the progress display runs over that many steps
  // under `caption`, with a cancel button captioned `cancelText` (none when
  // empty).
  RunScope(Series& series, std::int32_t progressSteps, const std::string& caption,
           const std::string& cancelText)
      : series_(series), progress_(progressSteps >= 0) {
    series_.runActive = true;
    series_.Timer1Enabled = false;
    if (progress_) series_.ui().progressStart(progressSteps, caption, cancelText);
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
