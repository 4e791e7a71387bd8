// Little-endian fields for image files built byte by byte in tests (BMP headers).
#pragma once

#include <cstdint>
#include <string>

namespace vargaze::test {

inline void putLe32(std::string& out, std::uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>(v >> shift & 0xFF);
}

}  // namespace vargaze::test
