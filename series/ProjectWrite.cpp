// Saving a project with its ROI file and curve data file.
#include <algorithm>
#include <filesystem>

#include "base/Numbers.h"
#include "base/TextFile.h"
#include "image/Trackstar.h"
#include "photometry/RoiFile.h"
#include "series/LightCurveRun.h"
#include "series/ProjectFile.h"
#include "series/RunFile.h"

namespace vargaze {

namespace {

// A text kept on one line of the file: a line break would start a new line
// and shift every line after it.
std::string oneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\r', ' ');
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

std::string flag(bool on) { return on ? "1" : "0"; }

std::string catalogueLine(const BVRIRec& rec) {
  return formatFixed(rec.Bmag, 3, 6) + ";" + formatFixed(rec.Vmag, 3, 6) + ";" +
         formatFixed(rec.Rmag, 3, 6) + ";" + formatFixed(rec.Imag, 3, 6);
}

// The track star anew over the whole frame, or none (-1, -1).
void searchTrackstar(Series& series) {
  ImageWindowState& imgwin = series.imageWindow();
  imgwin.TrackstarX = -1.0;
  imgwin.TrackstarY = -1.0;
  if (!series.img || series.img->xsize <= 0 || series.img->ysize <= 0) return;
  std::int32_t xm = 0, ym = 0, vmin = 0, vmax = 0, vmean = 0;
  double xt = 0.0, yt = 0.0;
  if (GetTrackstarcenter(0, 0, 2 * series.settings().TrackingRange, *series.img, xm, ym, vmin,
                         vmax, vmean, xt, yt)) {
    imgwin.TrackstarX = xt;
    imgwin.TrackstarY = yt;
  }
}

// Frames of colour cameras show one plane ("TB", "TG", "TR"): the project
// keeps which one. Projects of other frames keep their layout.
bool showsColourPlane(const Series& series) {
  return series.img && series.img->FilterType >= 6 && series.img->FilterType <= 8;
}

std::string withExtension(const std::string& filename, const char* ext) {
  return std::filesystem::path(filename).replace_extension(ext).string();
}

}  // namespace

std::vector<std::string> projectLines(Series& series) {
  const RoiWindow& win = series.roiWindow();
  const ImageWindowState& imgwin = series.imageWindow();
  const SnrModel& snr = win.snr;
  std::vector<std::string> lines = {"[files]"};
  for (const std::string& name : series.filelist1) lines.push_back(oneLine(name));
  lines.push_back("[ROIfile]");
  lines.push_back(std::to_string(win.count()));
  for (const TRoi1& r : win.ROIlist) lines.push_back(oneLine(r.Name));
  lines.push_back("[Curvefile]");
  lines.push_back(std::to_string(series.curve.NumCurvePoints));
  lines.push_back(oneLine(series.CurveTitle));
  lines.push_back("[levels]");
  lines.push_back(formatGeneral(series.upperlevel));
  lines.push_back(formatGeneral(series.lowerlevel));
  lines.push_back("[BVRI]");
  for (const BVRIRec& rec : win.BVRIlist) lines.push_back(catalogueLine(rec));
  lines.push_back("[Filter]");
  lines.push_back(std::to_string(win.FilterType));
  lines.push_back("BVRImode=" + flag(series.BVRImode));
  lines.push_back("[image]");
  lines.push_back("flipvertical=" + flag(series.controls.Flipcheck));
  lines.push_back("rotate180=" + flag(series.controls.Rot180Check));
  lines.push_back("ImgBinning=" + std::to_string(series.settings().imgBinning));
  if (showsColourPlane(series)) {
    lines.push_back("RGBcolornumber=" + std::to_string(series.RGBcolornumber));
  }
  lines.push_back("[compstars]");
  lines.push_back("AAVSOchartID=" + oneLine(win.AAVSOchartEdit));
  lines.push_back("[ROIcenter]");
  lines.push_back("AutocenterROI=" + flag(win.AutocenterCheckBox));
  lines.push_back("ROID2=" + std::to_string(win.BGinnerEdit.value));
  lines.push_back("ROID3=" + std::to_string(win.BGsizeEdit.value));
  lines.push_back("[Tracking]");
  lines.push_back(formatFixed(imgwin.TrackstarX, 2, 7) + ";" + formatFixed(imgwin.TrackstarY, 2, 7));
  lines.push_back("[SNR]");
  lines.push_back("LocationHeight=" + std::to_string(snr.LocationHeight));
  lines.push_back("Scope diameter in m=" + formatGeneral(snr.DScope_m));
  lines.push_back("Stackingtype=" + std::to_string(snr.Stackingtype));
  lines.push_back("Number of stacked frames=" + std::to_string(snr.Nstack));
  lines.push_back("[end]");
  return lines;
}

bool SaveProject(Series& series, const std::string& filename) {
  RoiWindow& win = series.roiWindow();
  UiPort& ui = series.ui();
  if (series.runActive) return false;
  if (win.count() == 0 || series.filelist1.empty()) {
    ui.showMessage("Noch keine Projektdaten vorhanden.");
    return false;
  }
  if (filename.empty()) return false;
  const std::string roiFile = withExtension(filename, ".roi");
  const std::string curveFile = curveFileName(filename, series.settings());
  if (roiFile == filename || curveFile == filename) {
    ui.showMessage("Projektdatei " + filename +
                   " würde von der ROI- oder Kurvendatei überschrieben; bitte .vgp verwenden.");
    return false;
  }

  series.BlinkScrollBarChange(1);
  ui.processEvents();
  win.SetROIposition();
  searchTrackstar(series);

  std::string error;
  if (!saveTextFile(filename, projectLines(series), error)) {
    ui.showMessage("Fehler beim Speichern der Datei " + filename);
    return false;
  }
  series.ProjectFilename = filename;
  if (series.curve.NumCurvePoints < 2) win.SetROIposition();
  bool saved = SaveROI(win, roiFile);
  // A colour-index series keeps its colour table under the curve file name.
  if (series.curve.NumCurvePoints > 0 && !series.BVRImode) {
    saved = SaveCurveData(series, curveFile) && saved;
  }
  return saved;
}

}  // namespace vargaze
