// Camera raw frames: converted by the raw converter, then read as PPM.
#include <filesystem>

#include "config/ProgramFolder.h"
#include "image/RawConverter.h"
#include "series/Series.h"

namespace vargaze {

bool Series::readRawFrame(Timgbuffer& target, const std::string& filename) {
  const std::string info = findProgdir() + "rawinfo.txt";
  const std::string ppm = rawPpmFilename(filename);
  std::error_code ec;
  const bool ppmExisted = std::filesystem::exists(ppm, ec);
  std::string error;
  const bool converted = ConvertRaw1(filename, info, error);
  const bool read = converted && target.ReadPPMfile(ppm, RGBcolornumber);
  // A picture the conversion made is only a step on the way; one the user
  // had before stays.
  if (converted && !ppmExisted) std::filesystem::remove(ppm, ec);
  if (!read) {
    if (!converted) target.readError = error;
    return false;
  }
  if (target.ysize > target.xsize) {
    target.rotate90(1);
    target.rotated = 0;  // portrait camera frames are not a user's turn
  }
  static constexpr const char* kPlaneNames[] = {"TR", "TG", "TB"};
  target.FilterName = kPlaneNames[RGBcolornumber - 1];
  target.SetRawInfo(info, settings_.UToffset / 24.0);
  return true;
}

}  // namespace vargaze
