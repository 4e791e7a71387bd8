#include "processing/DcfPulses.h"

#include <algorithm>
#include <limits>

#include "base/Errors.h"
#include "base/Numbers.h"

namespace vargaze {

namespace {

// DCF77 bits 50 to 57: the year's units (1, 2, 4, 8) and tens (10, 20, 40, 80).
constexpr std::size_t kFirstYearBit = 50;
constexpr std::int32_t kYearWeights[] = {1, 2, 4, 8, 10, 20, 40, 80};
constexpr std::size_t kLastYearBit = kFirstYearBit + std::size(kYearWeights) - 1;

std::optional<std::int32_t> yearOf(const std::vector<std::uint8_t>& dcfbit) {
  if (dcfbit.size() < kLastYearBit) return std::nullopt;
  std::int32_t year = 0;
  for (std::size_t i = 0; i < std::size(kYearWeights); ++i) {
    year += dcfbit[kFirstYearBit - 1 + i] * kYearWeights[i];
  }
  return year;
}

}  // namespace

void DcfCollector::addLampFrame(std::int32_t frame, std::int64_t netCounts) {
  if (lastLampFrame_ > 0 && frame == lastLampFrame_ + 1 && !DCFlist.empty()) {
    DCFrec& pulse = DCFlist.back();
    ++pulse.fcount;
    if (__builtin_add_overflow(pulse.counts, netCounts, &pulse.counts)) {
      throw RangeError("DCF pulse counts out of range");
    }
  } else {
    DCFrec pulse;
    pulse.fnum = frame;
    pulse.counts = netCounts;
    if (!DCFlist.empty()) pulse.interval = frame - DCFlist.back().fnum;
    DCFlist.push_back(pulse);
  }
  lastLampFrame_ = frame;
}

DcfResult evaluateDcf(std::vector<DCFrec> pulses) {
  DcfResult result;
  std::int64_t intervalSum = 0;
  std::int64_t intervals = 0;
  long double countsSum = 0.0L;
  std::int64_t counted = 0;
  std::int64_t cmin = std::numeric_limits<std::int64_t>::max();
  std::int64_t cmax = std::numeric_limits<std::int64_t>::min();
  for (std::size_t i = 1; i < pulses.size(); ++i) {
    const DCFrec& p = pulses[i];
    if (p.interval > 0) {
      intervalSum += p.interval;
      ++intervals;
    }
    cmin = std::min(cmin, p.counts);
    cmax = std::max(cmax, p.counts);
    countsSum += static_cast<long double>(p.counts);
    ++counted;
  }
  if (intervals > 0) {
    result.m1 = roundToInt32(static_cast<double>(intervalSum) / static_cast<double>(intervals));
  }
  if (counted > 0) {
    result.m2 = roundToInt64(static_cast<double>(countsSum / static_cast<long double>(counted)));
    std::int64_t sum = 0;
    if (__builtin_add_overflow(cmin, cmax, &sum)) throw RangeError("DCF pulse counts out of range");
    result.cx = sum / 2;
  }

  bool minuteStarted = false;
  for (DCFrec& p : pulses) {
    std::int32_t code = p.counts < result.cx ? 0 : 1;
    if (intervals > 0 && p.interval > 1.5 * result.m1) code = -1;
    if (code == -1) minuteStarted = true;
    if (minuteStarted && code >= 0) result.dcfbit.push_back(static_cast<std::uint8_t>(code));
    p.fcount = code;
  }
  result.pulses = std::move(pulses);
  if (intervals > 0 && counted > 0) result.year = yearOf(result.dcfbit);
  return result;
}

std::vector<std::string> dcfResultLines(const DcfResult& result) {
  std::vector<std::string> lines;
  for (const DCFrec& p : result.pulses) {
    lines.push_back(std::to_string(p.fnum) + ", " + std::to_string(p.fcount) + ", " +
                    std::to_string(p.counts) + ", " + std::to_string(p.interval));
  }
  lines.push_back("mittl. intervall=" + std::to_string(result.m1) +
                  " mittl. counts=" + std::to_string(result.m2));
  lines.push_back("Jahr=" +
                  (result.year ? std::to_string(*result.year) : std::string("unbekannt")));
  return lines;
}

}  // namespace vargaze
