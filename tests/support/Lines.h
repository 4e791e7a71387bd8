// Splitting text into lines for comparisons.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vargaze::test {

// Lines ended by LF, a CR before the LF dropped; a last line without LF is kept.
inline std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

// Lines of a file written with CR LF ends: every line must end with CR LF,
// text after the last CR LF or a bare LF fails the test.
inline std::vector<std::string> crlfLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(bytes.substr(start, end - start));
    EXPECT_EQ(lines.back().find('\n'), std::string::npos) << "bare LF in line " << lines.size();
  }
  EXPECT_EQ(start, bytes.size()) << "text after the last CR LF";
  return lines;
}

}  // namespace vargaze::test
