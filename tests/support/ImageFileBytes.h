// Little pieces for building image files byte by byte in tests.
#pragma once

#include <gtest/gtest.h>
#include <sys/time.h>

#include <cstdint>
#include <ctime>
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

}  // namespace vargaze::test
