// An integer spin control of a window: a value kept between its limits.
#pragma once

#include <algorithm>
#include <cstdint>

namespace vargaze {

struct SpinControl {
  std::int32_t value = 0;
  std::int32_t minimum = 0;
  std::int32_t maximum = 0;

  // Takes `v` clamped to the limits; true when the value changed.
  bool set(std::int32_t v) {
    const std::int32_t clamped = std::clamp(v, std::min(minimum, maximum), maximum);
    const bool changed = clamped != value;
    value = clamped;
    return changed;
  }
  // A new minimum (never above the maximum) re-clamps the value; true when
  // the value changed.
  bool setMinimum(std::int32_t m) {
    minimum = std::min(m, maximum);
    return set(value);
  }
};

}  // namespace vargaze
