// Accuracy on the demo series: the calibrated magnitudes of the variable and
// the check star follow the injected ones within the errors the program
// itself reports in the ROI table ("S/N (error)").
#include <gtest/gtest.h>

#include <cmath>

#include "base/Numbers.h"
#include "demo/DemoSeries.h"
#include "demo/DemoWriter.h"
#include "demo/SilentUi.h"
#include "series/ProjectFile.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

// The error in parentheses of a "S/N (error)" cell; 0 when there is none.
double reportedError(const std::string& cell) {
  const auto open = cell.find('(');
  const auto close = cell.find(')');
  double error = 0.0;
  if (open == std::string::npos || close == std::string::npos) return 0.0;
  tryParseDouble(cell.substr(open + 1, close - open - 1), error);
  return error;
}

TEST(DemoAccuracyTest, MagnitudesFollowTheTruthWithinTheReportedErrors) {
  const demo::DemoOptions options{12, 384, 288};
  const test::TempDir dir;
  demo::writeDemoSeries(options, dir.file("night"));
  const demo::DemoDesign design = demo::makeDemoDesign(options);

  Settings settings;
  demo::SilentUi ui;
  MainWindowFlags flags;
  ImageWindowState imgwin;
  RoiWindow window(settings, ui, flags, imgwin);
  Series series(settings, ui, window);
  ProjectLoadOptions load;
  load.askForCurve = false;
  ASSERT_EQ(LoadProjectfile(series, dir.file("night/demo.vgp"), load), ProjectLoadResult::Loaded);
  ASSERT_EQ(window.count(), 5);

  struct Star {
    std::int32_t roi;        // ROI number
    std::size_t truthIndex;  // index in the design's named stars
  };
  const Star stars[] = {{1, 0}, {5, 4}};  // the variable and the check star
  double chiSquare = 0.0;
  int samples = 0;
  for (int frame = 0; frame < options.frames; ++frame) {
    ASSERT_TRUE(series.BlinkScrollBarChange(frame + 1));
    const demo::FrameTruth truth = demo::frameTruth(design, frame);
    for (const Star& s : stars) {
      const double measured = window.roi(s.roi).mag;
      const double error = reportedError(window.table1.cell(s.roi, 7));
      ASSERT_GT(error, 0.0) << window.table1.cell(s.roi, 7);
      const double deviation = measured - truth.vmag[s.truthIndex];
      EXPECT_LE(std::fabs(deviation), 3.0 * error)
          << "ROI " << s.roi << " frame " << frame + 1 << ": " << measured << " vs "
          << truth.vmag[s.truthIndex] << " +- " << error;
      chiSquare += (deviation / error) * (deviation / error);
      ++samples;
    }
  }
  // The reported errors are honest: neither far too small nor far too large.
  const double meanSquare = chiSquare / samples;
  RecordProperty("mean_square_deviation_in_errors", std::to_string(meanSquare));
  EXPECT_LT(meanSquare, 3.0);
  EXPECT_GT(meanSquare, 0.05);
}

}  // namespace
}  // namespace vargaze
