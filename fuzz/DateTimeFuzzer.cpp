// Runs the date and time parsers on the input bytes as text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/Errors.h"
#include "image/Astro.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  int year = 0, month = 0, day = 0, h = 0, m = 0;
  float sec = 0.0f;
  try {
    vargaze::convertdate(text, year, month, day);
  } catch (const vargaze::Error&) {
  }
  try {
    vargaze::converttime(text, h, m, sec);
  } catch (const vargaze::Error&) {
  }
  try {
    vargaze::ConvertDateRaptor(text, year, month, day, h, m, sec);
  } catch (const vargaze::Error&) {
  }
  return 0;
}
