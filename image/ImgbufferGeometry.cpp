// Timgbuffer: flips, quarter turns and binning.
#include <algorithm>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "base/Numbers.h"
#include "image/Imgbuffer.h"
#include "image/PixelLoops.h"

namespace vargaze {

namespace {

template <typename T>
void reverseLines(T* p, std::int32_t xsize, std::int32_t ysize) {
  const auto w = static_cast<std::size_t>(xsize);
  for (std::size_t y = 0; y < static_cast<std::size_t>(ysize); ++y) {
    std::reverse(p + y * w, p + (y + 1) * w);
  }
}

// Old pixel (x, y) goes to (h - y + 1, x) of the turned image, which is h wide.
template <typename T>
void turnPixels(const T* src, T* dst, std::int32_t w, std::int32_t h) {
  const auto width = static_cast<std::size_t>(w);
  const auto height = static_cast<std::size_t>(h);
  for (std::size_t y = 0; y < height; ++y) {
    const T* line = src + y * width;
    const std::size_t column = height - 1 - y;
    for (std::size_t x = 0; x < width; ++x) dst[x * height + column] = line[x];
  }
}

void quarterTurn(Timgbuffer& img) {
  if (!img.hasImage()) return;
  const std::size_t bytes =
      static_cast<std::size_t>(img.pixelCount()) * bytesPerPixel(img.bufferbyte);
  auto turned = std::make_unique_for_overwrite<std::byte[]>(bytes);
  std::byte* dst = turned.get();
  switch (img.bufferbyte) {
    case kPixel8:
      turnPixels(img.data8(), reinterpret_cast<std::uint8_t*>(dst), img.xsize, img.ysize);
      break;
    case kPixel16:
      turnPixels(img.data16(), reinterpret_cast<std::uint16_t*>(dst), img.xsize, img.ysize);
      break;
    case kPixel32:
      turnPixels(img.data32(), reinterpret_cast<std::int32_t*>(dst), img.xsize, img.ysize);
      break;
    case kPixelFloat:
      turnPixels(img.dataFloat(), reinterpret_cast<float*>(dst), img.xsize, img.ysize);
      break;
    default:
      return;
  }
  img.bufferpointer = std::move(turned);
  std::swap(img.xsize, img.ysize);
}

// Adds one stored line into the accumulators (float storage adds nothing).
void addLine(const Timgbuffer& img, std::int32_t y, std::vector<std::int64_t>& acc) {
  const std::size_t start = static_cast<std::size_t>(y - 1) * static_cast<std::size_t>(img.xsize);
  const std::size_t w = acc.size();
  switch (img.bufferbyte) {
    case kPixel8:
      for (std::size_t x = 0; x < w; ++x) acc[x] += img.data8()[start + x];
      break;
    case kPixelUnset:
    case kPixel16:
      for (std::size_t x = 0; x < w; ++x) acc[x] += img.data16()[start + x];
      break;
    case kPixel32:
      for (std::size_t x = 0; x < w; ++x) acc[x] += img.data32()[start + x];
      break;
    default:
      break;
  }
}

}  // namespace

void Timgbuffer::flipvertical() {
  if (bufferbyte == kPixelUnset) bufferbyte = kPixel16;
  Flipped = !Flipped;
  if (!hasImage()) return;
  const std::size_t line = static_cast<std::size_t>(xsize) * bytesPerPixel(bufferbyte);
  std::byte* p = bufferpointer.get();
  for (std::int32_t y = 0; y < ysize / 2; ++y) {
    std::byte* top = p + static_cast<std::size_t>(y) * line;
    std::byte* bottom = p + static_cast<std::size_t>(ysize - 1 - y) * line;
    std::swap_ranges(top, top + line, bottom);
  }
}

void Timgbuffer::fliphorizontal() {
  if (bufferbyte == kPixelUnset) bufferbyte = kPixel16;
  Mirrored = !Mirrored;
  if (!hasImage()) return;
  switch (bufferbyte) {
    case kPixel8:
      reverseLines(data8(), xsize, ysize);
      break;
    case kPixel16:
      reverseLines(data16(), xsize, ysize);
      break;
    case kPixel32:
      reverseLines(data32(), xsize, ysize);
      break;
    case kPixelFloat:
      reverseLines(dataFloat(), xsize, ysize);
      break;
    default:
      break;
  }
}

void Timgbuffer::rotate90(std::uint8_t n) {
  const bool wasFlipped = Flipped;
  const bool wasMirrored = Mirrored;
  const int quarters = n % 4;
  if (quarters != 0 && bufferbyte == kPixelUnset) bufferbyte = kPixel16;
  if (quarters >= 2) {
    flipvertical();
    fliphorizontal();
  }
  if (quarters % 2 == 1) quarterTurn(*this);
  rotated = static_cast<std::uint8_t>((rotated + n) % 4);
  // The flips made on the way are part of the turn, not flips of the user.
  Flipped = wasFlipped;
  Mirrored = wasMirrored;
  setFitskey(fitsheader, "NAXIS1", std::to_string(xsize));
  setFitskey(fitsheader, "NAXIS2", std::to_string(ysize));
}

void Timgbuffer::binning(std::uint8_t n) {
  if (n != 2 && n != 3) return;
  const std::int32_t nx = xsize / n;
  const std::int32_t ny = ysize / n;
  Timgbuffer binned;
  if (binned.init(nx, ny, kPixel32) == 0 && hasImage()) {
    const double mean = 1.0 / (n * n);
    std::vector<std::int64_t> lineSums(static_cast<std::size_t>(xsize));
    std::int32_t* out = binned.data32();
    for (std::int32_t Y = 1; Y <= ny; ++Y) {
      std::fill(lineSums.begin(), lineSums.end(), 0);
      for (std::int32_t k = 1; k <= n; ++k) addLine(*this, n * (Y - 1) + k, lineSums);
      for (std::int32_t X = 1; X <= nx; ++X) {
        const auto first = lineSums.begin() + n * (X - 1);
        const std::int64_t sum = std::accumulate(first, first + n, std::int64_t{0});
        *out++ = roundToInt32(static_cast<double>(sum) * mean);
      }
    }
  }
  binned.getmaxpixel();
  gettemp(binned);
  postbinned = n;
  PixScale *= n;  // a binned pixel spans n original pixels
  setFitskey(fitsheader, "BITPIX", "32");
  setFitskey(fitsheader, "BZERO", "0");
  setFitskey(fitsheader, "NAXIS1", std::to_string(xsize));
  setFitskey(fitsheader, "NAXIS2", std::to_string(ysize));
}

}  // namespace vargaze
