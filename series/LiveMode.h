// The automatic light-curve mode ("Live"): the folder of the series is
// scanned at a fixed interval and every new image file is measured and
// appended to the light curve. A timer of the GUI or the loop of the command
// line drives it: after start() and after every cycle(), the next cycle is due
// `intervalMs()` later while `timerEnabled()` says so.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "series/Series.h"

namespace vargaze {

// The curve window's small circle: yellow while a cycle measures, green
// while waiting for the next one, the neutral colour when the mode is off.
enum class RefreshSign { Neutral, Yellow, Green };

class LiveMode {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  // A file is taken once its size and modification time stayed the same this
  // long, so a frame the camera is still writing is left for a later cycle.
  static constexpr std::chrono::seconds kStableFor{2};

  explicit LiveMode(Series& series, Clock clock = {});

  // "Live" confirmed. Needs ROIs ("Keine ROI definiert.") and frames, and a
  // time series. Without a project name the run file becomes
  // "autolightcurve" in the frames' folder. A series without a completed
  // curve is measured in full first; a missing run file is created with its
  // header and reference lines. Then the first cycle runs. True when on.
  bool start();
  // "Stop": always stops, also in the middle of a cycle (after its current
  // file); no further cycle is due.
  void stop();
  // `Autolightcurve1Click`: on → stop(), off → start().
  bool toggle();
  // One scan-and-measure cycle; returns the number of frames appended. A run
  // file that cannot be written switches the mode off with the message.
  std::int32_t cycle();

  // Files of the series' folder that may be new frames: not in the frame
  // list (exact comparison) and not of the skipped kinds (".VGP", ".ROI",
  // ".PRN", ".TXT", ".LOG", ".XLS", ".BMP", ".JPG"), sorted by name.
  std::vector<std::string> scanFolder() const;

  bool on() const { return series_.autoLightcurveOn; }
  bool timerEnabled() const { return timerEnabled_; }
  std::int32_t intervalMs() const;
  RefreshSign refreshSign() const { return sign_; }
  // Called when the sign changes, before a cycle lets events run, so a
  // window shows yellow while the cycle measures.
  std::function<void()> signChanged;
  bool LifeBtnEnabled() const { return !on(); }
  bool StopButtonVisible() const { return on(); }

 private:
  struct Sighting {
    std::uintmax_t size = 0;
    std::filesystem::file_time_type modified;
    std::chrono::steady_clock::time_point since;
  };

  void setSign(RefreshSign sign);
  bool curveComplete() const;
  bool ensureRunFile();
  std::vector<std::string> stableFiles(const std::vector<std::string>& candidates);

  Series& series_;
  Clock clock_;
  bool timerEnabled_ = false;
  RefreshSign sign_ = RefreshSign::Neutral;
  std::map<std::string, Sighting> sightings_;  // candidates not yet taken
};

}  // namespace vargaze
