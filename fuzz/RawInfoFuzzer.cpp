// Reads the input as the raw converter's information report with
// Timgbuffer::SetRawInfo, with and without a time-zone correction.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "base/Errors.h"
#include "image/Imgbuffer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = vargaze::fuzz::writeInput("rawinfo.txt", data, size);
  for (const double correction : {0.0, 2.0 / 24.0}) {
    vargaze::Timgbuffer img;
    try {
      img.SetRawInfo(path, correction);
    } catch (const vargaze::Error&) {
    }
  }
  return 0;
}
