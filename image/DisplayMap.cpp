// Display mapping: grey palette, palette reduction and the index image.
#include "image/DisplayMap.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "base/Errors.h"
#include "base/Numbers.h"
#include "image/PixelLoops.h"

namespace vargaze {

bool GetGrayPalette(TPalette256& gPal, bool inverted) {
  gPal.palVersion = 0x300;
  gPal.palNumEntries = 256;
  for (int i = 0; i < 256; ++i) {
    const auto grey = static_cast<std::uint8_t>(inverted ? 255 - i : i);
    gPal.palPalEntry[static_cast<std::size_t>(i)] = {grey, grey, grey, kPaletteNoCollapse};
  }
  return true;
}

TPalette256 CreatePalette256(const TPalette256& pal256, int DCnumcolors) {
  TPalette256 pal;
  if (DCnumcolors == 256) {
    // A hardware palette leaves room for the system colours: half the ramp.
    pal.palNumEntries = 128;
    for (std::size_t k = 0; k < 128; ++k) pal.palPalEntry[k] = pal256.palPalEntry[2 * k];
  } else {
    pal.palNumEntries = 256;
    pal.palPalEntry = pal256.palPalEntry;
  }
  for (std::size_t k = 0; k < pal.palNumEntries; ++k) {
    pal.palPalEntry[k].flags = kPaletteNoCollapse;
  }
  return pal;
}

int BitmapMaxIndex(int DCnumcolors) {
  return DCnumcolors == 256 ? 127 : 255;
}

TDisplayLevels EffectiveDisplayLevels(const Timgbuffer& img, std::int32_t ilt, std::int32_t iut) {
  // Percent of the image maximum, -50 meaning half of it.
  auto percentOfMax = [&img](std::int32_t level) {
    return static_cast<std::int64_t>(
        roundHalfEven(img.bufferMax * 0.01 * -static_cast<double>(level)));
  };
  TDisplayLevels levels{ilt, iut};
  if (img.Wordmode) {
    if (ilt < 0) levels.lower = percentOfMax(ilt);
    if (iut < 0) levels.upper = percentOfMax(iut);
  }
  if (levels.upper <= levels.lower) levels.upper = levels.lower + 1;
  return levels;
}

namespace {

// min(bmpmax, round(x)) as an index; NaN and values that round to 0 or
// below give 0.
std::uint8_t limitedIndex(double x, int bmpmax) {
  const double r = roundHalfEven(x);
  if (!(r > 0.0)) return 0;
  if (r >= bmpmax) return static_cast<std::uint8_t>(bmpmax);
  return static_cast<std::uint8_t>(r);
}

// The index of one pixel value: linear for 8-bit images, with the gamma
// exponent for the others.
struct IndexFormula {
  std::int64_t lower = 0;
  std::int64_t upper = 1;
  float c = 0.0f;
  double gamma = 1.0;
  bool linear = false;
  int bmpmax = 255;

