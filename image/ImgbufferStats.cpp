// Timgbuffer: largest and smallest pixel, histogram.
#include <algorithm>
#include <vector>
#include <cmath>

#include "image/Imgbuffer.h"
#include "image/PixelLoops.h"

namespace vargaze {

namespace pixel {

std::int32_t maxPixelValue(const Timgbuffer& img) {
  const std::size_t n = storedPixels(img);
  if (n == 0) return 0;
  switch (img.bufferbyte) {
    case kPixel8:
      return maxFromZero(img.data8(), n);
    case kPixelUnset:
    case kPixel16:
      return img.Wordmode ? maxFromZero(img.data16(), n) : maxFromZero(signedWords(img), n);
    case kPixel32:
      return maxFromZero(img.data32(), n);
    case kPixelFloat:
      return -1;
    default:
      return 0;
  }
}

}  // namespace pixel

std::int32_t Timgbuffer::getmaxpixel() {
  if (!hasImage()) return 0;
  const std::int32_t top = pixel::maxPixelValue(*this);
  bufferMax = top < 0 ? 0 : top;  // float storage: bufferMax 0, result -1
  return top;
}

void Timgbuffer::getminmax() {
  const std::size_t n = pixel::storedPixels(*this);
  if (n == 0) return;
  const bool words = pixel::isWordCode(bufferbyte);

  if (bufferbyte == kPixel8) {
    // Bytes are never signed: their real range whatever Wordmode says.
    std::uint8_t lo = 255, hi = 0;
    pixel::widenRange(data8(), n, lo, hi);
    bufferMin = lo;
    bufferMax = hi;
  } else if (words && Wordmode) {
    std::uint16_t lo = 65535, hi = 0;
    pixel::widenRange(data16(), n, lo, hi);
    bufferMin = lo;
    bufferMax = hi;
  } else if (words) {
    const std::int16_t* p = pixel::signedWords(*this);
    std::int16_t lo = p[0], hi = p[0];
    pixel::widenRange(p, n, lo, hi);
    bufferMin = lo;
    bufferMax = hi;
  } else if (bufferbyte == kPixel32 && !Wordmode) {
    const std::int32_t* p = data32();
    std::int32_t lo = p[0], hi = p[0];
    pixel::widenRange(p, n, lo, hi);
    bufferMin = lo;
    bufferMax = hi;
  } else if (Wordmode) {
    // 32-bit and float while in word mode: the word range's empty result.
    bufferMax = 0;
    bufferMin = 65535;
  } else {
    bufferMax = 0;
    bufferMin = 0;
  }
}

namespace {

// Bin of one value: scaled down when the histogram top lies above 255, and
// clamped so that values above the top (or below 0) never leave the table.
struct Binner {
  float scale;
  std::int32_t operator()(std::int64_t value) const {
    double bin = static_cast<double>(value);
    if (scale < 1.0f) bin = std::trunc(bin * static_cast<double>(scale));
    return static_cast<std::int32_t>(std::clamp(bin, 0.0, 255.0));
  }
};

template <typename T>
void countBins(const T* p, std::size_t n, Binner bin, std::array<std::int32_t, 256>& data) {
  for (std::size_t i = 0; i < n; ++i) ++data[static_cast<std::size_t>(bin(p[i]))];
}

// 16-bit words: the bin of every possible value is looked up in a table made
// once per call, and four counter sets take turns so that equal neighbouring
// pixels (the sky) do not wait for each other's increments.
void countWordBins(const std::uint16_t* p, std::size_t n, Binner bin,
                   std::array<std::int32_t, 256>& data) {
  std::vector<std::uint8_t> table(65536);
  for (std::size_t v = 0; v < table.size(); ++v) {
    table[v] = static_cast<std::uint8_t>(bin(static_cast<std::int64_t>(v)));
  }
  std::array<std::array<std::uint32_t, 256>, 4> counts{};
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    ++counts[0][table[p[i]]];
    ++counts[1][table[p[i + 1]]];
    ++counts[2][table[p[i + 2]]];
    ++counts[3][table[p[i + 3]]];
  }
  for (; i < n; ++i) ++counts[0][table[p[i]]];
  for (std::size_t b = 0; b < 256; ++b) {
    data[b] += static_cast<std::int32_t>(counts[0][b] + counts[1][b] + counts[2][b] + counts[3][b]);
  }
}

// Empties the histogram for the top value `top` (255 when below 1) and
// returns the binning that goes with it.
Binner startHistogram(std::int32_t top, Timghistogram& hist) {
  if (top < 1) top = 255;
  hist.Max = top;
  hist.Scale = top >= 256 ? static_cast<float>(255.0 / top) : 1.0f;
  hist.data.fill(0);
  return Binner{hist.Scale};
}

}  // namespace

void Timgbuffer::getHistogram(std::int32_t Maxvalue, Timghistogram& hist) const {
  // The stored bufferMax may be stale; the histogram uses the image as it is.
  std::int32_t top = Maxvalue;
  if (top < 1) top = pixel::maxPixelValue(*this);
  const Binner bin = startHistogram(top, hist);

  const std::size_t n = pixel::storedPixels(*this);
  switch (bufferbyte) {
    case kPixel8:
      for (std::size_t i = 0; i < n; ++i) ++hist.data[data8()[i]];
      break;
    case kPixelUnset:
    case kPixel16:
      countWordBins(data16(), n, bin, hist.data);
      break;
    case kPixel32:
      countBins(data32(), n, bin, hist.data);
      break;
    default:
      break;  // float storage contributes nothing
  }
}

std::int32_t Timgbuffer::getmaxpixelAndHistogram(Timghistogram& hist) {
  if (!hasImage() || !pixel::isWordCode(bufferbyte)) {
    const std::int32_t top = getmaxpixel();
    getHistogram(top, hist);
    return top;
  }
  // How often each word occurs gives both: the largest word present and the
  // bins, in one pass over the frame instead of two.
  std::vector<std::uint32_t> counts(65536);
  const std::uint16_t* p = data16();
  const std::size_t n = pixel::storedPixels(*this);
  for (std::size_t i = 0; i < n; ++i) ++counts[p[i]];

  // Signed words count from 0 like getmaxpixel: negative ones never raise it.
  std::int32_t top = 0;
  for (std::int32_t v = Wordmode ? 65535 : 32767; v > 0; --v) {
    if (counts[static_cast<std::size_t>(v)] != 0) {
      top = v;
      break;
    }
  }
  bufferMax = top;
  const Binner bin = startHistogram(top, hist);
  // Summed unsigned like countWordBins, so the totals are the same.
  std::array<std::uint32_t, 256> bins{};
  for (std::size_t v = 0; v < counts.size(); ++v) {
    if (counts[v] != 0) bins[static_cast<std::size_t>(bin(static_cast<std::int64_t>(v)))] += counts[v];
  }
  for (std::size_t b = 0; b < bins.size(); ++b) hist.data[b] = static_cast<std::int32_t>(bins[b]);
  return top;
}

}  // namespace vargaze
