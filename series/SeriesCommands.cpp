// Commands of the main window on the series: opening, editing the file list,
// the frame slider, blinking and the display toggles.
#include <algorithm>
#include <filesystem>

#include "base/Strings.h"
#include "image/BayerFrame.h"
#include "image/FitsHeader.h"
#include "image/Trackstar.h"
#include "series/Series.h"

namespace vargaze {

namespace {

// Colour files need a choice of plane: camera formats, RGB FITS cubes and
// raw Bayer mosaics.
bool isColourFile(const std::string& filename) {
  const std::string ext = upperExtension(filename);
  if (ext == ".BMP" || ext == ".PPM" || ext == ".CR2") return true;
  if (ext != ".FIT" && ext != ".FTS" && ext != ".FITS") return false;
  FitsHeader header;
  ReadFitsheader(filename, header);
  bool error = false;
  if (getFitskeyInteger(header, "NAXIS", error) == 3 &&
      Trim(getFitskeyString(header, "CSPACE")) == "RGB") {
    return true;
  }
  return !bayerLayout(header).pattern.empty();
}

}  // namespace

bool Series::openSeries(const std::vector<std::string>& files,
                        const std::function<std::uint8_t()>& chooseColour) {
  if (files.empty() || runActive) return false;
  const std::string first = files.front();
  settings_.StartupDir = justpathname(first);
  // A project restores all of this itself, and a project that fails to load
  // leaves the series as it was.
  if (std::filesystem::path(first).extension() == ".vgp") {
    return openProject ? openProject(first) : false;
  }
  ProjectFilename.clear();
  BVRImode = false;
  ShiftListX.clear();
  ShiftlistY.clear();
  ResetSNRform(roiWindow_.snr);
  invalidateCurve();

  filelist1.clear();
  filelistSorted = false;
  bool colour = false;
  for (const std::string& file : files) {
    filelist1.push_back(file);
    colour = colour || isColourFile(file);
    ShiftListX.push_back(0.0);
    ShiftlistY.push_back(0.0);
  }
  FramesLoaded = static_cast<std::int32_t>(filelist1.size());
  controls.BlinkBoxEnabled = true;
  controls.BlinkScrollBarMax = FramesLoaded;
  imagepath = justpathname(first);
  imageWindow().Vx = 0.0;
  imageWindow().Vy = 0.0;
  Activeframe() = 1;
  controls.BlinkScrollBarPosition = 1;
  if (colour) {
    RGBcolornumber = chooseColour ? chooseColour() : std::uint8_t{2};
    const std::int32_t code = 9 - RGBcolornumber;  // red 8, green 7, blue 6
    if (img && img->filename == first && img->FilterType != code) settings_.ConfigChanged = true;
  }

  Timer1Enabled = false;
  if (!Display(filelist1[0])) return false;
  // Said once for the series: its frames come from one camera.
  if (!img->readWarning.empty()) ui_.showMessage(filelist1[0] + ": " + img->readWarning);
  imageLoaded = true;
  imageWindow().TrackstarX = -1.0;
  imageWindow().TrackstarY = -1.0;
  ShiftListX.assign(filelist1.size(), 0.0);
  ShiftlistY.assign(filelist1.size(), 0.0);
  roiWindow_.SetROIposition();
  std::int32_t xm = 0, ym = 0, vmin = 0, vmax = 0, vmean = 0;
  double xt = 0.0, yt = 0.0;
  if (GetTrackstarcenter(0, 0, settings_.TrackingRange, *img, xm, ym, vmin, vmax, vmean, xt, yt)) {
    imageWindow().TrackstarX = xt;
    imageWindow().TrackstarY = yt;
  }
  Display(filelist1[0]);
  ui_.processEvents();
  Timer1Enabled = true;
  return true;
}

bool Series::editFileList(const std::vector<std::string>& lines) {
  std::vector<std::string> names;
  for (const std::string& line : lines) {
    if (!line.empty()) names.push_back(line);
  }
  if (names.empty() || runActive) return false;
  filelist1 = std::move(names);
  ShiftListX.assign(filelist1.size(), 0.0);
  ShiftlistY.assign(filelist1.size(), 0.0);
  invalidateCurve();
  FramesLoaded = static_cast<std::int32_t>(filelist1.size());
  controls.BlinkScrollBarMax = FramesLoaded;
  Activeframe() = 1;
  controls.BlinkScrollBarPosition = 1;
  return Display(filelist1[0]);
}

bool Series::BlinkScrollBarChange(std::int32_t position) {
  if (FramesLoaded <= 0) return false;
  position = std::clamp(position, 1, FramesLoaded);
  controls.BlinkScrollBarPosition = position;
  Activeframe() = position;
  const bool shown = Display(filelist1[static_cast<std::size_t>(position - 1)]);
  if (!shown) BlinkBoxClick(false);
  return shown;
}

void Series::BlinkTimerTimer() {
  if (!flags().Blinkmode) {
    BlinkBoxClick(false);
    return;
  }
  if (FramesLoaded <= 0) return;
  std::int32_t next = Activeframe() + 1;
  if (next > FramesLoaded) {
    next = 1;
    roiWindow_.ResetROIposition();
  }
  BlinkScrollBarChange(next);
}

void Series::FlipcheckClick(bool checked) {
  controls.Flipcheck = checked;
  if (FramesLoaded > 0) BlinkScrollBarChange(controls.BlinkScrollBarPosition);
}

void Series::Rot180CheckClick(bool checked) {
  controls.Rot180Check = checked;
  if (FramesLoaded > 0) BlinkScrollBarChange(controls.BlinkScrollBarPosition);
}

void Series::AutocontrastCheckClick(bool checked) {
  controls.AutocontrastCheck = checked;
  if (!DisplayActive && !autoLightcurveOn && FramesLoaded > 0) {
    BlinkScrollBarChange(controls.BlinkScrollBarPosition);
  }
  controls.PlanetCheckBoxEnabled = controls.AutocontrastCheck;
}

}  // namespace vargaze
