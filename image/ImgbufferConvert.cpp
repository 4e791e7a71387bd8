// Timgbuffer: byte order, scaling and conversions between the pixel types.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/Errors.h"
#include "base/Numbers.h"
#include "image/Imgbuffer.h"
#include "image/PixelLoops.h"

namespace vargaze {

namespace {

// round(value * factor) for a 16-bit word: a result below the type is an
// overflow, one above it is limited to the top.
std::int32_t scaledWord(std::int32_t value, double factor, std::int32_t lo, std::int32_t hi) {
  const double r = roundHalfEven(value * factor);
  if (!(r >= lo)) throw RangeError("pixel value out of the 16-bit range after scaling");
  return r > hi ? hi : static_cast<std::int32_t>(r);
}

// An offset beyond +-100000 moves every 16-bit value past either limit, so
// limiting it changes no result and keeps the sums inside 32 bits.
std::int32_t limitedOffset(std::int32_t offset) {
  return std::clamp(offset, -100000, 100000);
}

}  // namespace

void Timgbuffer::swapbytes() {
  if (bufferbyte == kPixelUnset) bufferbyte = kPixel16;
  const std::size_t n = pixel::storedPixels(*this);
  if (n == 0) return;
  switch (bufferbyte) {
    case kPixel16: {
      std::uint16_t* p = data16();
      pixel::forEachIndex(n, [p](std::size_t i) { p[i] = __builtin_bswap16(p[i]); });
      bufferMax = Wordmode ? pixel::maxFromZero(data16(), n)
                           : pixel::maxFromZero(pixel::signedWords(*this), n);
      break;
    }
    case kPixel32: {
      auto* p = reinterpret_cast<std::uint32_t*>(data32());
      pixel::forEachIndex(n, [p](std::size_t i) { p[i] = __builtin_bswap32(p[i]); });
      bufferMax = pixel::maxFromZero(data32(), n);
      break;
    }
    case kPixelFloat: {
      // Raw bits: before the swap they are no valid floats.
      std::byte* p = bufferpointer.get();
      for (std::size_t i = 0; i < n; ++i) {
        std::uint32_t bits;
        std::memcpy(&bits, p + 4 * i, 4);
        bits = __builtin_bswap32(bits);
        std::memcpy(p + 4 * i, &bits, 4);
      }
      break;
    }
    default:
      break;
  }
}

bool Timgbuffer::cmult(float c) {
  if (bufferbyte == kPixelUnset) bufferbyte = kPixel16;
  if (bufferbyte != kPixel16 && bufferbyte != kPixel32) return false;
  const std::size_t n = pixel::storedPixels(*this);
  const double factor = c;
  std::int32_t top = 0;
  if (bufferbyte == kPixel32) {
    std::int32_t* p = data32();
    for (std::size_t i = 0; i < n; ++i) {
      p[i] = roundToInt32(p[i] * factor);
      top = std::max(top, p[i]);
    }
  } else if (Wordmode) {
    std::uint16_t* p = data16();
    for (std::size_t i = 0; i < n; ++i) {
      const std::int32_t v = scaledWord(p[i], factor, 0, 65535);
      p[i] = static_cast<std::uint16_t>(v);
      top = std::max(top, v);
    }
  } else {
    std::int16_t* p = pixel::signedWords(*this);
    for (std::size_t i = 0; i < n; ++i) {
      const std::int32_t v = scaledWord(p[i], factor, -32768, 32767);
      p[i] = static_cast<std::int16_t>(v);
      top = std::max(top, v);
    }
  }
  bufferMax = top;
  return true;
}

void Timgbuffer::IntToWord(std::int32_t offset) {
  if (!pixel::isWordCode(bufferbyte)) return;
  const std::size_t n = pixel::storedPixels(*this);
  const std::int32_t add = limitedOffset(offset);
  std::uint16_t* p = data16();
  pixel::forEachIndex(n, [p, add](std::size_t i) {
    const std::int32_t value = static_cast<std::int16_t>(p[i]);  // read signed
    p[i] = static_cast<std::uint16_t>(std::clamp(value + add, 0, 65535));
  });
}

void Timgbuffer::WordtoInt(std::int32_t offset) {
  if (!pixel::isWordCode(bufferbyte)) return;
  const std::size_t n = pixel::storedPixels(*this);
  const std::int32_t sub = limitedOffset(offset);
  std::uint16_t* p = data16();
  pixel::forEachIndex(n, [p, sub](std::size_t i) {
    // Stored as the two's-complement bits of the signed result.
    p[i] = static_cast<std::uint16_t>(std::clamp(p[i] - sub, -32768, 32767));
  });
}

void Timgbuffer::FitsToLongint(double offset) {
  if (offset > 2147483648.0) return;
  const std::size_t n = pixel::storedPixels(*this);
  if (bufferbyte == kPixelFloat) {
    // The storage changes type element by element, so go through raw bytes.
    std::byte* p = bufferpointer.get();
    for (std::size_t i = 0; i < n; ++i) {
      float value;
      std::memcpy(&value, p + 4 * i, 4);
      // Masked pixels of calibrated frames are NaN; they carry no signal.
      const std::int32_t v =
          std::isfinite(value) ? roundToInt32(static_cast<double>(value) + offset) : 0;
      std::memcpy(p + 4 * i, &v, 4);
    }
  } else if (bufferbyte == kPixel32 && n > 0) {
    // pixel + k + 1 modulo 2^32: offset 2^31 reads signed FITS data as unsigned.
    const std::int64_t k = roundToInt64(offset - 1.0);
    const auto add = static_cast<std::uint32_t>(static_cast<std::uint64_t>(k) + 1u);
    auto* p = reinterpret_cast<std::uint32_t*>(data32());
    pixel::forEachIndex(n, [p, add](std::size_t i) { p[i] += add; });
  }
}

}  // namespace vargaze
