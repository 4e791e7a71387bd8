// Writing the demo series to a folder: the frames, truth.csv, the ROI set and
// the project that ties them together.
#pragma once

#include <string>
#include <vector>

#include "demo/DemoSeries.h"

namespace vargaze::demo {

inline constexpr const char* kTruthFileName = "truth.csv";
inline constexpr const char* kRoiFileName = "demo.roi";
inline constexpr const char* kProjectFileName = "demo.vgp";

// Writes the series of `options` into `dir` (created when missing): the
// frames "demo_001.fit", ..., then "truth.csv", "demo.roi" and the project
// "demo.vgp" whose frame list holds the frames' absolute paths. Returns the
// absolute paths written, in that order. Throws std::invalid_argument for
// options outside the limits and std::runtime_error naming the file that
// could not be written.
std::vector<std::string> writeDemoSeries(const DemoOptions& options, const std::string& dir);

}  // namespace vargaze::demo
