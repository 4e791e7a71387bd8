// Project files made without the desktop's windows: a new project over a set
// of frames (it has no ROI yet, which a full project save refuses), and a
// track star chosen near a position (which a full save would search anew
// over the whole frame).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vargaze {

class Application;
class Series;

// The frames in the order of a project's frame list: by name with letter
// case aside, then by the exact name; each name once.
std::vector<std::string> framesByName(std::vector<std::string> frames);

// Opens the frames, in name order, as a series and writes the project file
// `filename` for it (no ROI file, no curve). False when the series could not
// be opened or the file not written (the message says why).
bool newProject(Application& app, const std::vector<std::string>& frames,
                const std::string& filename);

// Takes as track star the star nearest the 1-based pixel (x, y) within the
// tracking range on the frame shown. False, the track star unchanged, when
// none is found there.
bool chooseTrackstar(Application& app, std::int32_t x, std::int32_t y);

// Writes the project file of the series as it stands; an existing file is
// replaced only once the new one is complete. ROI and curve files stay as
// they are.
bool writeProjectFile(Series& series, const std::string& filename);

}  // namespace vargaze
