// Baseline JPEG encoding of a 24-bit RGB picture through libjpeg, in memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vargaze {

// Quality of the exported frames.
inline constexpr int kJpegQuality = 90;

// A picture of `width` x `height` pixels, 3 bytes (red, green, blue) each,
// rows from the top, no padding.
struct RgbPicture {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint8_t> rgb;
};

// Encodes the picture as a baseline (not progressive) JPEG file image of the
// given quality (1..100). False with the reason in `error` for an empty or
// oversized picture (JPEG sides end at 65500) or an encoder failure.
bool encodeJpeg(const RgbPicture& picture, int quality, std::string& jpeg, std::string& error);

}  // namespace vargaze