  std::uint8_t operator()(std::int64_t value) const {
    const std::int64_t d = value - lower;
    if (d <= 0) return 0;
    const double scaled = linear ? static_cast<double>(d) * static_cast<double>(c)
                                 : std::pow(static_cast<double>(d), gamma) * static_cast<double>(c);
    return limitedIndex(scaled, bmpmax);
  }
};

IndexFormula formulaFor(const Timgbuffer& img, TDisplayLevels levels, double gamma, int bmpmax) {
  IndexFormula f;
  f.lower = levels.lower;
  f.upper = levels.upper;
  f.gamma = gamma;
  f.bmpmax = bmpmax;
  f.linear = img.bufferbyte == kPixel8;
  const double span = static_cast<double>(levels.upper - levels.lower);
  // An image whose maximum lies at most 1 above the lower level shows black.
  if (std::int64_t{img.bufferMax} - levels.lower >= 2) {
    f.c = static_cast<float>(f.linear ? bmpmax / span : bmpmax / std::pow(span, gamma));
  }
  return f;
}

// Table of indices for the values first..last. Values at or below the lower
// level are 0 by the formula; with a positive gamma and c the formula grows
// with the value and reaches bmpmax at the upper level (c is bmpmax over the
// span's power, short of it by far less than one half), so only the values in
// between need a power.
std::vector<std::uint8_t> indexTable(const IndexFormula& f, std::int64_t first, std::int64_t last) {
  std::vector<std::uint8_t> table(static_cast<std::size_t>(last - first + 1));
  for (std::int64_t v = first; v <= last; ++v) {
    std::uint8_t& entry = table[static_cast<std::size_t>(v - first)];
    if (v <= f.lower) {
      entry = 0;
    } else if (v >= f.upper && f.c > 0.0f) {
      entry = static_cast<std::uint8_t>(f.bmpmax);
    } else {
      entry = f(v);
    }
  }
  return table;
}

// One pass over the image, row by row into the padded rows.
template <typename T, typename Map>
void mapRows(const T* pixels, const Timgbuffer& img, TIndexImage& out, Map&& map) {
  const auto width = static_cast<std::size_t>(img.xsize);
  for (std::size_t row = 0; row < static_cast<std::size_t>(img.ysize); ++row) {
    const T* src = pixels + row * width;
    std::uint8_t* dst = out.indices.data() + row * static_cast<std::size_t>(out.rowBytes);
    pixel::forEachIndex(width, [&](std::size_t x) { dst[x] = map(src[x]); });
  }
}

template <typename T>
void mapThroughFullTable(const T* pixels, const Timgbuffer& img, const IndexFormula& f,
                         std::int64_t top, TIndexImage& out) {
  const std::vector<std::uint8_t> table = indexTable(f, 0, top);
  const std::uint8_t* t = table.data();
  mapRows(pixels, img, out, [t](T v) { return t[v]; });
}

// 32-bit values span too much for a table of them all: the ends map to 0 and
// bmpmax, and a table covers the values between when that range is no larger
// than the image; a wider range is cheaper computed per pixel.
void mapLongs(const Timgbuffer& img, const IndexFormula& f, TIndexImage& out) {
  const std::int64_t first = f.lower + 1;
  const std::int64_t last = f.upper - 1;
  const auto top = static_cast<std::uint8_t>(f.bmpmax);
  if (last - first + 1 > img.pixelCount()) {
    mapRows(img.data32(), img, out, [&f](std::int32_t v) { return f(v); });
    return;
  }
  const std::vector<std::uint8_t> table = indexTable(f, first, std::max(first, last));
  const std::uint8_t* t = table.data();
  mapRows(img.data32(), img, out, [t, first, last, top](std::int32_t v) -> std::uint8_t {
    if (v < first) return 0;
    if (v > last) return top;
    return t[v - first];
  });
}

}  // namespace

TIndexImage LoadfromBufferGamma(const Timgbuffer& img, std::int32_t ilt, std::int32_t iut,
                                double gamma, int bmpmax) {
  if (bmpmax < 1 || bmpmax > 255) {
    throw RangeError("display index limit out of range: " + std::to_string(bmpmax));
  }
  if (!(std::isfinite(gamma) && gamma > 0.0)) {
    throw RangeError("display gamma must be positive: " + formatGeneral(gamma));
  }
  TIndexImage out;
  out.width = std::max(0, img.xsize);
  out.height = std::max(0, img.ysize);
  out.rowBytes = (out.width + 3) / 4 * 4;
  out.indices.assign(static_cast<std::size_t>(out.rowBytes) * static_cast<std::size_t>(out.height),
                     0);
  if (!img.hasImage()) return out;

  const IndexFormula f = formulaFor(img, EffectiveDisplayLevels(img, ilt, iut), gamma, bmpmax);
  if (f.c == 0.0f) return out;  // every index 0
  switch (img.bufferbyte) {
    case kPixel8:
      mapThroughFullTable(img.data8(), img, f, 255, out);
      break;
    case kPixelUnset:
    case kPixel16:
      mapThroughFullTable(img.data16(), img, f, 65535, out);
      break;
    case kPixel32:
      mapLongs(img, f, out);
      break;
    default:
      break;  // float images stay black
  }
  return out;
}

}  // namespace vargaze
