// The image processing commands as the menus run them: what a command
// refuses before it asks for a file, and what it leaves behind in the
// application (configuration, export table, display, status bar). The image
// work itself is the engine's (processing/); commands that add nothing to it
// ("Zeilenartefakte eliminieren", "test crosscorelation", "Flatkorrektur",
// "get DCF time") are called there directly.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "processing/JpegExport.h"
#include "processing/RawToFits.h"

namespace vargaze {

class Application;
class MainWindowModel;

// Asks for a file name; empty when the user cancelled.
using ChooseFileName = std::function<std::string()>;

// "Background Subtraktion": "Kein Bild geladen" and "Kein Background
// definiert." refuse it before the target name is asked for. True when every
// frame was written.
bool backgroundSubtraction(Application& app, const ChooseFileName& chooseTarget);

// "Bild speichern": "Kein Bild geladen" refuses it before the name is asked
// for. True when the file was written.
bool saveImage(Application& app, const ChooseFileName& chooseName);

// "Bildserie als JPG exportieren": without a loaded series nothing happens,
// not even the dialog; nullopt then and when the dialog was cancelled.
std::optional<JpegExportResult> jpegExport(Application& app, const ChooseFileName& chooseName);

// "Raw-Bildserie nach Fits konvertieren" with the files chosen in the open
// dialog (empty: cancelled, the series loaded is converted). A selection
// makes its folder the start folder and writes the configuration; when it
// replaced the series, the export table is reset and the display shows that
// no frame is loaded.
RawToFitsResult rawToFits(Application& app, const std::vector<std::string>& chosen,
                          const std::function<std::uint8_t()>& chooseChannel);

// "set DCF marker": with an image loaded, marking mode on, the ROI window
// brought up and the prompt in the first status panel; else "Load image
// first" and false.
bool setDcfMarker(Application& app, MainWindowModel& main);

}  // namespace vargaze
