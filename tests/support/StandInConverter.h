// A stand-in for the raw converter: a shell script that prints the five
// labelled report lines and writes a portrait 1 x 2 16-bit PPM beside the raw
// file, with the samples (R, G, B) = (1, 2, 3) on top and (4, 5, 6) below.
// While it lives it is the converter (VARGAZE_RAW_CONVERTER) and `home` is the
// program folder (VARGAZE_HOME), where the report goes.
#pragma once

#include <string>

namespace vargaze::test {

class StandInConverter {
 public:
  explicit StandInConverter(const std::string& home);
  ~StandInConverter();
  StandInConverter(const StandInConverter&) = delete;
  StandInConverter& operator=(const StandInConverter&) = delete;
};

}  // namespace vargaze::test
