// PPM reader: one colour channel of a binary ("P6") portable pixmap, the
// format the raw converter writes.
//
// The header is three lines within the first 20 bytes: "P6", width and height
// separated by blanks or commas, the maximum sample value. No comment lines.
// Samples are one byte for a maximum below 256, else two bytes, high byte first.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "base/Strings.h"
#include "image/BinaryFile.h"
#include "image/ColourFile.h"
#include "image/Imgbuffer.h"

namespace vargaze {

namespace {

constexpr std::int64_t kHeaderBytes = 20;

struct PpmLayout {
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::int64_t maxValue = 0;
  std::int64_t dataOffset = 0;
};

// A positive decimal integer of digits only; false for anything else,
// including values beyond 32 bits.
bool parsePositive(std::string_view text, std::int64_t& value) {
  if (text.empty() || text.size() > 10) return false;
  std::int64_t v = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v <= 0 || v > INT32_MAX) return false;
  value = v;
  return true;
}

// Reads and checks the header; on failure returns the reason.
std::string parseHeader(const BinaryFile& file, PpmLayout& layout) {
  char head[kHeaderBytes];
  const std::int64_t n = std::min(file.size(), kHeaderBytes);
  if (!file.readAt(0, head, static_cast<std::size_t>(n))) return "cannot read the file";
  const std::string_view text(head, static_cast<std::size_t>(n));
  if (text.substr(0, 2) == "P3") return "text PPM files (P3) are not read, only binary ones (P6)";
  if (text.substr(0, 2) != "P6") return "not a binary PPM file (no P6 signature)";

  std::size_t lf[3];
  std::size_t from = 0;
  for (std::size_t& pos : lf) {
    pos = text.find('\n', from);
    if (pos == std::string_view::npos) {
      return "PPM header not read (it must be three lines within 20 bytes, without comments)";
    }
    from = pos + 1;
  }
  const std::string_view sizes = text.substr(lf[0] + 1, lf[1] - lf[0] - 1);
  const std::string_view maximum = text.substr(lf[1] + 1, lf[2] - lf[1] - 1);
  if (!parsePositive(extractword(1, sizes, " ,"), layout.width) ||
      !parsePositive(extractword(2, sizes, " ,"), layout.height)) {
    return "PPM size not read (\"" + std::string(sizes) + "\")";
  }
  if (!parsePositive(extractword(1, maximum, " ,"), layout.maxValue) || layout.maxValue > 65535) {
    return "PPM maximum value not read or out of range (\"" + std::string(maximum) + "\")";
  }
  if (layout.width * layout.height > kMaxPixels) {
    return "image too large (" + std::to_string(layout.width) + " x " +
           std::to_string(layout.height) + " pixels, at most " + std::to_string(kMaxPixels) + ")";
  }
  layout.dataOffset = static_cast<std::int64_t>(lf[2]) + 1;
  const std::int64_t sampleBytes = layout.maxValue >= 256 ? 2 : 1;
  const std::int64_t needed = layout.dataOffset + layout.width * layout.height * 3 * sampleBytes;
  if (file.size() < needed) {
    return "truncated data (" + std::to_string(file.size()) + " bytes, " + std::to_string(needed) +
           " needed)";
  }
  return {};
}

// Picks one channel out of a line of interleaved samples.
void copyChannel(const std::vector<unsigned char>& line, std::int32_t width, int color, bool wide,
                 Timgbuffer& img, std::int32_t y) {
  const auto channel = static_cast<std::size_t>(color - 1);
  const auto count = static_cast<std::size_t>(width);
  const std::int64_t start = std::int64_t{y - 1} * width;
  if (wide) {
    std::uint16_t* out = img.data16() + start;
    for (std::size_t x = 0; x < count; ++x) {
      const std::size_t at = x * 6 + 2 * channel;
      out[x] = static_cast<std::uint16_t>(line[at] << 8 | line[at + 1]);
    }
  } else {
    std::uint8_t* out = img.data8() + start;
    for (std::size_t x = 0; x < count; ++x) out[x] = line[x * 3 + channel];
  }
}

}  // namespace

bool Timgbuffer::ReadPPMfile(const std::string& ppmfilename, int color) {
  if (!isColourChannel(color)) {
    readError = "colour channel must be 1, 2 or 3";
    return false;
  }
  BinaryFile file;
  std::string error;
  PpmLayout layout;
  if (file.open(ppmfilename, error)) error = parseHeader(file, layout);
  if (!error.empty()) {
    readError = error;
    return false;
  }

  // Filled apart, so a failure leaves this buffer as it was.
  Timgbuffer img;
  const bool wide = layout.maxValue >= 256;
  const auto width = static_cast<std::int32_t>(layout.width);
  const auto height = static_cast<std::int32_t>(layout.height);
  img.init(width, height, wide ? kPixel16 : kPixel8, PixelFill::Uninitialized);
  const std::int64_t lineBytes = layout.width * 3 * (wide ? 2 : 1);
  std::vector<unsigned char> line(static_cast<std::size_t>(lineBytes));
  for (std::int32_t y = 1; y <= height; ++y) {
    if (!file.readAt(layout.dataOffset + lineBytes * (y - 1), line.data(), line.size())) {
      readError = "truncated data (read error)";
      return false;
    }
    copyChannel(line, width, color, wide, img, y);
  }

  img.filename = ppmfilename;
  markColourPlane(img, color);
  setTimeFromFile(img, file.modified());
  img.getminmax();
  img.UpdateFitsHeader();
  *this = std::move(img);
  return true;
}

}  // namespace vargaze
