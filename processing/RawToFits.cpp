#include "processing/RawToFits.h"

#include <filesystem>
#include <memory>

#include "base/Errors.h"
#include "base/Strings.h"
#include "processing/RawToFitsChannels.h"

namespace vargaze {

namespace {

constexpr const char* kChannelSuffixes[] = {"_R", "_G", "_B"};

bool isRawFile(const std::string& filename) {
  return upperExtension(filename) == ".CR2";
}

// The command borrows the colour channel and the progress window and gives
// both back on every way out, exceptions included.
class CommandScope {
 public:
  CommandScope(Series& series, std::int32_t steps)
      : series_(series), savedChannel_(series.RGBcolornumber) {
    series_.ui().progressStart(steps, "Konvertierung Raw -> FITS", "Abbruch");
  }
  ~CommandScope() {
    series_.RGBcolornumber = savedChannel_;
    series_.ui().progressStop();
  }
  CommandScope(const CommandScope&) = delete;
  CommandScope& operator=(const CommandScope&) = delete;

 private:
  Series& series_;
  std::uint8_t savedChannel_;
};

// The chosen raw files become the series; the image on display belonged to
// the old list, so there is none until a frame of the new one is shown.
void replaceList(Series& series, std::vector<std::string> rawfiles) {
  series.filelist1 = std::move(rawfiles);
  series.filelistSorted = false;
  series.FramesLoaded = static_cast<std::int32_t>(series.filelist1.size());
  series.ShiftListX.assign(series.filelist1.size(), 0.0);
  series.ShiftlistY.assign(series.filelist1.size(), 0.0);
  series.invalidateCurve();
  series.ProjectFilename.clear();
  series.BVRImode = false;
  series.imagepath = justpathname(series.filelist1.front());
  series.controls.BlinkBoxEnabled = true;
  series.controls.BlinkScrollBarMax = series.FramesLoaded;
  series.controls.BlinkScrollBarPosition = 1;
  series.Activeframe() = 1;
  series.img = std::make_unique<Timgbuffer>();
  series.roiWindow().setImage(series.img.get());
  series.imageLoaded = false;
}

// One frame in the series' own way (channel `RGBcolornumber`).
bool convertSingleChannel(Series& series, const std::string& rawfile, RawToFitsResult& result) {
  std::unique_ptr<Timgbuffer> frame;
  if (!series.LoadImage(frame, rawfile)) {
    series.ui().showMessage("Fehler beim Laden der Datei " + rawfile);
    return false;
  }
  const std::string fits = rawChannelFilename(rawfile, series.RGBcolornumber);
  std::string error;
  if (!frame->Writefitsfile(fits, error)) {
    series.ui().showMessage("Fehler beim Speichern der Datei " + fits);
    return false;
  }
  result.written.push_back(fits);
  return true;
}

}  // namespace

std::string rawChannelFilename(const std::string& rawfilename, std::uint8_t channel) {
  if (channel < 1 || channel > 3) throw RangeError("colour channel must be 1, 2 or 3");
  const std::string base = std::filesystem::path(rawfilename).replace_extension().string();
  return base + kChannelSuffixes[channel - 1] + ".fit";
}

RawToFitsResult RawtoFitskonvertieren1Click(Series& series, const std::vector<std::string>& chosen,
                                            const std::function<std::uint8_t()>& chooseChannel) {
  RawToFitsResult result;
  UiPort& ui = series.ui();
  if (series.runActive) return result;  // a run owns the series until it ends
  if (!chosen.empty()) {
    series.settings().StartupDir = justpathname(chosen.front());
    std::vector<std::string> rawfiles;
    for (const std::string& file : chosen) {
      if (isRawFile(file)) rawfiles.push_back(file);
    }
    // A selection without raw files would leave an empty series behind.
    if (rawfiles.empty()) {
      ui.showMessage("Funktion nur für \".CR2\"-Dateien verfügbar");
      return result;
    }
    replaceList(series, std::move(rawfiles));
    result.listReplaced = true;
  }
  if (series.filelist1.empty()) {
    ui.showMessage("Bitte erst Raw-Bildserie laden");
    return result;
  }
  if (!isRawFile(series.filelist1.front())) {
    ui.showMessage("Funktion nur für \".CR2\"-Dateien verfügbar");
    return result;
  }
  const std::uint8_t channel = chooseChannel ? chooseChannel() : std::uint8_t{0};
  if (channel < 1 || channel > kRawChannelAll) return result;

  const std::vector<std::string> files = series.filelist1;
  const CommandScope scope(series, static_cast<std::int32_t>(files.size()));
  if (channel != kRawChannelAll) series.RGBcolornumber = channel;
  for (std::size_t i = 0; i < files.size(); ++i) {
    series.Activeframe() = static_cast<std::int32_t>(i + 1);
    ui.processEvents();
    if (channel == kRawChannelAll) {
      std::string failedFile;
      bool saveFailed = false;
      const RawChannelsOutcome outcome =
          convertRawChannels(series, files[i], result.written, failedFile, saveFailed);
      if (outcome == RawChannelsOutcome::Cancelled) {
        result.cancelled = true;
        return result;
      }
      if (outcome == RawChannelsOutcome::Failed) {
        ui.showMessage(
            (saveFailed ? "Fehler beim Speichern der Datei " : "Fehler beim Laden der Datei ") +
            failedFile);
        result.failed = true;
        return result;
      }
    } else if (!convertSingleChannel(series, files[i], result)) {
      result.failed = true;
      return result;
    }
    ui.progressStep();
    ui.processEvents();
    if (ui.cancelRequested()) {
      result.cancelled = true;
      return result;
    }
  }
  return result;
}

}  // namespace vargaze
