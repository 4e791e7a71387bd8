// Reads only the header cards of the input with ReadFitsheader.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "base/Errors.h"
#include "image/FitsHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = vargaze::fuzz::writeInput("input.fit", data, size);
  vargaze::FitsHeader header;
  try {
    vargaze::ReadFitsheader(path, header);
  } catch (const vargaze::Error&) {
  }
  return 0;
}
