// The ROI commands of the main window: the two ROI-mode buttons, loading a
// ROI file, and putting ROIs back to or fixing their start positions.
#include "app/Application.h"
#include "app/MainWindow.h"
#include "image/Trackstar.h"
#include "photometry/RoiFile.h"

namespace vargaze {

namespace {

// A track star anywhere in the frame: the search box spans the whole image.
void searchTrackstar(Application& app) {
  std::int32_t xm = 0, ym = 0, vmin = 0, vmax = 0, vmean = 0;
  double xt = -1.0, yt = -1.0;
  if (!GetTrackstarcenter(0, 0, 2 * app.settings.TrackingRange, *app.series.img, xm, ym, vmin,
                          vmax, vmean, xt, yt)) {
    xt = yt = -1.0;
  }
  app.imageWindow.TrackstarX = xt;
  app.imageWindow.TrackstarY = yt;
}

// Frame 1 shown, events let run, and the ROIs' positions on it become their
// start positions.
void settleOnFirstFrame(Application& app) {
  Series& series = app.series;
  series.ShiftListX.assign(series.filelist1.size(), 0.0);
  series.ShiftlistY.assign(series.filelist1.size(), 0.0);
  if (series.FramesLoaded > 0) series.Display(series.filelist1.front());
  app.ui().processEvents();
  app.roiWindow.SetROIposition();
}

}  // namespace

void MainWindowModel::ROIbuttonClick(bool down) {
  MainWindowFlags& flags = app_.flags;
  cursor = ImageCursor::Cross;
  if (!app_.series.imageLoaded) {
    app_.ui().showMessage("Bitte erst ein Bild laden");
    ROIbuttonDown = false;
    return;
  }
  ROIbuttonDown = down;
  if (!down) {
    flags.NewROI = false;
    statusPanel0.clear();
    return;
  }
  MoveRoiButtonDown = false;
  flags.EditROI = false;  // its button went up
  roiWindowShown = true;
  flags.NewROI = true;
  if (app_.roiWindow.count() >= MaxROIs) app_.ui().showMessage("Max. Anzahl Marker erreicht");
  statusPanel0 = "Stern mit linker Maustaste markieren";
}

void MainWindowModel::MoveRoiButtonClick(bool down) {
  MainWindowFlags& flags = app_.flags;
  MoveRoiButtonDown = down;
  if (!down) {
    flags.EditROI = false;
    statusPanel0.clear();
    cursor = ImageCursor::Arrow;
    return;
  }
  cursor = ImageCursor::Drag;
  if (app_.roiWindow.count() == 0) {
    app_.ui().showMessage("Noch keine ROI definiert.");
    MoveRoiButtonDown = false;
    return;
  }
  ROIbuttonDown = false;
  flags.NewROI = false;
  flags.EditROI = true;
  statusPanel0 = "ROI mit linker Maustaste verschieben";
}

void MainWindowModel::MROIneuClick() {
  if (!ROIbuttonDown) ROIbuttonClick(true);
}

void MainWindowModel::MROIeditClick() {
  if (!MoveRoiButtonDown) MoveRoiButtonClick(true);
}

void MainWindowModel::mROIresetClick() {
  app_.roiWindow.ResetROIposition();
  app_.imageWindow.Vx = 0.0;
  app_.imageWindow.Vy = 0.0;
  app_.roiWindow.UpdateROItable(0);
}

void MainWindowModel::ROIPositionenfixieren1Click() { app_.roiWindow.SetROIposition(); }

void MainWindowModel::ClearROIs1Click() { app_.clearRois(); }

bool MainWindowModel::LoadROIs1Click(const std::function<std::string()>& chooseFile) {
  Series& series = app_.series;
  RoiWindow& win = app_.roiWindow;
  if (!series.imageLoaded) {
    app_.ui().showMessage("Bitte erst ein Bild laden");
    return false;
  }
  roiWindowShown = true;
  series.Timer1Enabled = false;
  struct TimerBackOn {
    Series& series;
    ~TimerBackOn() { series.Timer1Enabled = true; }
  } timerBackOn{series};
  series.Activeframe() = 1;
  series.controls.BlinkScrollBarPosition = 1;
  if (series.FramesLoaded > 0 && !series.Display(series.filelist1.front())) return false;
  if (win.count() > 0 &&
      app_.ui().askYesNoCancel("Vorhandene ROIs werden gelöscht; sind Sie sicher?") !=
          UiPort::Answer::Yes) {
    return false;
  }
  const std::string file = chooseFile ? chooseFile() : std::string();
  if (file.empty()) return false;
  const bool complete = LoadROI(win, file, false, &app_.starInfo.CompTypeGroup);
  if (!complete && win.count() == 0) return false;
  if (app_.imageWindow.TrackstarX < 0.0 || app_.imageWindow.TrackstarY < 0.0) {
    searchTrackstar(app_);
  }
  settleOnFirstFrame(app_);
  searchTrackstar(app_);
  settleOnFirstFrame(app_);
  return complete;
}

}  // namespace vargaze
