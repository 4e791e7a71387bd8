// ROI-file records built byte by byte, independently of the program's writer.
#pragma once

#include <bit>
#include <cstdint>
#include <string>

namespace vargaze::test {

// One 28-byte ROI-file record: five little-endian int32 (star box x, y, sky
// position x, y, size), the comparison flag, three zero bytes, the reference
// magnitude as a little-endian float.
inline std::string roiRecord(std::int32_t x0a, std::int32_t y0a, std::int32_t x0b,
                             std::int32_t y0b, std::int32_t d, bool ref = false, float rmag = 0) {
  std::string out;
  for (const std::uint32_t v : {std::uint32_t(x0a), std::uint32_t(y0a), std::uint32_t(x0b),
                                std::uint32_t(y0b), std::uint32_t(d), std::uint32_t(ref),
                                std::bit_cast<std::uint32_t>(rmag)}) {
    for (int b = 0; b < 4; ++b) out += char((v >> (8 * b)) & 0xFF);
  }
  return out;
}

}  // namespace vargaze::test
