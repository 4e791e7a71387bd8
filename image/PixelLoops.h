// Whole-image loops shared by the Timgbuffer sources. They run on every load
// of large frames, so they are plain loops over typed pointers that the
// compiler can vectorise.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "image/Imgbuffer.h"

namespace vargaze::pixel {

inline bool isWordCode(std::int32_t bufferbyte) {
  return bufferbyte == kPixel16 || bufferbyte == kPixelUnset;
}

// Bytes per element copied by the line and column operations: float storage
// copies nothing, and -8 has no storage.
inline std::size_t lineElementBytes(std::int32_t bufferbyte) {
  return bufferbyte == kPixelFloat ? 0 : static_cast<std::size_t>(bytesPerPixel(bufferbyte));
}

inline std::size_t storedPixels(const Timgbuffer& img) {
  return img.hasImage() ? static_cast<std::size_t>(img.pixelCount()) : 0;
}

// 16-bit words read signed (int16_t may alias the stored uint16_t).
inline const std::int16_t* signedWords(const Timgbuffer& img) {
  return reinterpret_cast<const std::int16_t*>(img.data16());
}
inline std::int16_t* signedWords(Timgbuffer& img) {
  return reinterpret_cast<std::int16_t*>(img.data16());
}

// Calls body(i) for i = 0..n-1 in blocks of fixed length: at -O2 the compiler
// vectorises only loops whose trip count it knows, so the blocks run as vector
// code and only the short tail element by element.
template <typename Body>
void forEachIndex(std::size_t n, Body&& body) {
  constexpr std::size_t kBlock = 64;
  std::size_t i = 0;
  for (; i + kBlock <= n; i += kBlock) {
    for (std::size_t j = i; j < i + kBlock; ++j) body(j);
  }
  for (; i < n; ++i) body(i);
}

// Largest element, starting from 0.
template <typename T>
std::int32_t maxFromZero(const T* p, std::size_t n) {
  T top = 0;
  forEachIndex(n, [&](std::size_t i) { top = std::max(top, p[i]); });
  return top;
}

// Largest unsigned word, starting from 0. Plain x86-64 has no vector
// instruction for the unsigned 16-bit maximum, but one for the signed: with
// the sign bit flipped the order of unsigned words is the signed order.
inline std::int32_t maxFromZero(const std::uint16_t* p, std::size_t n) {
  std::int16_t top = -32768;  // 0 with the sign bit flipped
  forEachIndex(n, [&](std::size_t i) {
    top = std::max(top, static_cast<std::int16_t>(p[i] ^ 0x8000u));
  });
  return static_cast<std::uint16_t>(top) ^ 0x8000u;
}

// Widens [lo, hi] to take in every element.
template <typename T>
void widenRange(const T* p, std::size_t n, T& lo, T& hi) {
  T low = lo;
  T high = hi;
  forEachIndex(n, [&](std::size_t i) {
    low = std::min(low, p[i]);
    high = std::max(high, p[i]);
  });
  lo = low;
  hi = high;
}

// What getmaxpixel computes, without storing it: 0 without an image, -1 for
// float storage.
std::int32_t maxPixelValue(const Timgbuffer& img);

}  // namespace vargaze::pixel
