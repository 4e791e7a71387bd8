// Reads the input as a FITS image with Timgbuffer::Readfitsfile.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "base/Errors.h"
#include "image/Imgbuffer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = vargaze::fuzz::writeInput("input.fit", data, size);
  vargaze::Timgbuffer img;
  try {
    if (img.Readfitsfile(path)) {
      img.getminmax();
    }
  } catch (const vargaze::Error&) {
    // A fault that ends the command with a message: allowed.
  }
  return 0;
}
