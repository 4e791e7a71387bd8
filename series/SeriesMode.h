// Which commands of the main window a series offers: a time series is
// measured as a light curve, a colour-calibration series (BVRImode) as a
// colour-index table. The GUI applies this after every open and project load.
#pragma once

namespace vargaze {

struct SeriesMenuState {
  bool Analyse1Enabled = true;         // "Lichtkurve messen"
  bool Autolightcurve1Enabled = true;  // "Lichtkurve automatisch aktualisieren"
  bool Datenexport1Enabled = true;     // "Datenexport (kurz)"
  bool BVRIanalyseVisible = false;     // "Farbindex-Tabelle generieren"
};

inline SeriesMenuState SetSeriesMode(bool BVRImode) {
  SeriesMenuState menu;
  menu.Analyse1Enabled = !BVRImode;
  menu.Autolightcurve1Enabled = !BVRImode;
  menu.Datenexport1Enabled = !BVRImode;
  menu.BVRIanalyseVisible = BVRImode;
  return menu;
}

}  // namespace vargaze
