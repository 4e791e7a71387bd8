// Reads one colour channel of the input as a 24-bit BMP with ReadBMPfile.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "base/Errors.h"
#include "image/Imgbuffer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = vargaze::fuzz::writeInput("input.bmp", data, size);
  // The channel only picks which samples are copied; taking it from the
  // length keeps the input's meaning fixed and costs one read per input.
  const int colour = 1 + static_cast<int>(size % 3);
  vargaze::Timgbuffer img;
  try {
    if (img.ReadBMPfile(path, colour)) img.getminmax();
  } catch (const vargaze::Error&) {
  }
  return 0;
}
