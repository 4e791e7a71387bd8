// The demo night: its design against what each value means, its random numbers
// against their distributions, the written series against the design and the
// noise-free model, writing under injected failures, and measuring it against the truth.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <sstream>

#include "base/Numbers.h"
#include "demo/DemoRandom.h"
#include "demo/DemoRoi.h"
#include "demo/DemoSeries.h"
#include "demo/DemoSky.h"
#include "demo/DemoWriter.h"
#include "demo/SilentUi.h"
#include "series/ProjectFile.h"
#include "support/FaultInjection.h"
#include "support/Lines.h"

namespace vargaze::demo {
namespace {

using namespace vargaze::test;

// Julian Date of an ISO date-time, from the C library's calendar.
double jdOf(const std::string& iso) {
  std::tm tm{};
  double seconds = 0.0;
  EXPECT_EQ(std::sscanf(iso.c_str(), "%d-%d-%dT%d:%d:%lf", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                        &tm.tm_hour, &tm.tm_min, &seconds), 6) << iso;
  tm.tm_year -= 1900;
  --tm.tm_mon;
  return 2440587.5 + (static_cast<double>(timegm(&tm)) + seconds) / 86400.0;
}

TEST(DemoDesignTest, OptionLimits) {
  const std::pair<DemoOptions, bool> cases[] = {
      {{2, 128, 128}, true},   {{999, 4096, 4096}, true}, {{1, 512, 384}, false},  {{1000, 512, 384}, false},
      {{40, 127, 384}, false}, {{40, 512, 127}, false},   {{40, 4097, 384}, false}, {{40, 512, 4097}, false}};
  for (const auto& [o, valid] : cases) {
    SCOPED_TRACE(std::to_string(o.frames) + " of " + std::to_string(o.width) + "x" + std::to_string(o.height));
    EXPECT_EQ(checkDemoOptions(o).empty(), valid);
    if (!valid) {
      EXPECT_THROW(makeDemoDesign(o), std::invalid_argument);
    }
  }
}

// Every ROI with its 19-pixel ring, shifted by the drift, stays inside the
// frame and apart from the others at every allowed size; background stars lie
// in the frame and keep out of the rings by 3 sigma of their light.
TEST(DemoDesignTest, StarsFitEveryFrameSize) {
  for (const DemoOptions o : {DemoOptions{2, 128, 128}, DemoOptions{40, 512, 384}, DemoOptions{2, 128, 4096},
                              DemoOptions{2, 4096, 128}, DemoOptions{2, 4096, 4096}}) {
    const DemoDesign d = makeDemoDesign(o);
    SCOPED_TRACE(std::to_string(o.width) + "x" + std::to_string(o.height));
    for (const NamedStar& s : d.named) {
      for (const double x : {s.x, s.x + d.driftX}) EXPECT_TRUE(x >= 20 && x <= d.width - 20) << s.name;
      for (const double y : {s.y, s.y + d.driftY}) EXPECT_TRUE(y >= 20 && y <= d.height - 20) << s.name;
      for (const NamedStar& other : d.named) {
        EXPECT_TRUE(&other == &s || std::hypot(s.x - other.x, s.y - other.y) >= 25.0) << s.name;
      }
      for (const FieldStar& f : d.field) {
        EXPECT_GE(std::hypot(f.x - s.x, f.y - s.y), 10.0 + 3.0 * d.camera.psfSigma) << s.name;
        EXPECT_TRUE(f.x >= 1 && f.x <= d.width && f.y >= 1 && f.y <= d.height);
      }
    }
  }
}

// A long series, past midnight: names with three digits in frame order,
// starts one cadence apart whose date text says the same instant, airmass
// and drift growing evenly to the last frame, and the variable following the
// eclipse at mid-exposure, with the minimum in the middle of the night.
TEST(DemoDesignTest, FramesFollowTheCadenceFromTheFirstStart) {
  const DemoDesign d = makeDemoDesign({999, 128, 128});
  const FrameTruth first = frameTruth(d, 0), last = frameTruth(d, d.frames - 1);
  EXPECT_TRUE(first.jdStart == d.startJD && first.shiftX == 0.0 && first.shiftY == 0.0);
  EXPECT_NEAR(last.shiftX, d.driftX, 1e-12);
  EXPECT_NEAR(last.shiftY, d.driftY, 1e-12);
  EXPECT_NEAR(d.eclipse.minimumJD, 0.5 * (first.jdMiddle + last.jdMiddle), 1e-9);
  EXPECT_GT(d.eclipse.minimumJD - d.eclipse.halfDuration, first.jdMiddle);
  for (int i = 0; i < d.frames; ++i) {
    const FrameTruth t = frameTruth(d, i);
    SCOPED_TRACE(t.dateObs);
    char name[32];
    std::snprintf(name, sizeof name, "demo_%03d.fit", i + 1);
    EXPECT_EQ(t.fileName, name);
    EXPECT_NEAR(jdOf(t.dateObs), t.jdStart, 0.5e-3 / 86400);  // the text holds milliseconds
    EXPECT_NEAR((t.jdMiddle - t.jdStart) * 86400, 0.5 * d.camera.exposure, 1e-4);
    EXPECT_NEAR(t.airmass - d.airmassStart, d.airmassPerHour * (t.jdMiddle - d.startJD) * 24, 1e-9);
    if (i > 0) {
      const FrameTruth before = frameTruth(d, i - 1);
      EXPECT_NEAR((t.jdStart - before.jdStart) * 86400, d.cadenceSeconds, 1e-3);
      EXPECT_NEAR(t.shiftX - before.shiftX, d.driftX / (d.frames - 1), 1e-12);
      EXPECT_NEAR(t.shiftY - before.shiftY, d.driftY / (d.frames - 1), 1e-12);
    }
    ASSERT_EQ(t.vmag.size(), d.named.size());
    EXPECT_EQ(t.vmag[kVariable], eclipseMagnitude(d.eclipse, t.jdMiddle));
    for (std::size_t k = kFirstComparison; k <= kCheck; ++k) EXPECT_EQ(t.vmag[k], double(d.named[k].catalogue.Vmag));
  }
  EXPECT_THROW(frameTruth(d, -1), std::out_of_range);
  EXPECT_THROW(frameTruth(d, d.frames), std::out_of_range);
}

// The eclipse against cos^2 of the phase, flat outside, without a step at
// the contacts; the sky at its level in the frame centre, rising by
// skyRiseX / skyRiseY from edge to edge.
TEST(DemoDesignTest, EclipseAndSkyShapes) {
  const Eclipse e{12.3, 0.8, 2460385.35, 0.01};
  const double cases[][3] = {{0.0, 13.1, 1e-12},    {-0.01, 12.3, 1e-12}, {0.02, 12.3, 1e-12},
                             {-0.5, 12.3, 1e-12},   {0.005, 12.7, 1e-7},  {-0.005, 12.7, 1e-7},
                             {0.0099, 12.3, 1e-3}};  // days from the minimum, magnitude, tolerance
  for (const auto& c : cases) EXPECT_NEAR(eclipseMagnitude(e, e.minimumJD + c[0]), c[1], c[2]) << c[0];
  const Camera c;
  for (const int w : {128, 511, 512}) {
    const int h = w * 3 / 4;
    EXPECT_NEAR(skyLevel(c, w, h, 0.5 * (w + 1), 0.5 * (h + 1)), c.skyLevel, 1e-9) << w;
    EXPECT_NEAR(skyLevel(c, w, h, w + 0.5, 9) - skyLevel(c, w, h, 0.5, 9), c.skyRiseX, 1e-9);
    EXPECT_NEAR(skyLevel(c, w, h, 9, h + 0.5) - skyLevel(c, w, h, 9, 0.5), c.skyRiseY, 1e-9);
  }
}

// Mean and variance of kDraws draws of the demo's own random numbers.
constexpr int kDraws = 200000;
std::pair<double, double> moments(const std::function<double()>& draw) {
  double sum = 0.0, sumSquares = 0.0;
  for (int i = 0; i < kDraws; ++i) {
    const double v = draw();
    sum += v;
    sumSquares += v * v;
  }
  return {sum / kDraws, sumSquares / kDraws - sum * sum / kDraws / kDraws};
}

// The same seed gives the same numbers (the frames show that other seeds do
// not). Uniform in [0, 1) and standard normal; Poisson mean and variance equal
// its parameter (five standard errors of tolerance) on both sides of the
// switch of method at 10, with the probabilities e^-2 2^k / k! of small counts.
TEST(DemoRandomTest, DistributionsFollowTheirFormulas) {
  DemoRandom random(1), again(1);
  for (int i = 0; i < 100; ++i) {
    EXPECT_TRUE(random.uniform() == again.uniform() && random.normal() == again.normal() &&
                random.poisson(1500.0) == again.poisson(1500.0));
  }
  const auto [mean, variance] = moments([&] {
    const double u = random.uniform();
    EXPECT_TRUE(u >= 0.0 && u < 1.0) << u;
    return u;
  });
  EXPECT_NEAR(mean, 0.5, 0.003);
  EXPECT_NEAR(variance, 1.0 / 12.0, 0.001);
  const auto [normalMean, normalVariance] = moments([&] { return random.normal(); });
  EXPECT_NEAR(normalMean, 0.0, 0.01);
  EXPECT_NEAR(normalVariance, 1.0, 0.015);
  for (const double lambda : {0.5, 4.0, 9.5, 10.0, 37.0, 1664.0, 120000.0}) {
    const auto [m, v] = moments([&] { return double(random.poisson(lambda)); });
    EXPECT_NEAR(m, lambda, 5.0 * std::sqrt(lambda / kDraws)) << "lambda " << lambda;
    EXPECT_NEAR(v / lambda, 1.0, 0.02) << "lambda " << lambda;
  }
  int counts[5] = {};  // 0, 1, 2, 3 and more
  for (int i = 0; i < kDraws; ++i) ++counts[std::min<std::int64_t>(random.poisson(2.0), 4)];
  for (int k = 0; k < 4; ++k) {
    EXPECT_NEAR(counts[k] / double(kDraws), std::exp(-2.0) * std::pow(2.0, k) / std::tgamma(k + 1), 0.005) << k;
  }
  EXPECT_EQ(random.poisson(0.0), 0);
  EXPECT_THROW(random.poisson(-1.0), std::invalid_argument);
  EXPECT_THROW(random.poisson(std::nan("")), std::invalid_argument);
}

namespace fs = std::filesystem;

constexpr DemoOptions kOptions{3, 512, 384};

// Written into a folder given relative to the working directory: absolute
// paths in order. truth.csv (CR LF lines) names each frame with its start and
// middle as the frame's header gives them, and the magnitudes put into it.
TEST(DemoSeriesTest, WrittenFramesTruthAndModelAgreeWithTheDesign) {
  const DemoDesign design = makeDemoDesign(kOptions);
  const TempDir dir;
  const fs::path before = fs::current_path();
  fs::current_path(dir.path());
  const fs::path folder = fs::current_path() / "night";  // as the system spells the folder
  const std::vector<std::string> written = writeDemoSeries(kOptions, "night");
  fs::current_path(before);
  std::vector<std::string> names;
  for (int i = 0; i < design.frames; ++i) names.push_back(frameTruth(design, i).fileName);
  names.insert(names.end(), {kTruthFileName, kRoiFileName, kProjectFileName});
  for (std::string& name : names) name = (folder / name).string();
  ASSERT_EQ(written, names);
  const std::vector<std::string> lines = crlfLines(readBytes(written[std::size_t(design.frames)]));
  ASSERT_EQ(lines.size(), design.frames + 1u);
  std::string header = "file,JD start,JD middle";
  for (const NamedStar& s : design.named) header += "," + s.name;
  EXPECT_EQ(lines[0], header);
  std::vector<Timgbuffer> frames(std::size_t(design.frames));
  for (std::size_t i = 0; i < frames.size(); ++i) {
    SCOPED_TRACE(lines[i + 1]);
    const FrameTruth truth = frameTruth(design, int(i));
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

  // The frame on disk is the design's rendering, the same every time; its pixels
  // scatter about the model with photon and read noise, drawn anew per frame.
  const std::uint16_t* pixels = frames[0].data16();
  const std::size_t n = std::size_t(design.width * design.height);
  const Timgbuffer rendered = renderFrame(makeDemoDesign(kOptions), 0);
  EXPECT_TRUE(std::equal(pixels, pixels + n, rendered.data16()));
  int differing = 0;
  for (std::size_t i = 0; i < 1000; ++i) differing += pixels[i] != frames[1].data16()[i];
  EXPECT_GT(differing, 900);
  const Camera& cam = design.camera;
  const std::vector<double> model = expectedFrame(design, 0);
  double sum = 0.0, sumSquares = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const double z = (pixels[i] - model[i]) * cam.gain / std::sqrt(model[i] * cam.gain + cam.readNoise * cam.readNoise);
    sum += z;
    sumSquares += z * z;
  }
  EXPECT_NEAR(sum / double(n), 0.0, 0.01);
  EXPECT_NEAR(sumSquares / double(n), 1.0, 0.02);

  // The model holds each named star's whole light, 10^(0.4 (zero point - V))
  // electrons per second over the exposure, divided by the gain, centred where
  // the drift puts it.
  for (const int index : {0, design.frames - 1}) {
    const FrameTruth truth = frameTruth(design, index);
    const std::vector<double> light = expectedFrame(design, index);
    for (std::size_t k = 0; k < design.named.size(); ++k) {
      const NamedStar& s = design.named[k];
      const int px = static_cast<int>(std::lround(s.x)), py = static_cast<int>(std::lround(s.y));
      double total = 0.0, sx = 0.0, sy = 0.0;
      for (int y = py - 14; y <= py + 14; ++y) {
        for (int x = px - 14; x <= px + 14; ++x) {
          const double v = light[std::size_t((y - 1) * design.width + x - 1)] -
                           skyLevel(cam, design.width, design.height, x, y);
          total += v;
          sx += v * x;
          sy += v * y;
        }
      }
      SCOPED_TRACE(s.name + " in frame " + std::to_string(index + 1));
      EXPECT_NEAR(total / (std::pow(10.0, 0.4 * (cam.zeroPoint - truth.vmag[k])) * cam.exposure / cam.gain), 1.0, 1e-6);
      EXPECT_NEAR(sx / total, s.x + truth.shiftX, 1e-3);
      EXPECT_NEAR(sy / total, s.y + truth.shiftY, 1e-3);
    }
  }
}

// The message of the error writing the series into `folder`; empty when none.
std::string writeError(const std::string& folder) {
  try {
    writeDemoSeries(kOptions, folder);
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
  for (const char* name : {"demo_002.fit", kTruthFileName, kRoiFileName, kProjectFileName}) {
    const std::string taken = dir.file(std::string("night/") + name);
    std::filesystem::create_directories(taken);
    const std::string error = writeError(dir.file("night"));
    EXPECT_NE(error.find(taken), std::string::npos) << error;
    EXPECT_TRUE(std::filesystem::is_directory(taken));
    std::filesystem::remove(taken);
  }
  // A complete series, then a disk that is full inside the first frame.
  const auto written = writeDemoSeries(kOptions, dir.file("night"));
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
  const DemoOptions options{12, 384, 288};
  const TempDir dir;
  const std::vector<std::string> written = writeDemoSeries(options, dir.file("night"));
  const DemoDesign design = makeDemoDesign(options);
  Settings settings;
  SilentUi ui;
  MainWindowFlags flags;
  ImageWindowState imgwin;
  RoiWindow window(settings, ui, flags, imgwin);
  Series series(settings, ui, window);
  ProjectLoadOptions load;
  load.askForCurve = false;
  ASSERT_EQ(LoadProjectfile(series, written.back(), load), ProjectLoadResult::Loaded) << ui.joined();
  EXPECT_EQ(series.filelist1, std::vector<std::string>(written.begin(), written.begin() + options.frames));
  EXPECT_EQ(std::vector<int>({window.ROIsizeEdit.value, window.BGinnerEdit.value, window.BGsizeEdit.value}),
            std::vector<int>({kDemoStarSize, kDemoInnerSize, kDemoOuterSize}));
  ASSERT_EQ(window.count(), static_cast<std::int32_t>(design.named.size()));
  for (std::int32_t n = 1; n <= window.count(); ++n) {
    const NamedStar& s = design.named[std::size_t(n - 1)];
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
  const std::pair<std::int32_t, std::size_t> stars[] = {{1, kVariable}, {5, kCheck}};  // ROI, named star
  double chiSquare = 0.0;  // mean square of the deviations in reported errors
  for (int frame = 0; frame < options.frames; ++frame) {
    ASSERT_TRUE(series.BlinkScrollBarChange(frame + 1));
    const FrameTruth truth = frameTruth(design, frame);
    for (const auto& [roi, star] : stars) {
      const double measured = window.roi(roi).mag;
      const double error = reportedError(window.table1.cell(roi, 7));
      ASSERT_GT(error, 0.0) << window.table1.cell(roi, 7);
      const double deviation = measured - truth.vmag[star];
      EXPECT_LE(std::fabs(deviation), 3.0 * error)
          << "ROI " << roi << " frame " << frame + 1 << ": " << measured << " vs " << truth.vmag[star] << " +- " << error;
      chiSquare += (deviation / error) * (deviation / error) / double(std::size(stars) * options.frames);
    }
  }
  // The reported errors are honest: neither far too small nor far too large.
  EXPECT_TRUE(chiSquare > 0.05 && chiSquare < 3.0) << chiSquare;
}

}  // namespace
}  // namespace vargaze::demo
