#include "demo/DemoTruth.h"

#include "base/Numbers.h"
#include "base/TextFile.h"

namespace vargaze::demo {

std::vector<std::string> truthLines(const DemoDesign& design) {
  std::string header = "file,JD start,JD middle";
  for (const NamedStar& s : design.named) header += "," + s.name;
  std::vector<std::string> lines{header};
  for (int i = 0; i < design.frames; ++i) {
    const FrameTruth t = frameTruth(design, i);
    std::string line = t.fileName + "," + formatFixed(t.jdStart, 6) + "," + formatFixed(t.jdMiddle, 6);
    for (double v : t.vmag) line += "," + formatFixed(v, 4);
    lines.push_back(line);
  }
  return lines;
}

bool writeTruthFile(const DemoDesign& design, const std::string& path, std::string& error) {
  return saveTextFile(path, truthLines(design), error);
}

}  // namespace vargaze::demo
