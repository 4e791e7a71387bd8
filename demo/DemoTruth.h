// truth.csv: what was put into each demo frame, to compare a measured light
// curve against.
#pragma once

#include <string>
#include <vector>

#include "demo/DemoSeries.h"

namespace vargaze::demo {

// The header line, then one line per frame: file name, JD of the exposure
// start and middle (6 decimals), the V magnitude of the variable, of C1, C2,
// C3 and of the check star (4 decimals). Fields separated by ",".
std::vector<std::string> truthLines(const DemoDesign& design);

// Writes the lines with CR LF line ends; false with the reason in `error`.
bool writeTruthFile(const DemoDesign& design, const std::string& path, std::string& error);

}  // namespace vargaze::demo
