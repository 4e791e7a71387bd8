// What the commands that edit a project's ROIs share: opening the project
// with the ROI window ready, pixel positions given on the command line, and
// saving the project.
#pragma once

#include <string>

#include "cli/Session.h"

namespace vargaze::cli {

// Opens the project with frame 1 shown. A project without ROIs shows the ROI
// window for the first time, so new ROIs take the configured aperture sizes
// (a project with ROIs keeps the sizes of its ROI file).
bool openProjectForRois(Session& session, const std::string& projectFile);

// The 1-based pixel "X" "Y" of the command line as a 0-based image position
// on the frame shown. UsageError when they are not whole numbers,
// std::runtime_error when they lie outside the frame.
Point framePosition(const Session& session, const std::string& x, const std::string& y);
// The same for "X,Y".
Point framePosition(const Session& session, const std::string& xy);

// Saves the project with its ROI file as the desktop's "Projekt speichern"
// does; 0, or 1 with the reason on stderr.
int saveProject(Session& session, const std::string& projectFile);

}  // namespace vargaze::cli
