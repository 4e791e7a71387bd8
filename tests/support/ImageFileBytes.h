// Little-endian fields for image files built byte by byte in tests (BMP headers).
#pragma once

#include <cstdint>
#include <string>

namespace vargaze::test {

inline void putLe16(std::string& out, std::uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8 & 0xFF);
}

inline void putLe32(std::string& out, std::uint32_t v) {
  putLe16(out, v & 0xFFFF);
  putLe16(out, v >> 16);
}

}  // namespace vargaze::test
