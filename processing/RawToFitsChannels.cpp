#include "processing/RawToFitsChannels.h"

#include <filesystem>
#include <memory>
#include <system_error>

#include "config/ProgramFolder.h"
#include "image/RawConverter.h"
#include "processing/RawToFits.h"

namespace vargaze {

namespace {

constexpr const char* kPlaneNames[] = {"TR", "TG", "TB"};

// Removes the converter's picture on every way out, but never a picture the
// user had before the command.
class PictureCleanup {
 public:
  explicit PictureCleanup(std::string ppm) : ppm_(std::move(ppm)) {
    std::error_code ec;
    existed_ = std::filesystem::exists(ppm_, ec);
  }
  ~PictureCleanup() {
    std::error_code ec;
    if (!existed_) std::filesystem::remove(ppm_, ec);
  }
  PictureCleanup(const PictureCleanup&) = delete;
  PictureCleanup& operator=(const PictureCleanup&) = delete;

 private:
  std::string ppm_;
  bool existed_ = false;
};

bool convertPlane(Series& series, const std::string& rawfile, std::uint8_t channel,
                  Timgbuffer& plane) {
  const std::string info = findProgdir() + "rawinfo.txt";
  if (!ConvertRaw1(rawfile, info) || !plane.ReadPPMfile(rawPpmFilename(rawfile), channel)) {
    return false;
  }
  if (plane.ysize > plane.xsize) {
    plane.rotate90(1);
    plane.rotated = 0;  // a portrait camera frame, not a turn by the user
  }
  plane.FilterName = kPlaneNames[channel - 1];
  plane.SetRawInfo(info, series.settings().UToffset / 24.0);
  return true;
}

}  // namespace

RawChannelsOutcome convertRawChannels(Series& series, const std::string& rawfile,
                                      std::vector<std::string>& written, std::string& failedFile,
                                      bool& saveFailed) {
  const PictureCleanup cleanup(rawPpmFilename(rawfile));
  for (std::uint8_t channel = 1; channel <= 3; ++channel) {
    auto plane = std::make_unique<Timgbuffer>();
    if (!convertPlane(series, rawfile, channel, *plane)) {
      failedFile = rawfile;
      return RawChannelsOutcome::Failed;
    }
    const std::string fits = rawChannelFilename(rawfile, channel);
    std::string error;
    if (!plane->Writefitsfile(fits, error)) {
      failedFile = fits;
      saveFailed = true;
      return RawChannelsOutcome::Failed;
    }
    written.push_back(fits);
    series.ui().processEvents();
    if (series.ui().cancelRequested()) return RawChannelsOutcome::Cancelled;
  }
  return RawChannelsOutcome::Done;
}

}  // namespace vargaze
