// The light-curve runs over the frames of a series.
#include "series/LightCurveRun.h"

#include "base/TextFile.h"
#include "image/AutoContrast.h"
#include "photometry/Tracking.h"
#include "series/LostStars.h"
#include "series/RunFile.h"
#include "series/RunScope.h"

namespace vargaze {

namespace {

std::vector<float> roiMagnitudes(const RoiWindow& window) {
  std::vector<float> mags;
  mags.reserve(window.ROIlist.size());
  for (const TRoi1& r : window.ROIlist) mags.push_back(r.mag);
  return mags;
}

// Display levels of a frame measured in a run, for the window that shows it:
// two passes over the frame that no measurement needs.
void runLevels(Series& series) {
  if (!series.displaysFrames) return;
  if (series.controls.AutocontrastCheck) {
    const TImgLevels levels = SetimgLevels(*series.img, series.controls.PlanetCheckBox);
    series.displayLower = levels.lower;
    series.displayUpper = levels.upper;
  } else {
    series.Getlevels(series.displayLower, series.displayUpper);
  }
}

// Loads a frame of a run as the frame on display. The pixel memory of the
// frame it replaces goes to `spare`, where the next frame of the same size
// takes it: fresh memory would be faulted in page by page for every frame.
bool loadRunFrame(Series& series, const std::string& name, Timgbuffer::PixelStore& spare) {
  std::unique_ptr<Timgbuffer> frame;
  if (!series.LoadImage(frame, name, &spare)) return false;
  if (series.img) spare = series.img->takePixelStore();
  series.img = std::move(frame);
  series.roiWindow().setImage(series.img.get());
  return true;
}

// Measures the frame in series.img and writes its line; false when the line
// could not be written.
bool measureFrame(Series& series, TextFileWriter& runFile, std::size_t index,
                  CurveArrays& curve) {
  RoiWindow& window = series.roiWindow();
  const Settings& settings = series.settings();
  window.UpdateROItable(0);
  series.imageLoaded = true;
  window.FilePanel = series.img->filename;
  window.JDPanel = jdPanelText(*series.img, settings);
  const double time = frameJulianDate(*series.img, settings) - settings.JDCurveoffset;
  const std::vector<float> mags = roiMagnitudes(window);
  curve.setFrame(index, time, static_cast<float>(series.img->Airmass), mags);
  return runFile.writeLine(runFrameLine(series.img->filename, time, settings.JDprecision, mags));
}

bool openRunFile(Series& series, TextFileWriter& runFile, TextFileWriter::Mode mode) {
  const std::string name = curveFileName(series.ProjectFilename, series.settings());
  if (!runFile.open(name, mode)) return false;
  if (mode == TextFileWriter::Mode::Create) {
    const auto& rois = series.roiWindow().ROIlist;
    return runFile.writeLine(runHeaderLine(series.settings().JDCurveoffset, rois.size())) &&
           runFile.writeLine(runReferenceLine(rois));
  }
  return true;
}

}  // namespace

RunResult Analyse1Click(Series& series, const std::function<bool()>& saveProject) {
  RoiWindow& window = series.roiWindow();
  UiPort& ui = series.ui();
  if (series.runActive) return RunResult::Refused;
  if (window.count() == 0) {
    ui.showMessage("Keine ROI definiert.");
    return RunResult::Refused;
  }
  if (series.filelist1.size() < 2) {
    ui.showMessage("Lichtkurve erst ab 2 Bilddateien verfügbar.");
    return RunResult::Refused;
  }
  if (series.ProjectFilename.empty() && saveProject) saveProject();
  if (series.ProjectFilename.empty()) return RunResult::Refused;

  TextFileWriter runFile;
  if (!openRunFile(series, runFile, TextFileWriter::Mode::Create)) {
    ui.showMessage(runFile.error());
    return RunResult::Failed;
  }
  const auto frames = static_cast<std::int32_t>(series.filelist1.size());
  series.controls.BlinkScrollBarPosition = 1;
  window.ResetROIposition();
  window.startCommand();
  CurveArrays curve;  // the curve is replaced only by a completed run
  std::string failure;
  RunResult result = RunResult::Completed;
  {
    RunScope scope(series, frames, "Kurvengenerierung..", "Abbrechen");
    Timgbuffer::PixelStore spare;  // gone before frame 1 is shown again
    for (std::int32_t i = 0; i < frames && result == RunResult::Completed; ++i) {
      ui.progressStep();
      series.Activeframe() = i + 1;
      const auto index = static_cast<std::size_t>(i);
      const std::string& name = series.filelist1[index];
      if (!loadRunFrame(series, name, spare)) {
        failure = "Fehler beim Laden der Datei " + name;
        result = RunResult::Failed;
        break;
      }
      runLevels(series);
      if (series.ShiftListX.size() <= index) {
        series.ShiftListX.resize(index + 1, 0.0);
        series.ShiftlistY.resize(index + 1, 0.0);
      }
      double sx = 0.0;
      double sy = 0.0;
      GetTrackstarShift(*series.img, series.imageWindow(), series.settings().TrackingRange, sx,
                        sy);
      if (!measureFrame(series, runFile, index, curve)) {
        failure = runFile.error();
        result = RunResult::Failed;
        break;
      }
      series.ShiftListX[index] = series.imageWindow().Vx;
      series.ShiftlistY[index] = series.imageWindow().Vy;
      ui.processEvents();
      if (ui.cancelRequested()) result = RunResult::Cancelled;
    }
    if (!runFile.close() && result == RunResult::Completed) {
      failure = runFile.error();
      result = RunResult::Failed;
    }
  }
  // The run file is closed and the progress display gone before any message.
  if (!failure.empty()) ui.showMessage(failure);
  if (result != RunResult::Completed) return result;
  series.controls.BlinkScrollBarPosition = 1;
  series.Activeframe() = 1;
  window.ResetROIposition();
  series.Display(series.filelist1[0]);
  curve.completeRun(frames);
  series.curve = std::move(curve);
  const std::string lost = lostStarsMessage(findLostStars(window.ROIlist, series.curve));
  if (!lost.empty()) ui.showMessage(lost);
  return RunResult::Completed;
}

AppendResult AnalyseNew(Series& series, const std::vector<std::string>& newfilelist,
                        const std::function<bool()>& keepGoing) {
  RoiWindow& window = series.roiWindow();
  AppendResult result;
  if (window.count() == 0 || series.ProjectFilename.empty() || series.runActive) return result;
  TextFileWriter runFile;
  if (!openRunFile(series, runFile, TextFileWriter::Mode::Append)) {
    series.ui().showMessage(runFile.error());
    result.runFileFailed = true;
    return result;
  }

  bool stopped = false;
  {
    // Live mode is stopped by its own Stop button, not from the progress window.
    RunScope scope(series, static_cast<std::int32_t>(newfilelist.size()), "Kurvengenerierung..",
                   "");
    Timgbuffer::PixelStore spare;
    for (const std::string& name : newfilelist) {
      if (loadRunFrame(series, name, spare)) {
        series.filelist1.push_back(name);
        runLevels(series);
        if (!measureFrame(series, runFile, series.filelist1.size() - 1, series.curve)) {
          series.ui().showMessage(runFile.error());
          result.runFileFailed = true;
          stopped = true;
          break;
        }
        ++result.appended;
      }
      series.ui().processEvents();
      if (keepGoing && !keepGoing()) {
        stopped = true;
        break;
      }
    }
    runFile.close();
  }
  series.FramesLoaded = static_cast<std::int32_t>(series.filelist1.size());
  if (!stopped) {
    series.curve.setPoints(series.FramesLoaded);
    series.controls.BlinkScrollBarMax = series.FramesLoaded;
  }
  return result;
}

bool SaveCurveData(Series& series, const std::string& filename) {
  const RoiWindow& window = series.roiWindow();
  const CurveArrays& curve = series.curve;
  if (window.count() == 0 || curve.NumCurvePoints <= 0) {
    series.ui().showMessage("Keine Lichtkurven vorhanden.");
    return false;
  }
  std::vector<std::string> lines = {runHeaderLine(series.settings().JDCurveoffset, window.ROIlist.size()),
                                    runReferenceLine(window.ROIlist)};
  const std::size_t frames = std::min<std::size_t>(static_cast<std::size_t>(curve.NumCurvePoints),
                                                   series.filelist1.size());
  for (std::size_t i = 0; i < frames; ++i) {
    std::vector<float> mags(window.ROIlist.size());
    for (std::size_t r = 0; r < mags.size(); ++r) mags[r] = curve.mag(i, r);
    const double time = i < curve.XTimes.size() ? curve.XTimes[i] : 0.0;
    lines.push_back(curveDataFrameLine(series.filelist1[i], time, mags));
  }
  std::string error;
  if (!saveTextFile(filename, lines, error)) {
    series.ui().showMessage(error);
    return false;
  }
  return true;
}

}  // namespace vargaze
