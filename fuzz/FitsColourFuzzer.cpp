// Reads the input as a FITS image, then each of its three colour planes with
// Timgbuffer::Readcolorfits (refused unless the file holds three planes).
#include <cstddef>
#include <cstdint>
#include <memory>

#include "FuzzSupport.h"
#include "base/Errors.h"
#include "image/Imgbuffer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = vargaze::fuzz::writeInput("input.fit", data, size);
  vargaze::Timgbuffer img;
  try {
    if (!img.Readfitsfile(path)) return 0;
    for (int colour = 1; colour <= 3; ++colour) {
      std::unique_ptr<vargaze::Timgbuffer> plane;
      if (img.Readcolorfits(colour, plane) && plane != nullptr) plane->getminmax();
    }
  } catch (const vargaze::Error&) {
  }
  return 0;
}
