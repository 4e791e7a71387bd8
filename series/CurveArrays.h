// The measured light curve: per frame its time, airmass and the magnitude of
// every ROI. The storage grows with the series and the ROI list.
#pragma once

#include <cstdint>
#include <vector>

namespace vargaze {

struct CurveArrays {
  std::vector<double> XTimes;             // Julian Date minus JDCurveoffset, per frame
  std::vector<std::vector<float>> YMags;  // [frame][ROI] magnitude, 99 = none
  std::vector<float> AirmassArray;        // per frame
  std::int32_t NumCurvePoints = 0;        // frames of the last completed run; 0 = no curve

  // Every change takes a new number from one program-wide count, so a window
  // that shows the curve sees a change by comparing one number, also when a
  // new run's arrays replace these.
  std::uint64_t revision = 0;
  // The revision at which a full run completed this curve (0: none); frames
  // appended later leave it alone.
  std::uint64_t completedRun = 0;

  // Sets frame `frame` (0-based), growing the storage as needed.
  void setFrame(std::size_t frame, double time, float airmass, const std::vector<float>& mags);
  // NumCurvePoints after frames were appended.
  void setPoints(std::int32_t points);
  // NumCurvePoints at the end of a full run.
  void completeRun(std::int32_t frames);
  // Magnitude of ROI `roi` (0-based) on frame `frame`; 99 when not measured.
  float mag(std::size_t frame, std::size_t roi) const;
  void clear() { *this = CurveArrays{}; }
};

}  // namespace vargaze
