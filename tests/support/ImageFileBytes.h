// Image files built byte by byte in tests: a small test picture as FITS, BMP
// and PPM, BMP headers with any field, file times.
#pragma once

#include <gtest/gtest.h>
#include <sys/time.h>

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "support/FitsBuilder.h"

namespace vargaze::test {

inline void putLe16(std::string& out, std::uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8 & 0xFF);
}

inline void putLe32(std::string& out, std::uint32_t v) {
  putLe16(out, v & 0xFFFF);
  putLe16(out, v >> 16);
}

// Sets a file's modification time (seconds since the epoch, UTC, and microseconds).
inline void setModificationTime(const std::string& path, std::time_t seconds, long microseconds) {
  const timeval times[2] = {{seconds, microseconds}, {seconds, microseconds}};
  ASSERT_EQ(::utimes(path.c_str(), times), 0) << path;
}

// 2023-10-05T21:13:45Z: 19635 days after 1970-01-01 (JD 2460222.5 - 2440587.5)
// plus 21 h 13 min 45 s.
inline constexpr std::time_t kOct5Seconds = 19635LL * 86400 + 21 * 3600 + 13 * 60 + 45;
// Its Julian Date with 250 ms more: 2460222.5 + (21 + 13/60 + 45.25/3600) / 24.
inline constexpr double kOct5JD = 2460222.5 + (21.0 + 13.0 / 60.0 + 45.25 / 3600.0) / 24.0;

// The test picture: width x 3 pixels; channel c (1 red, 2 green, 3 blue) of
// column x, line y holds 60 c + 10 (y - 1) + x, all different and below 256.
// `sample` turns that into the stored sample of a format.
inline constexpr int kPictureHeight = 3;
inline int pictureValue(int x, int y, int c) { return 60 * c + 10 * (y - 1) + x; }
using Sample = std::function<int(int value)>;

// Channel 1 as a FITS image of `bitpix`, line 1 stored first, with BZERO when not 0.
inline std::string fitsPicture(int bitpix, int width, double bzero, const Sample& sample) {
  FitsBuilder f(bitpix, width, kPictureHeight);
  if (bzero != 0) f.card("BZERO", std::to_string(static_cast<long long>(bzero)));
  std::vector<double> stored;
  for (int y = 1; y <= kPictureHeight; ++y)
    for (int x = 1; x <= width; ++x) stored.push_back(sample(pictureValue(x, y, 1)) - bzero);
  return f.pixels(stored).bytes();
}

// A binary PPM; samples of two bytes, high byte first, when `maxValue` >= 256.
inline std::string ppmPicture(int width, int maxValue, const Sample& sample,
                              const std::string& sizeSeparator = " ") {
  std::string out = "P6\n" + std::to_string(width) + sizeSeparator +
                    std::to_string(kPictureHeight) + "\n" + std::to_string(maxValue) + "\n";
  for (int y = 1; y <= kPictureHeight; ++y) {
    for (int x = 1; x <= width; ++x) {
      for (int c = 1; c <= 3; ++c) {
        const int s = sample(pictureValue(x, y, c));
        if (maxValue >= 256) out += static_cast<char>(s >> 8);
        out += static_cast<char>(s & 0xFF);
      }
    }
  }
  return out;
}

struct BmpHeader {
  std::int32_t width = 0;
  std::int32_t height = 0;  // negative: top row stored first
  std::uint32_t infoSize = 40;
  std::uint16_t planes = 1;
  std::uint16_t bits = 24;
  std::uint32_t compression = 0;
  std::uint32_t dataOffset = 54;
};

// The 14-byte file header and the 40-byte information header.
inline std::string bmpHeaders(const BmpHeader& h) {
  std::string out = "BM";
  for (std::uint32_t v : {0u, 0u, h.dataOffset, h.infoSize, std::uint32_t(h.width),
                          std::uint32_t(h.height)})
    putLe32(out, v);
  putLe16(out, h.planes);
  putLe16(out, h.bits);
  for (std::uint32_t v : {h.compression, 0u, 2835u, 2835u, 0u, 0u}) putLe32(out, v);
  return out;
}

// A 24-bit BMP: blue, green, red bytes, rows padded to 4 bytes. Line 1 is the
// picture's bottom row, stored first unless `topDown`.
inline std::string bmpPicture(int width, bool topDown) {
  std::string out = bmpHeaders({width, topDown ? -kPictureHeight : kPictureHeight});
  for (int row = 1; row <= kPictureHeight; ++row) {
    const int y = topDown ? kPictureHeight + 1 - row : row;
    for (int x = 1; x <= width; ++x)
      for (int c = 3; c >= 1; --c) out += static_cast<char>(pictureValue(x, y, c));
    out.resize(out.size() + (4 - width * 3 % 4) % 4, '\0');
  }
  return out;
}

}  // namespace vargaze::test
