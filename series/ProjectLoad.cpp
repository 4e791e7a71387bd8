// Loading a project: the file is read whole first, so a file that cannot be
// used changes nothing; then the series, the ROIs and the settings are
// replaced and frame 1 is shown.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <utility>

#include "base/Numbers.h"
#include "base/Strings.h"
#include "base/TextFile.h"
#include "photometry/RoiFile.h"
#include "photometry/StarInfo.h"
#include "series/LightCurveRun.h"
#include "series/ProjectData.h"
#include "series/ProjectFile.h"

namespace vargaze {

namespace {

// Name order of the project's frame list: letter case aside, then exact.
// Each name's lower-case key is made once, not in every comparison: a project
// may list a great many frames.
void sortByName(std::vector<std::string>& names) {
  std::vector<std::pair<std::string, std::string>> keyed;
  keyed.reserve(names.size());
  for (std::string& name : names) keyed.emplace_back(StLoCase(name), std::move(name));
  std::sort(keyed.begin(), keyed.end());  // by key, then by the exact name
  names.clear();
  for (auto& entry : keyed) names.push_back(std::move(entry.second));
  names.erase(std::unique(names.begin(), names.end()), names.end());
}

// File name without its folder; projects written on Windows use "\".
std::string bareName(const std::string& path) {
  const auto cut = path.find_last_of("/\\");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string folderOf(const std::string& path) {
  const auto cut = path.find_last_of("/\\");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

bool folderExists(const std::string& folder) {
  std::error_code ec;
  return !folder.empty() && std::filesystem::is_directory(folder, ec);
}

std::int32_t scrollPosition(double level) {
  return roundToInt32(std::sqrt(std::clamp(level, 0.0, 1.0)) * 1000.0);
}

// Takes the frame list out of `data`: a long list is not held twice.
void resetSeries(Series& series, const std::string& filename, ProjectData& data) {
  series.ProjectFilename = filename;
  series.filelist1 = std::move(data.files);
  sortByName(series.filelist1);
  series.filelistSorted = true;
  series.FramesLoaded = 0;
  series.controls.BlinkScrollBarPosition = 1;
  series.ShiftListX.clear();
  series.ShiftlistY.clear();
  series.Timer1Enabled = false;
  series.invalidateCurve();
  ImageWindowState& imgwin = series.imageWindow();
  imgwin.Vx = 0.0;
  imgwin.Vy = 0.0;
  imgwin.TrackstarX = -1.0;
  imgwin.TrackstarY = -1.0;
  series.roiWindow().AAVSOchartEdit.clear();
  series.roiWindow().AutocenterCheckBox = true;
}

// The ROIs always come from this project: a project without ROIs, or whose
// ROI file cannot be read, must not keep the apertures of another field.
void restoreRois(Series& series, const std::string& filename, const ProjectData& data,
                 CompTypeState* compType) {
  RoiWindow& win = series.roiWindow();
  win.ClearROIs();
  if (data.roiSection && data.roiCount != 0) {
    const std::string roiFile = std::filesystem::path(filename).replace_extension(".roi").string();
    LoadROI(win, roiFile, false, compType);
  }
  for (std::int32_t i = 1; i <= win.count(); ++i) {
    TRoi1& r = win.roi(i);
    const auto k = static_cast<std::size_t>(i - 1);
    if (r.ref && r.rmag != 0.0f && compType != nullptr) compType->ItemIndex = 1;
    if (k < data.names.size() && !data.names[k].empty()) r.Name = roiNameFrom(data.names[k]);
    win.bvri(i) = k < data.bvri.size() ? data.bvri[k] : BVRIRec{};
  }
  win.AAVSOchartEdit = data.chartId;
  win.AutocenterCheckBox = data.autocenter.value_or(true);
  if (data.ringSizesApply && win.count() > 0) {
    win.setInnerSize(data.ringInner.value_or(win.BGinnerEdit.value));
    win.setOuterSize(data.ringOuter.value_or(win.BGsizeEdit.value));
    for (TRoi1& r : win.ROIlist) {
      r.d2 = win.BGinnerEdit.value;
      r.d3 = win.BGsizeEdit.value;
    }
  }
  series.imageWindow().TrackstarX = data.trackstarX;
  series.imageWindow().TrackstarY = data.trackstarY;
}

void restoreSettings(Series& series, const ProjectData& data) {
  series.CurveTitle = data.curveTitle.value_or(std::string());
  // The filter box only selects the stored filter: its handler would replace
  // the reference magnitudes the ROI file just brought.
  if (data.filterType && *data.filterType >= 0 && *data.filterType < kFilterCount) {
    series.roiWindow().FilterType = *data.filterType;
  }
  series.BVRImode = data.BVRImode;
  if (data.flipvertical) series.controls.Flipcheck = *data.flipvertical;
  if (data.rotate180) series.controls.Rot180Check = *data.rotate180;
  if (data.imgBinning) series.settings().imgBinning = *data.imgBinning;
  // A project without a channel reads colour frames green, as after start-up.
  series.RGBcolornumber = data.RGBcolornumber.value_or(std::uint8_t{2});
  // Orientation and binning may differ from the frame in the buffer.
  series.settings().ConfigChanged = true;
}

// The frames' folder is gone (moved disk, copied project): the frames are
// looked for beside the project.
void relocate(Series& series, const std::string& filename) {
  series.imagepath = folderOf(series.filelist1.front());
  if (folderExists(series.imagepath)) return;
  series.imagepath = folderOf(filename);
  for (std::string& name : series.filelist1) name = series.imagepath + bareName(name);
  sortByName(series.filelist1);
}

void finishSeries(Series& series, const std::string& filename) {
  series.FramesLoaded = static_cast<std::int32_t>(series.filelist1.size());
  if (series.FramesLoaded < 2) series.roiWindow().SetROIposition();
  series.controls.BlinkBoxEnabled = true;
  series.controls.BlinkScrollBarMax = series.FramesLoaded;
  relocate(series, filename);
  series.FramesLoaded = static_cast<std::int32_t>(series.filelist1.size());
  series.controls.BlinkScrollBarMax = series.FramesLoaded;
  series.ShiftListX.assign(series.filelist1.size(), 0.0);
  series.ShiftlistY.assign(series.filelist1.size(), 0.0);
  series.Activeframe() = 1;
}

bool showFirstFrame(Series& series, const ProjectData& data) {
  if (!series.Display(series.filelist1.front())) return false;
  DisplayControls& controls = series.controls;
  if (!controls.AutocontrastCheck) {
    const double upper = data.upperLevel == 0.0 ? 1.0 : data.upperLevel;
    controls.Upperscrollbar = scrollPosition(upper);
    controls.LowerScrollBar = scrollPosition(data.lowerLevel);
    series.Getlevels(series.displayLower, series.displayUpper);
  }
  series.imageLoaded = true;
  series.Timer1Enabled = true;
  SnrModel& snr = series.roiWindow().snr;
  snr.SNRspecial = false;
  snr.Stackingtype = 0;
  snr.Nstack = 1;
  return true;
}

// A load that did not finish leaves a plain series without ROIs and without a
// project name, never a mix of the old and the new project.
void abandonLoad(Series& series) {
  series.imageLoaded = false;
  series.roiWindow().ClearROIs();
  series.ProjectFilename.clear();
  series.Timer1Enabled = true;
}

}  // namespace

ProjectLoadResult LoadProjectfile(Series& series, const std::string& filename,
                                  const ProjectLoadOptions& options) {
  if (filename.empty() || series.runActive) return ProjectLoadResult::Refused;
  UiPort& ui = series.ui();
  std::vector<std::string> lines;
  std::string error;
  if (!readTextLines(filename, lines, error)) {
    ui.showMessage("read error");
    return ProjectLoadResult::ReadError;
  }
  ProjectData data = parseProject(lines);
  std::vector<std::string>().swap(lines);  // the text is parsed; free it before the list is sorted
  if (data.files.empty()) {
    ui.showMessage("read error");
    return ProjectLoadResult::ReadError;
  }

  try {
    resetSeries(series, filename, data);
    restoreRois(series, filename, data, options.compType);
    restoreSettings(series, data);
    finishSeries(series, filename);
    if (!showFirstFrame(series, data)) {
      abandonLoad(series);
      return ProjectLoadResult::DisplayFailed;
    }
  } catch (...) {
    abandonLoad(series);
    throw;
  }

  if (options.askForCurve && series.FramesLoaded > 3 && !series.BVRImode &&
      ui.askYesNo("Lichtkurve darstellen?")) {
    Analyse1Click(series);
  }
  return ProjectLoadResult::Loaded;
}

void installProjectLoader(Series& series, const ProjectLoadOptions& options) {
  series.openProject = [&series, options](const std::string& filename) {
    return LoadProjectfile(series, filename, options) == ProjectLoadResult::Loaded;
  };
}

}  // namespace vargaze
