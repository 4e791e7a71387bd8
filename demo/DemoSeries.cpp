#include "demo/DemoSeries.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <stdexcept>

#include "demo/DemoRandom.h"
#include "image/Astro.h"

namespace vargaze::demo {

namespace {

constexpr double kSecondsPerDay = 86400.0;
constexpr std::uint32_t kFieldSeed = 20240315;

// Background stars keep this far from the named stars, so nothing else falls
// into their apertures, rings or the boxes a check of the total light uses.
constexpr double kClearRadius = 32.0;
constexpr double kEdgeMargin = 5.0;

struct Placement {
  const char* name;
  StarType type;
  double fx, fy;  // position as a fraction of the frame size
  BVRIRec catalogue;
};

// Fractions keep the stars apart and inside even the smallest frame; the odd
// fractions put them off pixel centres.
const Placement kNamed[] = {
    {"V Demo", kStarVar, 0.4713, 0.5291, {99.0f, 99.0f, 99.0f, 99.0f}},
    {"C1", kStarComp, 0.2207, 0.2683, {12.38f, 11.74f, 11.37f, 11.02f}},
    {"C2", kStarComp, 0.7641, 0.2419, {12.71f, 12.12f, 11.78f, 11.45f}},
    {"C3", kStarComp, 0.7288, 0.7714, {13.43f, 12.58f, 12.10f, 11.66f}},
    {"K", kStarCheck, 0.2562, 0.7577, {13.05f, 12.41f, 12.04f, 11.70f}},
};

int fieldStarCount(int width, int height) {
  // A few dozen at the default size, the same density elsewhere.
  const double perPixel = 36.0 / (kDefaultWidth * kDefaultHeight);
  return std::clamp(static_cast<int>(std::lround(perPixel * width * height)), 12, 300);
}

bool clearOfNamedStars(const std::vector<NamedStar>& named, double x, double y) {
  return std::all_of(named.begin(), named.end(), [&](const NamedStar& s) {
    return std::hypot(s.x - x, s.y - y) >= kClearRadius;
  });
}

std::vector<FieldStar> drawField(const std::vector<NamedStar>& named, int width, int height) {
  DemoRandom random(kFieldSeed);
  const int wanted = fieldStarCount(width, height);
  std::vector<FieldStar> field;
  // Small frames have little free room; give up on a star rather than loop.
  for (int attempt = 0; attempt < 50 * wanted && static_cast<int>(field.size()) < wanted;
       ++attempt) {
    const double x = kEdgeMargin + random.uniform() * (width - 2 * kEdgeMargin);
    const double y = kEdgeMargin + random.uniform() * (height - 2 * kEdgeMargin);
    // More faint stars than bright ones, from 11 to 16.5 mag.
    const double vmag = 11.0 + 5.5 * std::sqrt(random.uniform());
    if (clearOfNamedStars(named, x, y)) field.push_back({x, y, vmag});
  }
  return field;
}

}  // namespace

std::string checkDemoOptions(const DemoOptions& o) {
  if (o.frames < kMinFrames || o.frames > kMaxFrames) {
    return "the number of frames must be " + std::to_string(kMinFrames) + " to " +
           std::to_string(kMaxFrames) + ", not " + std::to_string(o.frames);
  }
  if (o.width < kMinSize || o.height < kMinSize || o.width > kMaxSize || o.height > kMaxSize) {
    return "the frame size must be " + std::to_string(kMinSize) + "x" + std::to_string(kMinSize) +
           " to " + std::to_string(kMaxSize) + "x" + std::to_string(kMaxSize) + ", not " +
           std::to_string(o.width) + "x" + std::to_string(o.height);
  }
  return {};
}

double starElectrons(const Camera& camera, double vmag) {
  return std::pow(10.0, 0.4 * (camera.zeroPoint - vmag)) * camera.exposure;
}

double skyLevel(const Camera& camera, int width, int height, double x, double y) {
  return camera.skyLevel + camera.skyRiseX * (x - 0.5 * (width + 1)) / width +
         camera.skyRiseY * (y - 0.5 * (height + 1)) / height;
}

double eclipseMagnitude(const Eclipse& eclipse, double jd) {
  const double phase = (jd - eclipse.minimumJD) / eclipse.halfDuration;
  if (std::fabs(phase) >= 1.0) return eclipse.outsideMag;
  const double c = std::cos(0.5 * std::numbers::pi * phase);
  return eclipse.outsideMag + eclipse.depth * c * c;
}

DemoDesign makeDemoDesign(const DemoOptions& options) {
  const std::string problem = checkDemoOptions(options);
  if (!problem.empty()) throw std::invalid_argument(problem);
  DemoDesign d;
  d.frames = options.frames;
  d.width = options.width;
  d.height = options.height;
  d.startJD = JD(15, 3, 2024, 20.0);
  for (const Placement& p : kNamed) {
    d.named.push_back({p.name, p.type, p.fx * d.width, p.fy * d.height, p.catalogue});
  }
  d.field = drawField(d.named, d.width, d.height);
  // Minimum in the middle of the night; the eclipse covers the middle 60 %.
  const double halfExposure = 0.5 * d.camera.exposure / kSecondsPerDay;
  const double span = (d.frames - 1) * d.cadenceSeconds / kSecondsPerDay;
  d.eclipse.outsideMag = 12.30;
  d.eclipse.depth = 0.80;
  d.eclipse.minimumJD = d.startJD + halfExposure + 0.5 * span;
  d.eclipse.halfDuration = 0.3 * span;
  return d;
}

FrameTruth frameTruth(const DemoDesign& design, int index) {
  if (index < 0 || index >= design.frames) {
    throw std::out_of_range("demo frame " + std::to_string(index) + " out of range");
  }
  FrameTruth t;
  std::string number = std::to_string(index + 1);
  number.insert(0, 3 - std::min<std::size_t>(3, number.size()), '0');
  t.fileName = "demo_" + number + ".fit";
  const double offsetSeconds = index * design.cadenceSeconds;
  t.jdStart = design.startJD + offsetSeconds / kSecondsPerDay;
  t.jdMiddle = t.jdStart + 0.5 * design.camera.exposure / kSecondsPerDay;
  int year = 0, month = 0, day = 0, h = 0, m = 0;
  float sec = 0.0f;
  JDtoDate(t.jdStart, year, month, day, h, m, sec);
  t.dateObs = GetDatetime(year, month, day, h, m, sec);
  const double hours = (offsetSeconds + 0.5 * design.camera.exposure) / 3600.0;
  t.airmass = design.airmassStart + design.airmassPerHour * hours;
  const double progress = static_cast<double>(index) / (design.frames - 1);
  t.shiftX = design.driftX * progress;
  t.shiftY = design.driftY * progress;
  for (const NamedStar& s : design.named) {
    t.vmag.push_back(s.type == kStarVar ? eclipseMagnitude(design.eclipse, t.jdMiddle)
                                        : static_cast<double>(s.catalogue.Vmag));
  }
  return t;
}

}  // namespace vargaze::demo
