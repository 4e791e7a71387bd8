// The demo series: a synthetic night of one variable star, three comparison
// stars and a check star in a field of background stars, described as plain
// data so the frames, the truth table and the ROI set all come from one place.
//
// Pixel positions are 1-based like Timgbuffer's: pixel (x, y) covers
// x - 0.5 .. x + 0.5 and y - 0.5 .. y + 0.5 in storage order.
// Magnitudes are V; there is no extinction, so the injected magnitudes are
// exactly what differential photometry should find.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "photometry/Roi.h"

namespace vargaze::demo {

inline constexpr int kDefaultFrames = 40;
inline constexpr int kMinFrames = 2;
// Frame names keep three digits, so the series sorts by name.
inline constexpr int kMaxFrames = 999;
inline constexpr int kDefaultWidth = 512;
inline constexpr int kDefaultHeight = 384;
inline constexpr int kMinSize = 128;
inline constexpr int kMaxSize = 4096;

struct DemoOptions {
  int frames = kDefaultFrames;
  int width = kDefaultWidth;
  int height = kDefaultHeight;
};

// Empty when the options are within the limits above, else the reason.
std::string checkDemoOptions(const DemoOptions& options);

struct Camera {
  double zeroPoint = 22.0;   // V magnitude giving 1 electron per second
  double exposure = 30.0;    // seconds
  double gain = 2.0;         // electrons per ADU
  double readNoise = 8.0;    // electrons (standard deviation)
  double psfSigma = 1.8;     // Gaussian star profile, pixels
  double skyLevel = 800.0;   // ADU per pixel at the centre of the frame
  // Change of the sky from edge to edge, ADU: the same gentle gradient at
  // every frame size (0.25 and -0.15 ADU per pixel at 512 x 384).
  double skyRiseX = 128.0;
  double skyRiseY = -57.6;
};

// Electrons a star of V magnitude `vmag` gives in one exposure:
// 10^(0.4 (zeroPoint - vmag)) per second.
double starElectrons(const Camera& camera, double vmag);
// Sky in ADU per pixel at 1-based pixel (x, y) of a width x height frame.
double skyLevel(const Camera& camera, int width, int height, double x, double y);

// A smooth eclipse: constant outside, a cosine-squared dip in magnitude
// inside, so the curve and its slope are continuous at the contacts.
struct Eclipse {
  double outsideMag = 0.0;    // V outside the eclipse
  double depth = 0.0;         // magnitudes fainter at minimum
  double minimumJD = 0.0;     // time of minimum
  double halfDuration = 0.0;  // days from first contact to minimum
};
double eclipseMagnitude(const Eclipse& eclipse, double jd);

struct NamedStar {
  std::string name;      // ROI name
  StarType type;         // variable, comparison or check star
  double x = 0.0;        // position in the first frame
  double y = 0.0;
  BVRIRec catalogue;     // the variable's values are unknown (99)
};

struct FieldStar {
  double x = 0.0;  // position in the first frame
  double y = 0.0;
  double vmag = 0.0;
};

struct DemoDesign {
  int frames = kDefaultFrames;
  int width = kDefaultWidth;
  int height = kDefaultHeight;
  Camera camera;
  double startJD = 0.0;          // exposure start of the first frame
  double cadenceSeconds = 60.0;  // from one exposure start to the next
  double driftX = 3.0;           // field shift from the first to the last frame, pixels
  double driftY = -2.0;
  double airmassStart = 1.2;     // at the first exposure start
  double airmassPerHour = 0.15;
  std::vector<NamedStar> named;  // the variable, C1, C2, C3, then the check star
  std::vector<FieldStar> field;
  Eclipse eclipse;
};

// Index of each named star in DemoDesign::named.
inline constexpr std::size_t kVariable = 0;
inline constexpr std::size_t kFirstComparison = 1;
inline constexpr std::size_t kComparisonCount = 3;
inline constexpr std::size_t kCheck = 4;

// The whole design; the background field is drawn with a fixed seed, so the
// same options always give the same design. Options outside the limits throw
// std::invalid_argument.
DemoDesign makeDemoDesign(const DemoOptions& options);

// One frame as designed; `index` is 0-based.
struct FrameTruth {
  std::string fileName;  // "demo_001.fit" for index 0
  std::string dateObs;   // exposure start, "2024-03-15T20:00:00.000"
  double jdStart = 0.0;
  double jdMiddle = 0.0;
  double airmass = 0.0;  // at mid-exposure
  double shiftX = 0.0;   // field shift against the first frame, pixels
  double shiftY = 0.0;
  std::vector<double> vmag;  // V of each named star, in DemoDesign::named order
};
FrameTruth frameTruth(const DemoDesign& design, int index);

}  // namespace vargaze::demo
