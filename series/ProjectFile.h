// Project files (".vgp"): the frame list, the ROI names and catalogue
// magnitudes, the display and measurement settings and the track star of a
// series. Beside the project live its ROI file (".roi") and its curve data
// file (configured curve extension). File names come from the caller; the
// GUI runs the file dialogs.
#pragma once

#include <string>
#include <vector>

#include "series/Series.h"
#include "series/SeriesMode.h"

namespace vargaze {

struct CompTypeState;

// The 34-line layout of a project file for the current state (CR LF is added
// when the lines are written); a series of colour-camera frames adds its
// colour plane to "[image]".
std::vector<std::string> projectLines(Series& series);

// Saves the project as `filename` together with its ROI file and, when a
// curve exists and the series is not a colour-index series, its curve data
// file. Frame 1 is shown first, the ROI positions become their start
// positions and the track star is searched anew over the whole frame.
// "Noch keine Projektdaten vorhanden." without ROIs or frames. A project
// name whose ROI or curve file would be the project file itself is refused.
// Every file is replaced only once it was written completely. True when all
// files were written; the project name is taken once the project file is.
bool SaveProject(Series& series, const std::string& filename);

enum class ProjectLoadResult {
  Loaded,
  Refused,        // empty name, or a run owns the series
  ReadError,      // "read error": not readable or no frames; nothing changed
  DisplayFailed,  // frame 1 not shown: ROIs cleared, no project name
};

struct ProjectLoadOptions {
  // Ask "Lichtkurve darstellen?" for more than 3 frames (time series only)
  // and run the light curve on Yes.
  bool askForCurve = true;
  // The star information dialog's "Photometrie Typ", set to "standardisiert"
  // by a comparison star of known magnitude.
  CompTypeState* compType = nullptr;
};

// Restores a saved project: series (sorted by name; re-rooted to the
// project's folder when the frames' folder is gone), ROIs, names, catalogue
// magnitudes, filter, colour-index mode, orientation, binning, colour
// plane, chart identifier, centring settings and track star; then shows
// frame 1.
ProjectLoadResult LoadProjectfile(Series& series, const std::string& filename,
                                  const ProjectLoadOptions& options = {});

// Makes ".vgp" files given to Series::openSeries open through LoadProjectfile.
void installProjectLoader(Series& series, const ProjectLoadOptions& options = {});

}  // namespace vargaze
