// The automatic light-curve mode.
#include "series/LiveMode.h"

#include <algorithm>
#include <array>
#include <set>
#include <string_view>

#include "base/Strings.h"
#include "base/TextFile.h"
#include "series/LightCurveRun.h"
#include "series/RunFile.h"

namespace vargaze {

namespace {

constexpr std::array<std::string_view, 8> kSkipped = {".VGP", ".ROI", ".PRN", ".TXT",
                                                      ".LOG", ".XLS", ".BMP", ".JPG"};

bool skipped(const std::filesystem::path& file) {
  const std::string ext = stUpcase(file.extension().string());
  return std::find(kSkipped.begin(), kSkipped.end(), ext) != kSkipped.end();
}

}  // namespace

LiveMode::LiveMode(Series& series, Clock clock) : series_(series), clock_(std::move(clock)) {
  if (!clock_) clock_ = [] { return std::chrono::steady_clock::now(); };
}

std::int32_t LiveMode::intervalMs() const {
  return std::clamp(series_.settings().AutocurveRefreshSec, 1, 9999) * 1000;
}

void LiveMode::setSign(RefreshSign sign) {
  if (sign == sign_) return;
  sign_ = sign;
  if (signChanged) signChanged();
}

bool LiveMode::curveComplete() const {
  const std::int32_t points = series_.curve.NumCurvePoints;
  return points > 0 && static_cast<std::size_t>(points) == series_.filelist1.size();
}

bool LiveMode::ensureRunFile() {
  const std::string name = curveFileName(series_.ProjectFilename, series_.settings());
  std::error_code ec;
  const auto status = std::filesystem::status(name, ec);
  if (std::filesystem::is_regular_file(status)) return true;
  // Anything else of that name (a folder, say) could never take the lines.
  const auto& rois = series_.roiWindow().ROIlist;
  std::string error;
  if (!std::filesystem::exists(status) &&
      saveTextFile(name, {runHeaderLine(series_.settings().JDCurveoffset, rois.size()),
                          runReferenceLine(rois)},
                   error)) {
    return true;
  }
  series_.ui().showMessage("Fehler beim Speichern der Datei " + name);
  return false;
}

bool LiveMode::start() {
  if (on()) return true;
  UiPort& ui = series_.ui();
  if (series_.roiWindow().count() == 0) {
    ui.showMessage("Keine ROI definiert.");
    return false;
  }
  // Live mode appends to the run file, which in a colour-index series holds
  // the colour table.
  if (series_.filelist1.empty() || series_.runActive || series_.BVRImode) return false;
  const std::string previousProject = series_.ProjectFilename;
  if (series_.ProjectFilename.empty()) {
    series_.ProjectFilename = justpathname(series_.filelist1.front()) + "autolightcurve.vgp";
  }
  if ((!curveComplete() && Analyse1Click(series_) != RunResult::Completed) || !ensureRunFile()) {
    series_.ProjectFilename = previousProject;
    return false;
  }
  sightings_.clear();
  series_.autoLightcurveOn = true;
  ui.processEvents();
  if (on()) cycle();
  return on();
}

void LiveMode::stop() {
  series_.autoLightcurveOn = false;
  timerEnabled_ = false;
  setSign(RefreshSign::Neutral);
}

bool LiveMode::toggle() {
  if (on()) {
    stop();
    return false;
  }
  return start();
}

std::vector<std::string> LiveMode::scanFolder() const {
  std::vector<std::string> found;
  if (series_.filelist1.empty()) return found;
  const std::string folder = justpathname(series_.filelist1.front());
  const std::set<std::string> listed(series_.filelist1.begin(), series_.filelist1.end());
  std::error_code ec;
  std::filesystem::directory_iterator it(folder.empty() ? "." : folder, ec);
  for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    std::error_code typeError;
    if (!it->is_regular_file(typeError) || skipped(it->path())) continue;
    const std::string name = folder + it->path().filename().string();
    if (listed.count(name) == 0) found.push_back(name);
  }
  std::sort(found.begin(), found.end());
  return found;
}

std::vector<std::string> LiveMode::stableFiles(const std::vector<std::string>& candidates) {
  const auto now = clock_();
  std::map<std::string, Sighting> seen;
  std::vector<std::string> ready;
  for (const std::string& name : candidates) {
    std::error_code sizeError;
    std::error_code timeError;
    const std::uintmax_t size = std::filesystem::file_size(name, sizeError);
    const auto modified = std::filesystem::last_write_time(name, timeError);
    if (sizeError || timeError) continue;  // gone since the scan
    Sighting s{size, modified, now};
    const auto before = sightings_.find(name);
    if (before != sightings_.end() && before->second.size == size &&
        before->second.modified == modified) {
      s.since = before->second.since;
      if (now - s.since >= kStableFor) ready.push_back(name);
    }
    seen.emplace(name, s);
  }
  sightings_ = std::move(seen);
  return ready;
}

std::int32_t LiveMode::cycle() {
  timerEnabled_ = false;
  if (!on()) return 0;
  if (series_.roiWindow().count() == 0 || series_.filelist1.empty() ||
      series_.ProjectFilename.empty() || !ensureRunFile()) {
    stop();
    return 0;
  }
  const std::vector<std::string> ready = stableFiles(scanFolder());
  setSign(RefreshSign::Yellow);
  series_.ui().processEvents();
  AppendResult result;
  if (on() && !ready.empty()) {
    result = AnalyseNew(series_, ready, [this] { return on(); });
  }
  // A frame taken is in the list now; one that did not load is tried again.
  for (const std::string& name : series_.filelist1) sightings_.erase(name);
  // Stopped meanwhile, or the run file refuses the lines: no further cycle
  // (the message was shown once, not at every cycle).
  if (result.runFileFailed) stop();
  if (!on()) return result.appended;
  setSign(RefreshSign::Green);
  timerEnabled_ = true;
  return result.appended;
}

}  // namespace vargaze
