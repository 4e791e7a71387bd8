// BMP reader: one colour channel of an uncompressed 24-bit Windows bitmap.
//
// Layout: a 14-byte file header ("BM", file size, reserved, offset of the
// pixel data), an information header of at least 40 bytes (size, width,
// height, planes, bits per pixel, compression, ...), then rows of blue,
// green, red bytes, each padded to a multiple of 4 bytes. A positive height
// stores the bottom row first, a negative one the top row first.
#include <cstdlib>
#include <string>
#include <vector>

#include "image/BinaryFile.h"
#include "image/ColourFile.h"
#include "image/Imgbuffer.h"

namespace vargaze {

namespace {

constexpr std::int64_t kFileHeaderSize = 14;
constexpr std::int64_t kInfoHeaderSize = 40;

std::uint32_t u32(const unsigned char* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}
std::int32_t i32(const unsigned char* p) {
  return static_cast<std::int32_t>(u32(p));
}
std::uint16_t u16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

struct BmpLayout {
  std::int64_t width = 0;
  std::int64_t height = 0;  // number of rows, positive
  bool topDown = false;
  std::int64_t dataOffset = 0;
  std::int64_t rowStride = 0;
};

// Checks both headers against each other and against the file length; on
// failure returns the reason.
std::string parseHeaders(const BinaryFile& file, BmpLayout& layout) {
  unsigned char head[kFileHeaderSize + kInfoHeaderSize];
  if (file.size() < static_cast<std::int64_t>(sizeof head) || !file.readAt(0, head, sizeof head)) {
    return "not a BMP file (shorter than its headers)";
  }
  if (head[0] != 'B' || head[1] != 'M') return "not a BMP file (no BM signature)";
  const unsigned char* info = head + kFileHeaderSize;
  const std::int64_t infoSize = u32(info);
  if (infoSize < kInfoHeaderSize) {
    return "unsupported BMP header (" + std::to_string(infoSize) + " bytes)";
  }
  const std::uint16_t bits = u16(info + 14);
  if (bits != 24) {
    return "only 24-bit BMP files are read (this one has " + std::to_string(bits) +
           " bits per pixel)";
  }
  if (u32(info + 16) != 0) return "compressed BMP files are not read";
  if (u16(info + 12) != 1) return "corrupt BMP header (planes must be 1)";

  const std::int64_t width = i32(info + 4);
  const std::int64_t height = i32(info + 8);
  if (width <= 0 || height == 0) {
    return "no image data (width " + std::to_string(width) + ", height " + std::to_string(height) +
           ")";
  }
  layout.width = width;
  layout.height = std::llabs(height);
  layout.topDown = height < 0;
  if (layout.width * layout.height > kMaxPixels) {
    return "image too large (" + std::to_string(layout.width) + " x " +
           std::to_string(layout.height) + " pixels, at most " + std::to_string(kMaxPixels) + ")";
  }
  layout.dataOffset = u32(head + 10);
  if (layout.dataOffset < kFileHeaderSize + infoSize) {
    return "corrupt BMP header (pixel data inside the headers)";
  }
  layout.rowStride = (width * 3 + 3) / 4 * 4;
  // The last row's padding may be missing; its pixels may not.
  const std::int64_t needed =
      layout.dataOffset + layout.rowStride * (layout.height - 1) + layout.width * 3;
  if (file.size() < needed) {
    return "truncated data (" + std::to_string(file.size()) + " bytes, " + std::to_string(needed) +
           " needed)";
  }
  return {};
}

}  // namespace

bool Timgbuffer::ReadBMPfile(const std::string& bmpfilename, int color) {
  if (!isColourChannel(color)) {
    readError = "colour channel must be 1, 2 or 3";
    return false;
  }
  BinaryFile file;
  std::string error;
  BmpLayout layout;
  if (file.open(bmpfilename, error)) error = parseHeaders(file, layout);
  if (!error.empty()) {
    readError = error;
    return false;
  }

  // Filled apart, so a failure leaves this buffer as it was.
  Timgbuffer img;
  const auto width = static_cast<std::int32_t>(layout.width);
  const auto height = static_cast<std::int32_t>(layout.height);
  img.init(width, height, kPixel16, PixelFill::Uninitialized);
  std::vector<unsigned char> row(static_cast<std::size_t>(layout.width) * 3);
  const auto channel = static_cast<std::size_t>(3 - color);  // blue, green, red
  for (std::int32_t r = 0; r < height; ++r) {
    if (!file.readAt(layout.dataOffset + layout.rowStride * r, row.data(), row.size())) {
      readError = "truncated data (read error)";
      return false;
    }
    // Line 1 is the picture's bottom row.
    const std::int32_t line = layout.topDown ? height - r : r + 1;
    std::uint16_t* out = img.data16() + std::int64_t{line - 1} * width;
    for (std::size_t x = 0; x < row.size() / 3; ++x) out[x] = row[x * 3 + channel];
  }

  img.filename = bmpfilename;
  markColourPlane(img, color);
  setTimeFromFile(img, file.modified());
  img.getminmax();
  img.UpdateFitsHeader();
  *this = std::move(img);
  return true;
}

}  // namespace vargaze
