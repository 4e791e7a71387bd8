#include "image/BayerFrame.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/Numbers.h"
#include "base/Strings.h"
#include "image/ColourFile.h"
#include "image/FitsHeader.h"
#include "image/Imgbuffer.h"

namespace vargaze {

namespace {

int parity(std::int64_t value) { return static_cast<int>(((value % 2) + 2) % 2); }

// A missing or unreadable value counts 0.
std::int32_t integerOr0(const FitsHeader& header, std::string_view key) {
  bool error = false;
  return getFitskeyInteger(header, key, error);
}

// Where in every 2 x 2 cell one pixel of the wanted colour lies (0-based
// column and row); a channel adds its one or two pixels of each cell.
struct CellOffset {
  int dx;
  int dy;
};

template <typename T>
void sumCells(const T* mosaic, std::int32_t width, const std::vector<CellOffset>& offsets,
              std::int32_t* out, std::int32_t cellsX, std::int32_t cellsY) {
  for (std::int32_t Y = 0; Y < cellsY; ++Y) {
    for (std::int32_t X = 0; X < cellsX; ++X) {
      std::int64_t sum = 0;
      for (const CellOffset& o : offsets) {
        sum += mosaic[std::int64_t{2 * Y + o.dy} * width + 2 * X + o.dx];
      }
      *out++ = checkedInt32(sum);
    }
  }
}

}  // namespace

bool isBayerPatternName(std::string_view text) {
  const std::string name = stUpcase(Trim(text));
  return name == "RGGB" || name == "BGGR" || name == "GRBG" || name == "GBRG";
}

BayerLayout bayerLayout(const FitsHeader& header) {
  bool error = false;
  if (getFitskeyInteger(header, "NAXIS", error) != 2 || error) return {};
  const std::int32_t bitpix = getFitskeyInteger(header, "BITPIX", error);
  if (error || (bitpix != 8 && bitpix != 16 && bitpix != 32)) return {};
  std::string named = Trim(getFitskeyString(header, "BAYERPAT"));
  if (named.empty()) {
    named = Trim(getFitskeyString(header, "FILTER"));
    if (!isBayerPatternName(named)) return {};
  } else if (!isBayerPatternName(named)) {
    return {"", "unknown Bayer pattern '" + named + "' (BAYERPAT): read as a monochrome frame"};
  }
  named = stUpcase(named);

  // BAYERPAT names the colours of the picture's top-left cell; XBAYROFF and
  // YBAYROFF shift the pattern by columns and rows counted from that corner.
  // A file written 'BOTTOM-UP' holds the picture's bottom row first, so its
  // stored row r is row height - 1 - r from the top; 'TOP-DOWN' (or no
  // ROWORDER) stores the top row first.
  const bool bottomUp = stUpcase(Trim(getFitskeyString(header, "ROWORDER"))) == "BOTTOM-UP";
  const std::int32_t height = integerOr0(header, "NAXIS2");
  const std::int32_t xOffset = integerOr0(header, "XBAYROFF");
  const std::int32_t yOffset = integerOr0(header, "YBAYROFF");
  BayerLayout layout;
  for (int row = 0; row < 2; ++row) {
    const std::int64_t fromTop = bottomUp ? std::int64_t{height} - 1 - row : row;
    const int patternRow = parity(fromTop + yOffset);
    for (int column = 0; column < 2; ++column) {
      layout.pattern += named[2 * patternRow + parity(std::int64_t{column} + xOffset)];
    }
  }
  return layout;
}

bool extractBayerChannel(Timgbuffer& img, int color) {
  const std::int32_t cellsX = img.xsize / 2;
  const std::int32_t cellsY = img.ysize / 2;
  if (!isColourChannel(color) || img.bayerPattern.size() != 4 || cellsX == 0 || cellsY == 0 ||
      !img.hasImage()) {
    img.readError = "no colour channel: the frame holds no complete Bayer cell";
    return false;
  }
  std::vector<CellOffset> offsets;
  for (int k = 0; k < 4; ++k) {
    if (img.bayerPattern[static_cast<std::size_t>(k)] == "RGB"[color - 1]) {
      offsets.push_back({k % 2, k / 2});
    }
  }
  auto channel = std::make_unique_for_overwrite<std::byte[]>(
      static_cast<std::size_t>(std::int64_t{cellsX} * cellsY) * 4);
  auto* out = reinterpret_cast<std::int32_t*>(channel.get());
  switch (img.bufferbyte) {
    case kPixel8: sumCells(img.data8(), img.xsize, offsets, out, cellsX, cellsY); break;
    case kPixel32: sumCells(img.data32(), img.xsize, offsets, out, cellsX, cellsY); break;
    default: sumCells(img.data16(), img.xsize, offsets, out, cellsX, cellsY); break;
  }
  // Storage is replaced directly: the header keeps the file's own cards.
  img.bufferpointer = std::move(channel);
  img.xsize = cellsX;
  img.ysize = cellsY;
  img.bufferbyte = kPixel32;
  img.Wordmode = false;
  // Each pixel is the sum of one or two stored values, each offset alike.
  img.Offset1 *= static_cast<double>(offsets.size());
  img.getminmax();
  markColourPlane(img, color);
  img.Xbinning = static_cast<std::uint16_t>(std::min(2 * img.Xbinning, 65535));
  img.Ybinning = static_cast<std::uint16_t>(std::min(2 * img.Ybinning, 65535));
  img.PixScale *= 2.0;
  img.bayerPattern.clear();
  return true;
}

}  // namespace vargaze
