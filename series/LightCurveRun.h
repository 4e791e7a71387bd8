// The light-curve run: every frame of the series measured with the current
// ROIs, one line per frame in the run file (flushed after every frame) and
// the curve arrays filled; and the incremental run that appends new frames.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "series/Series.h"

namespace vargaze {

enum class RunResult {
  Completed,  // every frame measured; the curve replaced
  Cancelled,  // stopped by the user; the run file keeps the frames done
  Failed,     // a frame could not be loaded or the run file not written
  Refused,    // no ROI, fewer than 2 frames, no project name
};

// The full run over the series. `saveProject` is asked for a project name
// when none is set (it returns false when the user declines).
RunResult Analyse1Click(Series& series, const std::function<bool()>& saveProject = {});

struct AppendResult {
  std::int32_t appended = 0;   // frames appended to the series and the curve
  bool runFileFailed = false;  // the run file could not be opened or written (shown)
};

// Measures `newfilelist` and appends the frames that load to the series, the
// run file and the curve; files that do not load are skipped. `keepGoing` is
// asked after every file (false: stop after this one). A run file that cannot
// be opened or written ends it with the message.
AppendResult AnalyseNew(Series& series, const std::vector<std::string>& newfilelist,
                        const std::function<bool()>& keepGoing = {});

// Writes the curve data file (nothing without ROIs or curve: "Keine
// Lichtkurven vorhanden."). False when nothing was written.
bool SaveCurveData(Series& series, const std::string& filename);

}  // namespace vargaze
