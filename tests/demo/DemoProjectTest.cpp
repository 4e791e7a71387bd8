// The demo's project: its text, and the program measuring the whole series
// from it with the light-curve run, compared with truth.csv.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "DemoFolder.h"
#include "base/Numbers.h"
#include "base/TextFile.h"
#include "demo/SilentUi.h"
#include "series/LightCurveRun.h"
#include "series/ProjectFile.h"

namespace vargaze::test {
namespace {

std::vector<std::string> crlfLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(bytes.substr(start, end - start));
  }
  EXPECT_EQ(start, bytes.size()) << "text after the last CR LF";
  return lines;
}

std::vector<std::string> section(const std::vector<std::string>& lines, const std::string& name) {
  auto it = std::find(lines.begin(), lines.end(), name);
  std::vector<std::string> body;
  if (it == lines.end()) return body;
  for (++it; it != lines.end() && !it->starts_with("["); ++it) body.push_back(*it);
  return body;
}

using DemoProjectTest = DemoFolder;

TEST_F(DemoProjectTest, ProjectListsFramesNamesCatalogueFilterAndRings) {
  const std::vector<std::string> lines = crlfLines(readBytes(file("demo.vgp")));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(section(lines, "[files]"), (std::vector<std::string>{
                                           file("demo_001.fit"), file("demo_002.fit"),
                                           file("demo_003.fit")}));
  EXPECT_EQ(section(lines, "[ROIfile]"),
            (std::vector<std::string>{"5", "V Demo", "C1", "C2", "C3", "K"}));
  EXPECT_EQ(section(lines, "[BVRI]"),
            (std::vector<std::string>{"99.000;99.000;99.000;99.000", "12.380;11.740;11.370;11.020",
                                      "12.710;12.120;11.780;11.450", "13.430;12.580;12.100;11.660",
                                      "13.050;12.410;12.040;11.700"}));
  const std::vector<std::string> filter = section(lines, "[Filter]");
  ASSERT_FALSE(filter.empty());
  EXPECT_EQ(filter[0], "3");  // V
  const std::vector<std::string> rings = section(lines, "[ROIcenter]");
  EXPECT_NE(std::find(rings.begin(), rings.end(), "ROID2=13"), rings.end());
  EXPECT_NE(std::find(rings.begin(), rings.end(), "ROID3=19"), rings.end());
}

// Seven frames: the eclipse minimum (13.10) falls on frame 4. The program's
// errors at S/N of a few hundred are below 0.01 mag.
TEST(DemoLightCurveTest, LightCurveRunFindsTheInjectedMagnitudes) {
  const TempDir dir;
  demo::writeDemoSeries({7, 256, 192}, dir.file("night"));
  Settings settings;
  demo::SilentUi ui;
  MainWindowFlags flags;
  ImageWindowState imgwin;
  RoiWindow win(settings, ui, flags, imgwin);
  Series series(settings, ui, win);
  ProjectLoadOptions options;
  options.askForCurve = false;
  ASSERT_EQ(LoadProjectfile(series, dir.file("night/demo.vgp"), options), ProjectLoadResult::Loaded)
      << ui.joined();
  ASSERT_EQ(win.count(), 5);
  EXPECT_EQ(win.roi(1).starType(), kStarVar);
  EXPECT_EQ(win.roi(2).starType(), kStarComp);
  EXPECT_EQ(win.roi(5).starType(), kStarCheck);
  EXPECT_EQ(win.roi(5).Name, "K");
  ASSERT_EQ(Analyse1Click(series), RunResult::Completed) << ui.joined();
  ASSERT_EQ(series.curve.NumCurvePoints, 7);

  std::vector<std::string> truth;
  std::string error;
  ASSERT_TRUE(readTextLines(dir.file("night/truth.csv"), truth, error)) << error;
  ASSERT_EQ(truth.size(), 8u);
  for (std::size_t frame = 0; frame < 7; ++frame) {
    std::vector<double> fields;
    std::stringstream in(truth[frame + 1]);
    std::string field;
    std::getline(in, field, ',');  // file name
    while (std::getline(in, field, ',')) {
      double value = 0.0;
      ASSERT_TRUE(tryParseDouble(field, value)) << field;
      fields.push_back(value);
    }
    ASSERT_EQ(fields.size(), 7u);
    EXPECT_NEAR(series.curve.XTimes[frame] + settings.JDCurveoffset, fields[0], 1e-5);
    EXPECT_NEAR(series.curve.mag(frame, 0), fields[2], 0.03) << "variable, frame " << frame + 1;
    EXPECT_NEAR(series.curve.mag(frame, 4), fields[6], 0.03) << "check star, frame " << frame + 1;
  }
  EXPECT_NEAR(series.curve.mag(3, 0), 13.10, 0.03);
  EXPECT_NEAR(series.curve.mag(0, 0), 12.30, 0.03);
}

}  // namespace
}  // namespace vargaze::test
