// The written demo series read back: the file list, truth.csv against the
// frames' own headers, the frames against the noise-free model, whose stars
// hold the light the camera's zero point gives, the project, and the
// magnitudes measured against the truth; and its writing under injected
// failures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "base/Numbers.h"
#include "demo/DemoRoi.h"
#include "demo/DemoSky.h"
#include "demo/DemoWriter.h"
#include "demo/SilentUi.h"
#include "series/ProjectFile.h"
#include "support/FaultInjection.h"
#include "support/Lines.h"

namespace vargaze::test {
namespace {

namespace fs = std::filesystem;

constexpr demo::DemoOptions kOptions{3, 512, 384};

// Written into a folder given relative to the working directory: absolute
// paths in order. truth.csv (CR LF lines) names each frame with its start and
// middle as the frame's header gives them, and the magnitudes put into it.
TEST(DemoSeriesTest, WrittenFramesAndTruthAgreeWithTheDesign) {
  const demo::DemoDesign design = demo::makeDemoDesign(kOptions);
  const TempDir dir;
  const fs::path before = fs::current_path();
  fs::current_path(dir.path());
  const fs::path folder = fs::current_path() / "night";  // as the system spells the folder
  const std::vector<std::string> written = demo::writeDemoSeries(kOptions, "night");
  fs::current_path(before);
  std::vector<std::string> names;
  for (int i = 0; i < design.frames; ++i) names.push_back(demo::frameTruth(design, i).fileName);
  names.insert(names.end(), {demo::kTruthFileName, demo::kRoiFileName, demo::kProjectFileName});
  for (std::string& name : names) name = (folder / name).string();
  ASSERT_EQ(written, names);
  const std::vector<std::string> lines = crlfLines(readBytes(written[std::size_t(design.frames)]));
  ASSERT_EQ(lines.size(), design.frames + 1u);
  std::string header = "file,JD start,JD middle";
  for (const demo::NamedStar& s : design.named) header += "," + s.name;
  EXPECT_EQ(lines[0], header);
  std::vector<Timgbuffer> frames(std::size_t(design.frames));
  for (std::size_t i = 0; i < frames.size(); ++i) {
    SCOPED_TRACE(lines[i + 1]);
    const demo::FrameTruth truth = demo::frameTruth(design, int(i));
    Timgbuffer& img = frames[i];
    ASSERT_TRUE(img.Readfitsfile(written[i])) << img.readError;
    EXPECT_TRUE(img.xsize == kOptions.width && img.ysize == kOptions.height);
    EXPECT_EQ(img.Datetime, truth.dateObs);
    EXPECT_NEAR(img.Airmass, truth.airmass, 5e-5);
    std::stringstream row(lines[i + 1]);
    std::vector<std::string> f;
    for (std::string field; std::getline(row, field, ',');) f.push_back(field);
    ASSERT_EQ(f.size(), 3 + design.named.size());
    EXPECT_EQ(f[0], truth.fileName);
    std::vector<double> v(f.size());
    for (std::size_t k = 1; k < f.size(); ++k) EXPECT_TRUE(tryParseDouble(f[k], v[k])) << f[k];
    EXPECT_NEAR(v[1], img.JDstart, 5e-7);  // six decimals
    EXPECT_NEAR(v[2], img.JDstart + 0.5 * img.Exposure / 86400, 1e-6);
    for (std::size_t k = 0; k < design.named.size(); ++k) EXPECT_NEAR(v[3 + k], truth.vmag[k], 5e-5);
  }

  // The frame on disk is the design's rendering, the same every time; its
  // pixels scatter about the model with photon and read noise, drawn anew in
  // every frame.
  const std::uint16_t* pixels = frames[0].data16();
  const std::size_t n = std::size_t(design.width * design.height);
  const Timgbuffer rendered = demo::renderFrame(demo::makeDemoDesign(kOptions), 0);
  EXPECT_TRUE(std::equal(pixels, pixels + n, rendered.data16()));
  int differing = 0;
  for (std::size_t i = 0; i < 1000; ++i) differing += pixels[i] != frames[1].data16()[i];
  EXPECT_GT(differing, 900);
  const demo::Camera& cam = design.camera;
  const std::vector<double> model = demo::expectedFrame(design, 0);
  double sum = 0.0, sumSquares = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const double z = (pixels[i] - model[i]) * cam.gain / std::sqrt(model[i] * cam.gain + cam.readNoise * cam.readNoise);
    sum += z;
    sumSquares += z * z;
  }
  EXPECT_NEAR(sum / double(n), 0.0, 0.01);
  EXPECT_NEAR(sumSquares / double(n), 1.0, 0.02);
}

// The model holds each named star's whole light, 10^(0.4 (zero point - V))
// electrons per second over the exposure, divided by the gain, centred where
// the drift puts it.
TEST(DemoSeriesTest, ModelHoldsEachStarsLightAtItsShiftedPlace) {
  const demo::DemoDesign design = demo::makeDemoDesign(kOptions);
  const demo::Camera& cam = design.camera;
  for (const int index : {0, design.frames - 1}) {
    const demo::FrameTruth truth = demo::frameTruth(design, index);
    const std::vector<double> model = demo::expectedFrame(design, index);
    for (std::size_t k = 0; k < design.named.size(); ++k) {
      const demo::NamedStar& s = design.named[k];
      const int px = static_cast<int>(std::lround(s.x)), py = static_cast<int>(std::lround(s.y));
      double light = 0.0, sx = 0.0, sy = 0.0;
      for (int y = py - 14; y <= py + 14; ++y) {
        for (int x = px - 14; x <= px + 14; ++x) {
          const double v = model[std::size_t((y - 1) * design.width + x - 1)] -
                           demo::skyLevel(cam, design.width, design.height, x, y);
          light += v;
          sx += v * x;
          sy += v * y;
        }
      }
      SCOPED_TRACE(s.name + " in frame " + std::to_string(index + 1));
      EXPECT_NEAR(light / (std::pow(10.0, 0.4 * (cam.zeroPoint - truth.vmag[k])) * cam.exposure / cam.gain), 1.0, 1e-6);
      EXPECT_NEAR(sx / light, s.x + truth.shiftX, 1e-3);
      EXPECT_NEAR(sy / light, s.y + truth.shiftY, 1e-3);
    }
  }
}

// The message of the error writing the series into `folder`; empty when none.
std::string writeError(const std::string& folder) {
  try {
    demo::writeDemoSeries(kOptions, folder);
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return {};
}

// Writing under injected failures: a folder that cannot be made, a file name
// taken by a folder, a disk that fills up inside the first frame. Each ends
// with an error naming the file; earlier files stay byte for byte.
TEST(FaultInjectionDemoTest, DemoWriteFailuresNameTheFileAndKeepEarlierFiles) {
  TempDir dir;
  writeBytes(dir.file("plain"), "x");  // a file where the folder should be made
  EXPECT_NE(writeError(dir.file("plain")).find(dir.file("plain")), std::string::npos);
  EXPECT_EQ(readBytes(dir.file("plain")), "x");
  // The name of a frame, of the truth file, the ROI file or the project is a folder.
  for (const char* name : {"demo_002.fit", demo::kTruthFileName, demo::kRoiFileName, demo::kProjectFileName}) {
    const std::string taken = dir.file(std::string("night/") + name);
    std::filesystem::create_directories(taken);
    const std::string error = writeError(dir.file("night"));
    EXPECT_NE(error.find(taken), std::string::npos) << error;
    EXPECT_TRUE(std::filesystem::is_directory(taken));
    std::filesystem::remove(taken);
  }
  // A complete series, then a disk that is full inside the first frame.
  const auto written = demo::writeDemoSeries(kOptions, dir.file("night"));
  ASSERT_EQ(written.size(), 6u);
  const std::string first = readBytes(written[0]);
  const std::string project = readBytes(written[5]);
  const auto namesBefore = folderNames(dir.file("night"));
  const ChildOutcome child = runInChild(
      [&](std::string& report) { return (report = writeError(dir.file("night"))).empty() ? 1 : 0; },
      ChildLimits{100'000, 60});
  EXPECT_EQ(child.exitCode, 0);
  EXPECT_NE(child.report.find(written[0]), std::string::npos) << child.report;
  EXPECT_NE(child.report.find("File too large"), std::string::npos) << child.report;
  EXPECT_EQ(readBytes(written[0]), first);
  EXPECT_EQ(readBytes(written[5]), project);
  EXPECT_EQ(folderNames(dir.file("night")), namesBefore);
}

// The error in parentheses of a "S/N (error)" cell; 0 when there is none.
double reportedError(const std::string& cell) {
  double error = 0.0;
  return std::sscanf(cell.c_str(), "%*[^(](%lf)", &error) == 1 ? error : 0.0;
}

TEST(DemoAccuracyTest, MagnitudesFollowTheTruthWithinTheReportedErrors) {
  const demo::DemoOptions options{12, 384, 288};
  const TempDir dir;
  const std::vector<std::string> written = demo::writeDemoSeries(options, dir.file("night"));
  const demo::DemoDesign design = demo::makeDemoDesign(options);
  Settings settings;
  demo::SilentUi ui;
  MainWindowFlags flags;
  ImageWindowState imgwin;
  RoiWindow window(settings, ui, flags, imgwin);
  Series series(settings, ui, window);
  ProjectLoadOptions load;
  load.askForCurve = false;
  ASSERT_EQ(LoadProjectfile(series, written.back(), load), ProjectLoadResult::Loaded) << ui.joined();
  EXPECT_EQ(series.filelist1, std::vector<std::string>(written.begin(), written.begin() + options.frames));
  EXPECT_EQ(std::vector<int>({window.ROIsizeEdit.value, window.BGinnerEdit.value, window.BGsizeEdit.value}),
            std::vector<int>({demo::kDemoStarSize, demo::kDemoInnerSize, demo::kDemoOuterSize}));
  ASSERT_EQ(window.count(), static_cast<std::int32_t>(design.named.size()));
  for (std::int32_t n = 1; n <= window.count(); ++n) {
    const demo::NamedStar& s = design.named[std::size_t(n - 1)];
    const TRoi1& r = window.roi(n);
    const BVRIRec& c = window.bvri(n);
    SCOPED_TRACE(s.name);
    EXPECT_EQ(r.Name, s.name);
    EXPECT_EQ(r.starType(), s.type);
    EXPECT_TRUE(r.ringMode());
    EXPECT_EQ(r.rmag, s.type == kStarVar ? 0.0f : s.catalogue.Vmag);
    EXPECT_EQ(std::vector<float>({c.Bmag, c.Vmag, c.Rmag, c.Imag}),
              std::vector<float>({s.catalogue.Bmag, s.catalogue.Vmag, s.catalogue.Rmag, s.catalogue.Imag}));
  }
  struct Star {
    std::int32_t roi;        // ROI number
    std::size_t truthIndex;  // index in the design's named stars
  };
  const Star stars[] = {{1, demo::kVariable}, {5, demo::kCheck}};
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
}  // namespace vargaze::test
