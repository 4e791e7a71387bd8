// Timgbuffer: single pixels, lines and columns.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "base/Errors.h"
#include "image/Imgbuffer.h"
#include "image/PixelLoops.h"

namespace vargaze {

namespace {

std::size_t pixelIndex(const Timgbuffer& img, std::int32_t x, std::int32_t y) {
  return static_cast<std::size_t>(y - 1) * static_cast<std::size_t>(img.xsize) +
         static_cast<std::size_t>(x - 1);
}

void checkIndex(std::int32_t index, std::int32_t size, const char* what) {
  if (index < 1 || index > size) {
    throw RangeError(std::string(what) + " out of range: " + std::to_string(index));
  }
}

// Copies column elements one by one; the caller's memory need not be aligned.
template <std::size_t Width>
void copyColumnOut(const std::byte* first, std::size_t stride, std::size_t count, std::byte* out) {
  for (std::size_t i = 0; i < count; ++i) std::memcpy(out + i * Width, first + i * stride, Width);
}

template <std::size_t Width>
void copyColumnIn(const std::byte* in, std::size_t stride, std::size_t count, std::byte* first) {
  for (std::size_t i = 0; i < count; ++i) std::memcpy(first + i * stride, in + i * Width, Width);
}

}  // namespace

std::int32_t Timgbuffer::getpixel(std::int32_t x, std::int32_t y) const {
  if (!hasImage() || x < 1 || x > xsize || y < 1 || y > ysize) return 0;
  const std::size_t i = pixelIndex(*this, x, y);
  switch (bufferbyte) {
    case kPixel8:
      return data8()[i];
    case kPixelUnset:
    case kPixel16:
      return data16()[i];
    case kPixel32:
      return data32()[i];
    case kPixelFloat: {
      // Compared in double: as a float, 2147483647 would round up to 2^31.
      // NaN fails the comparison and reads as 0 like any value out of range.
      const double value = dataFloat()[i];
      if (!(std::fabs(value) <= 2147483647.0)) return 0;
      return static_cast<std::int32_t>(std::nearbyint(value));
    }
    default:
      return 0;
  }
}

void Timgbuffer::putpixel(std::int32_t x, std::int32_t y, std::int32_t value) {
  if (!hasImage() || x < 1 || x > xsize || y < 1 || y > ysize) return;
  const std::size_t i = pixelIndex(*this, x, y);
  switch (bufferbyte) {
    case kPixel8:
      data8()[i] = static_cast<std::uint8_t>(std::clamp(value, 0, 255));
      break;
    case kPixelUnset:
    case kPixel16:
      data16()[i] = static_cast<std::uint16_t>(std::clamp(value, 0, 65535));
      break;
    case kPixel32:
      data32()[i] = value;
      break;
    default:
      break;
  }
}

void Timgbuffer::Getline(std::int32_t y, void* line) const {
  const std::size_t width = pixel::lineElementBytes(bufferbyte);
  if (!hasImage() || width == 0) return;
  checkIndex(y, ysize, "line");
  const std::size_t bytes = static_cast<std::size_t>(xsize) * width;
  std::memcpy(line, bufferpointer.get() + static_cast<std::size_t>(y - 1) * bytes, bytes);
}

void Timgbuffer::Putline(const void* line, std::int32_t y) {
  const std::size_t width = pixel::lineElementBytes(bufferbyte);
  if (!hasImage() || width == 0) return;
  checkIndex(y, ysize, "line");
  const std::size_t bytes = static_cast<std::size_t>(xsize) * width;
  std::memcpy(bufferpointer.get() + static_cast<std::size_t>(y - 1) * bytes, line, bytes);
}

void Timgbuffer::Getcolumn(std::int32_t x, void* col) const {
  const std::size_t width = pixel::lineElementBytes(bufferbyte);
  if (!hasImage() || width == 0) return;
  checkIndex(x, xsize, "column");
  const std::byte* first = bufferpointer.get() + static_cast<std::size_t>(x - 1) * width;
  const std::size_t stride = static_cast<std::size_t>(xsize) * width;
  const std::size_t count = static_cast<std::size_t>(ysize);
  auto* out = static_cast<std::byte*>(col);
  if (width == 1) copyColumnOut<1>(first, stride, count, out);
  if (width == 2) copyColumnOut<2>(first, stride, count, out);
  if (width == 4) copyColumnOut<4>(first, stride, count, out);
}

void Timgbuffer::Putcolumn(const void* col, std::int32_t x) {
  const std::size_t width = pixel::lineElementBytes(bufferbyte);
  if (!hasImage() || width == 0) return;
  checkIndex(x, xsize, "column");
  std::byte* first = bufferpointer.get() + static_cast<std::size_t>(x - 1) * width;
  const std::size_t stride = static_cast<std::size_t>(xsize) * width;
  const std::size_t count = static_cast<std::size_t>(ysize);
  const auto* in = static_cast<const std::byte*>(col);
  if (width == 1) copyColumnIn<1>(in, stride, count, first);
  if (width == 2) copyColumnIn<2>(in, stride, count, first);
  if (width == 4) copyColumnIn<4>(in, stride, count, first);
}

}  // namespace vargaze
