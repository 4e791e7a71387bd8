#include "cli/ProjectSession.h"

#include <cmath>
#include <iostream>

#include "base/Numbers.h"
#include "series/ProjectFile.h"

namespace vargaze::cli {

namespace {

const char* typeName(const TRoi1& roi) {
  if (roi.isFixed()) return "Fixed";
  switch (roi.starType()) {
    case kStarComp: return "Comp";
    case kStarCheck: return "Check";
    default: return "Var";
  }
}

}  // namespace

ProjectSession::ProjectSession(const std::string& iniPath, UiPort* customUi)
    : ui(customUi != nullptr ? *customUi : defaultUi),
      window(settings, ui, flags, imgwin),
      series(settings, ui, window) {
  loadSettings(iniPath, settings);
}

bool ProjectSession::open(const std::string& projectFile) {
  ProjectLoadOptions options;
  options.askForCurve = false;
  const ProjectLoadResult result = LoadProjectfile(series, projectFile, options);
  if (result == ProjectLoadResult::Loaded) return true;
  reportError(projectFile + ": the project could not be opened");
  return false;
}

void ProjectSession::printSummary() const {
  std::cout << "N;Name;Type;Points;Mean;StdDev\n";
  const CurveArrays& curve = series.curve;
  for (std::size_t r = 0; r < window.ROIlist.size(); ++r) {
    double sum = 0.0;
    double squares = 0.0;
    int points = 0;
    for (std::int32_t i = 0; i < curve.NumCurvePoints; ++i) {
      const float m = curve.mag(static_cast<std::size_t>(i), r);
      if (m >= kNoMagnitude) continue;
      sum += m;
      squares += static_cast<double>(m) * m;
      ++points;
    }
    const double mean = points > 0 ? sum / points : 0.0;
    const double variance = points > 1 ? (squares - points * mean * mean) / (points - 1) : 0.0;
    const TRoi1& roi = window.ROIlist[r];
    std::cout << roi.num << ';' << roi.Name << ';' << typeName(roi) << ';' << points << ';'
              << (points > 0 ? formatFixed(mean, 3, 6) : "") << ';'
              << (points > 1 ? formatFixed(std::sqrt(std::max(variance, 0.0)), 3, 6) : "")
              << '\n';
  }
}

}  // namespace vargaze::cli
