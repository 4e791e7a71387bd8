// Timgbuffer: the flat-field matrix and the flat correction of a frame.
#include <algorithm>
#include <cmath>
#include <memory>

#include "base/Errors.h"
#include "base/Numbers.h"
#include "image/Imgbuffer.h"
#include "image/PixelLoops.h"

namespace vargaze {

namespace {

// A flat this dark has low = round(0.2 * bufferMax) of 0 or 1: its dark
// pixels would get a factor high/0, or a meaningless one.
constexpr std::int32_t kSmallestFlatMax = 5;

struct FlatLevels {
  double high = 0.0;  // the level every pixel is normalised to
  double low = 0.0;   // pixels at or below it count as defective
};

template <typename T>
FlatLevels levelsOf(const T* p, std::size_t n, std::int32_t bufferMax) {
  double sum = 0.0;
  for (std::size_t i = 0; i < n; ++i) sum += static_cast<double>(p[i]);
  const double mean = sum / static_cast<double>(n);
  double squares = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const double d = static_cast<double>(p[i]) - mean;
    squares += d * d;
  }
  // One pixel has no spread; N - 1 = 0 would make it NaN.
  const double sdev = n > 1 ? std::sqrt(squares / static_cast<double>(n - 1)) : 0.0;
  return {roundHalfEven(mean + 1.5 * sdev), roundHalfEven(0.2 * bufferMax)};
}

template <typename T>
float fillFactors(const T* p, std::size_t n, FlatLevels levels, float* factors) {
  float largest = 0.0f;
  const auto dark = static_cast<float>(levels.high / levels.low);
  for (std::size_t i = 0; i < n; ++i) {
    const double v = static_cast<double>(p[i]);
    factors[i] = v > levels.low ? static_cast<float>(levels.high / v) : dark;
    largest = std::max(largest, factors[i]);
  }
  return largest;
}

// round(v * f) for an unsigned type, limited above to its top. The product is
// below 0 only with a negative factor, which the type cannot hold.
template <typename T>
std::int32_t correctedUnsigned(T v, float f, std::int32_t top) {
  const double r = roundHalfEven(static_cast<double>(v) * static_cast<double>(f));
  if (!(r >= 0.0)) throw RangeError("flat-corrected pixel below 0");
  return r > top ? top : static_cast<std::int32_t>(r);
}

template <typename T>
std::int32_t correctUnsigned(T* p, const float* f, std::size_t n, std::int32_t top) {
  std::int32_t largest = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const std::int32_t v = correctedUnsigned(p[i], f[i], top);
    p[i] = static_cast<T>(v);
    largest = std::max(largest, v);
  }
  return largest;
}

std::int32_t correctLongs(std::int32_t* p, const float* f, std::size_t n) {
  std::int32_t largest = 0;
  for (std::size_t i = 0; i < n; ++i) {
    p[i] = roundToInt32(static_cast<double>(p[i]) * static_cast<double>(f[i]));
    largest = std::max(largest, p[i]);
  }
  return largest;
}

}  // namespace

bool Timgbuffer::MakeFlatmatrix() {
  const std::size_t n = pixel::storedPixels(*this);
  const bool integerPixels =
      bufferbyte == kPixel8 || pixel::isWordCode(bufferbyte) || bufferbyte == kPixel32;
  if (n == 0 || !integerPixels || bufferMax < kSmallestFlatMax) return false;

  auto storage = std::make_unique_for_overwrite<std::byte[]>(n * sizeof(float));
  auto* factors = reinterpret_cast<float*>(storage.get());
  float largest = 0.0f;
  if (bufferbyte == kPixel8) {
    largest = fillFactors(data8(), n, levelsOf(data8(), n, bufferMax), factors);
  } else if (bufferbyte == kPixel32) {
    largest = fillFactors(data32(), n, levelsOf(data32(), n, bufferMax), factors);
  } else {
    largest = fillFactors(data16(), n, levelsOf(data16(), n, bufferMax), factors);
  }
  // Computed before anything changes, so an overflow leaves the flat as it was.
  const std::int32_t roundedLargest = roundToInt32(largest);

  bufferpointer = std::move(storage);
  bufferbyte = kPixelFloat;
  bufferMax = roundedLargest;
  flatmatrix = true;
  return true;
}

bool Timgbuffer::Flatcorrection(const Timgbuffer& flat) {
  if (flatcorrected) return true;
  if (!flat.flatmatrix || flat.bufferbyte != kPixelFloat || !flat.hasImage() ||
      flat.xsize != xsize || flat.ysize != ysize) {
    return false;
  }
  const std::size_t n = pixel::storedPixels(*this);
  const float* f = flat.dataFloat();
  bufferMax = 0;
  if (bufferbyte == kPixel8) {
    bufferMax = correctUnsigned(data8(), f, n, 255);
  } else if (pixel::isWordCode(bufferbyte)) {
    bufferMax = correctUnsigned(data16(), f, n, 65535);
  } else if (bufferbyte == kPixel32) {
    bufferMax = correctLongs(data32(), f, n);
  }
  flatcorrected = true;
  return true;
}

}  // namespace vargaze
