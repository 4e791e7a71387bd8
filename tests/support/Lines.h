// Splitting text into lines for comparisons.
#pragma once

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
std::vector<std::string> crlfLines(const std::string& bytes);

}  // namespace vargaze::test
