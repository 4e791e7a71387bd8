// The display mapping: pixel values between a lower and an upper level become
// 8-bit palette indices (with a gamma exponent for 16/32-bit images), laid out
// as the padded index image that the image window hands to the toolkit, plus
// the grey palette. No toolkit code here: the window turns indices into
// colours through the palette.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/Imgbuffer.h"

namespace vargaze {

struct TPaletteEntry {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t flags = 0;
};

// Flag that keeps a palette entry from being merged with other entries.
inline constexpr std::uint8_t kPaletteNoCollapse = 4;

struct TPalette256 {
  std::uint16_t palVersion = 0x300;
  std::uint16_t palNumEntries = 256;
  std::array<TPaletteEntry, 256> palPalEntry{};
};

// Grey ramp: entry i is i (or 255 - i when inverted) in all three colours,
// flags 4. Always true.
bool GetGrayPalette(TPalette256& gPal, bool inverted);

// The palette the window realises for a screen with `DCnumcolors` palette
// entries: on a 256-colour palette display 128 entries, entry k taking the
// colour of entry 2k (the rest stay zero); otherwise all 256. Every entry
// gets flags 4.
TPalette256 CreatePalette256(const TPalette256& pal256, int DCnumcolors);

// Highest index the mapping uses (bmpmax): 127 on a 256-colour palette
// display, else 255.
int BitmapMaxIndex(int DCnumcolors);

// The 8-bit index image: `height` rows, row 1 of the image at the top, each
// row `rowBytes` long (width rounded up to a multiple of 4, padding zero).
struct TIndexImage {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t rowBytes = 0;
  std::vector<std::uint8_t> indices;

  // Index of pixel (x, y), 1-based like the image buffer.
  std::uint8_t at(std::int32_t x, std::int32_t y) const {
    return indices[static_cast<std::size_t>(y - 1) * static_cast<std::size_t>(rowBytes) +
                   static_cast<std::size_t>(x - 1)];
  }
};

// The display levels after the percentage and order rules: with img.Wordmode
// a negative level -p stands for p percent of bufferMax; an upper level at or
// below the lower one becomes lower + 1. 64-bit, so lower + 1 cannot overflow.
struct TDisplayLevels {
  std::int64_t lower = 0;
  std::int64_t upper = 1;
};
TDisplayLevels EffectiveDisplayLevels(const Timgbuffer& img, std::int32_t ilt, std::int32_t iut);

// Maps every pixel to its index, with d = value - lower:
//   8-bit:      c = bmpmax / (upper - lower) as a float, or 0 when
//               bufferMax - lower <= 1; index = min(bmpmax, round(d * c)).
//   16/32-bit:  c = bmpmax / (upper - lower)^gamma as a float, or 0 when
//               bufferMax - lower < 2; index = min(bmpmax, round(d^gamma * c)).
//   d <= 0 gives 0; float images are all 0.
// `bmpmax` must lie in 1..255 and `gamma` be finite and positive, else
// RangeError. Built through a table per call, so a redraw costs one lookup
// per pixel.
TIndexImage LoadfromBufferGamma(const Timgbuffer& img, std::int32_t ilt, std::int32_t iut,
                                double gamma, int bmpmax);

}  // namespace vargaze
