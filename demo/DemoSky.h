// The frames of the demo series: sky with a gradient, Gaussian stars, photon
// and read noise, 16-bit pixels and the header an observer's camera writes.
#pragma once

#include <vector>

#include "demo/DemoSeries.h"
#include "image/Imgbuffer.h"

namespace vargaze::demo {

// Expected ADU of every pixel of frame `index` (0-based) before noise: sky
// plus the light of each star integrated over the pixel. Element
// (y - 1) * width + (x - 1) is pixel (x, y).
std::vector<double> expectedFrame(const DemoDesign& design, int index);

// Frame `index` as the camera records it: Poisson noise on the electrons of
// sky and stars, Gaussian read noise, rounded to ADU and clipped to 0..65535.
// Each frame draws its noise from its own fixed seed. The buffer carries
// DATE-OBS, EXPTIME, FILTER 'V', AIRMASS and the instrument and object names.
Timgbuffer renderFrame(const DemoDesign& design, int index);

}  // namespace vargaze::demo
