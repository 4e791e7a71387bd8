// DCF77 time signal recorded as a lamp in a frame series: the lamp lights
// once a second, about 100 ms for a bit 0 and 200 ms for a bit 1, and stays
// dark in second 59. Pulses are found from the marker's brightness frame by
// frame, classified by their summed counts, the minute mark found from the
// missing pulse, and the year read from bits 50 to 57.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vargaze {

// The marker's magnitude relative to its brightness when it was placed:
// below this the lamp is on.
inline constexpr float kDcfLampOnBelow = 2.0f;

// One lamp pulse.
struct DCFrec {
  std::int32_t fnum = 0;      // 1-based frame of the pulse's first frame
  std::int32_t interval = 0;  // frames since the previous pulse's first frame; 0 for the first
  std::int64_t counts = 0;    // sum of the marker's net counts over the pulse's frames
  std::int32_t fcount = 0;    // collecting: further frames of the pulse; evaluated: code -1, 0, 1
  double ftime = 0.0;         // reserved for the pulse time
};

// Builds the pulse list from the lamp-on frames, given in increasing order.
class DcfCollector {
 public:
  void addLampFrame(std::int32_t frame, std::int64_t netCounts);
  std::vector<DCFrec> DCFlist;

 private:
  std::int32_t lastLampFrame_ = 0;  // 0: none yet
};

struct DcfResult {
  std::vector<DCFrec> pulses;        // fcount holds the code: -1 minute mark, 0 or 1
  std::int32_t m1 = 0;               // mean interval in frames; 0 without any interval
  std::int64_t m2 = 0;               // mean pulse counts; 0 without any counted pulse
  std::int64_t cx = 0;               // threshold between bit 0 and bit 1
  std::vector<std::uint8_t> dcfbit;  // bits after the minute mark: dcfbit[0] is bit 1
  std::optional<std::int32_t> year;  // two digits; unknown without bits 50 to 57
};

// Classifies the pulses. The statistics (mean interval, mean counts, the
// smallest and largest pulse) take every pulse after the first, which may
// have started before the recording, with its completed sum. A pulse whose
// interval exceeds 1.5 mean intervals follows the missing second: code -1.
DcfResult evaluateDcf(std::vector<DCFrec> pulses);

// The result file: "fnum, code, counts, interval" per pulse, then
// "mittl. intervall=m1 mittl. counts=m2" and "Jahr=year" ("Jahr=unbekannt"
// when bits 50 to 57 were not received).
std::vector<std::string> dcfResultLines(const DcfResult& result);

}  // namespace vargaze
