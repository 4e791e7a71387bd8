// The image processing commands of the menus as the desktop runs them: each
// command's file dialog, the channel dialog of the raw conversion and the
// hourglass while files are written. One entry per menu item; the main
// window refreshes its view afterwards as after every command.
#pragma once

class QWidget;

namespace vargaze {

class Application;
class FileChooser;
class MainWindowModel;
struct ColourChoice;

// A save dialog as a command shows it. An empty title leaves the platform's.
struct SaveDialogKind {
  const char* title;
  const char* filter;     // Qt form: "name (*.a *.b);;..."
  const char* extension;  // added to a name typed without one; "" adds none
};

inline constexpr SaveDialogKind kFitsSaveDialog{"", "Fits image (*.fits *.fit *.fts)", ".fit"};
inline constexpr SaveDialogKind kJpegSaveDialog{"", "*.jpg", ""};
inline constexpr SaveDialogKind kDcfSaveDialog{"Save to file", "prn-files (*.prn);;txt-files (*.txt)",
                                               ".prn"};
inline constexpr const char* kMasterFlatTitle = "Master Flat auswählen";
inline constexpr const char* kRawFilesTitle = "Bilddateien auswählen";

// "Bearbeitung"
void runBackgroundSubtraction(Application& app, FileChooser& chooser);  // "Background Subtraktion"
void runEliminateLines(Application& app);     // "Zeilenartefakte eliminieren"
void runCrossCorrelation(Application& app);   // "test crosscorelation"
void runFlatCorrection(Application& app, FileChooser& chooser, const MainWindowModel& main);  // "Flatkorrektur"
// "Flat corr." clicked: checking it runs "Flatkorrektur".
void flatCheckClicked(Application& app, FileChooser& chooser, const MainWindowModel& main, bool checked);

// "Datei"
void runSaveImage(Application& app, FileChooser& chooser);  // "Bild speichern"
// "Raw-Bildserie nach Fits konvertieren": the open dialog with the raw files'
// entry selected, then the channel dialog (with "RGB") over `parent`.
void runRawToFits(QWidget* parent, Application& app, FileChooser& chooser,
                  const MainWindowModel& main, ColourChoice& choice);
void runJpegExport(Application& app, FileChooser& chooser);  // "Bildserie als JPG exportieren"

// "Photometrie"
void runSetDcfMarker(Application& app, MainWindowModel& main);  // "set DCF marker"
void runGetDcfTime(Application& app, FileChooser& chooser);     // "get DCF time"

}  // namespace vargaze
