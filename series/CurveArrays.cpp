#include "series/CurveArrays.h"

#include <atomic>

#include "photometry/Roi.h"

namespace vargaze {

namespace {

std::uint64_t nextRevision() {
  static std::atomic<std::uint64_t> count{0};
  return ++count;
}

}  // namespace

void CurveArrays::setFrame(std::size_t frame, double time, float airmass,
                           const std::vector<float>& mags) {
  if (XTimes.size() <= frame) {
    XTimes.resize(frame + 1, 0.0);
    AirmassArray.resize(frame + 1, -1.0f);
    YMags.resize(frame + 1);
  }
  XTimes[frame] = time;
  AirmassArray[frame] = airmass;
  YMags[frame] = mags;
  revision = nextRevision();
}

void CurveArrays::setPoints(std::int32_t points) {
  NumCurvePoints = points;
  revision = nextRevision();
}

void CurveArrays::completeRun(std::int32_t frames) {
  setPoints(frames);
  completedRun = revision;
}

float CurveArrays::mag(std::size_t frame, std::size_t roi) const {
  if (frame >= YMags.size() || roi >= YMags[frame].size()) return kNoMagnitude;
  return YMags[frame][roi];
}

}  // namespace vargaze
