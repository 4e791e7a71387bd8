// The ROI set of the demo: the variable, three comparison stars and the check
// star, placed and typed through the ROI window as a user would.
#pragma once

#include "demo/DemoSeries.h"
#include "photometry/RoiWindow.h"

namespace vargaze::demo {

// Aperture sizes of the demo ROIs, pixels.
inline constexpr int kDemoStarSize = 9;
inline constexpr int kDemoInnerSize = 13;
inline constexpr int kDemoOuterSize = 19;

// Shows the window on its image (the first frame of the series), sets the
// aperture sizes and the frame's filter, then adds one ROI per named star in
// DemoDesign::named order: centred on the star, with a background ring, its
// name, its catalogue B, V, R, I and its type (comparison stars with their V
// as reference magnitude, the check star with its V). Throws
// std::runtime_error when the window has no image or refuses a star.
void placeDemoRois(RoiWindow& win, const DemoDesign& design);

}  // namespace vargaze::demo
