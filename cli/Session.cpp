#include "cli/Session.h"

#include <cmath>
#include <filesystem>
#include <iostream>
#include <stdexcept>

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

namespace {

ApplicationOptions commandLineOptions(const std::string& iniPath) {
  // A mistyped --config would otherwise measure with every default, the
  // camera's gain among them, without a word.
  std::error_code error;
  if (!iniPath.empty() && !std::filesystem::is_regular_file(iniPath, error)) {
    throw std::runtime_error(iniPath + ": no such configuration file");
  }
  ApplicationOptions options;
  options.iniPath = iniPath;
  options.writesConfiguration = false;
  options.displaysFrames = false;
  return options;
}

}  // namespace

Session::Session(const std::string& iniPath, UiPort* customUi)
    : app(customUi != nullptr ? *customUi : defaultUi, commandLineOptions(iniPath)),
      ui(app.ui()),
      settings(app.settings),
      window(app.roiWindow),
      series(app.series) {}

bool Session::openProject(const std::string& projectFile, std::uint8_t colour) {
  if (app.openProject(projectFile, false) != ProjectLoadResult::Loaded) {
    reportError(projectFile + ": the project could not be opened");
    return false;
  }
  if (colour == 0 || colour == series.RGBcolornumber) return true;
  series.RGBcolornumber = colour;
  settings.ConfigChanged = true;  // frame 1 is read again in that plane
  return series.Display(series.filelist1.front());
}

bool Session::openImage(const std::string& imagePath, std::uint8_t colour) {
  series.RGBcolornumber = colour;
  if (!series.Load1Click(imagePath)) {
    reportError(imagePath + ": " + series.loadError);
    return false;
  }
  if (!image().readWarning.empty()) ui.showMessage(imagePath + ": " + image().readWarning);
  window.FormShow();
  return true;
}

void Session::printSummary() const {
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
