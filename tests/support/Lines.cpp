#include "support/Lines.h"

#include <gtest/gtest.h>

namespace vargaze::test {

std::vector<std::string> crlfLines(const std::string& bytes) {
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
