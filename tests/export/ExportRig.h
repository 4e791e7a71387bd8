// A series for the export tests: frames of 2024-03-01 from 20:00 UT on, a flat
// sky of 100 and single-pixel stars of known net counts (gain 1, no read or dark
// noise): comparison C1 20000 (B 11.8, V 11.2), variable RR Lyr, check K1 5000
// (B 12.6, V 12.0), a spare star 8000. Julian Dates from the standard library's
// calendar (the Unix epoch is JD 2440587.5); as written, with five decimals.
#pragma once

#include <chrono>
#include <cstdio>

#include "export/AavsoExport.h"
#include "support/FaultInjection.h"
#include "support/SeriesRig.h"

namespace vargaze::test {

inline double jdOf(double secondsAfter20h) {
  using namespace std::chrono;
  const auto days = sys_days{year{2024} / March / 1}.time_since_epoch().count();
  return 2440587.5 + static_cast<double>(days) + (72000.0 + secondsAfter20h) / 86400.0;
}
inline std::string jd(double secondsAfter20h, char point = '.') {
  char text[32];
  std::snprintf(text, sizeof text, "%.5f", jdOf(secondsAfter20h));
  text[7] = point;
  return text;
}

struct Frame {
  int minutes = 0;  // after 20:00
  std::string filter = "V";
  double exposure = 60;
  int variable = 3000;  // net counts of RR Lyr
  std::string airmass = "1.234";
};

struct ExportRig : SeriesBench {
  ExportRig() {
    settings.ReadnoiseElectrons = 0.0;
    settings.DarkElectronsPerSec = 0.0;
    settings.OBSCODE = "XMU";
    settings.BAVOBS = "MUS";
  }

  // A ROI on the star at the 1-based pixel (x, y); magnitude 0: a variable.
  void addRoi(int x, int y, const char* name, float mag, bool comparison) {
    const std::int32_t n = win.Newroi(x - 1, y - 1);
    win.BGROI1(n, x - 1, y - 1);
    win.roi(n).Name = name;
    win.roi(n).ref = comparison;
    win.roi(n).rmag = mag;
    if (mag != 0.0f) win.bvri(n) = {mag + 0.6f, mag, 99.0f, 99.0f};
  }

  // Opens the series with ROIs on C1, RR Lyr and K1.
  bool open(const std::vector<Frame>& frames) {
    for (const Frame& f : frames) {
      std::vector<double> pixels(kWidth * kHeight, kSky);
      for (const auto& [x, y, net] : {std::tuple{30, 30, 20000}, {70, 50, f.variable},
                                      {50, 20, 5000}, {20, 60, 8000}}) {
        pixels[static_cast<std::size_t>((y - 1) * kWidth + x - 1)] += net;
      }
      char date[32];
      std::snprintf(date, sizeof date, "'2024-03-01T20:%02d:00'", f.minutes);
      files.push_back(dir.file("f" + std::to_string(files.size() + 10) + ".fit"));
      writeBytes(files.back(), FitsBuilder(16, kWidth, kHeight).card("DATE-OBS", date)
                                   .card("EXPTIME", std::to_string(f.exposure))
                                   .card("FILTER", "'" + f.filter + "'")
                                   .card("AIRMASS", f.airmass).pixels(pixels).bytes());
    }
    if (!series.openSeries(files)) return false;
    addRoi(30, 30, "C1", 11.2f, true);
    addRoi(70, 50, "RR Lyr", 0.0f, false);
    addRoi(50, 20, "K1", 12.0f, false);
    win.AAVSOchartEdit = "X12345AB";
    return true;
  }
  // ... and opens the AAVSO export window.
  bool openWindow(const std::vector<Frame>& frames) {
    return open(frames) && form.BAVAAVSODatenexport1Click();
  }
  // A save under test, with the last message it showed.
  SaveAction save(std::function<bool(const std::string& path)> run) {
    return [this, run](const std::string& path, std::string& message) {
      ui.messages.clear();
      const bool saved = run(path);
      message = ui.messages.empty() ? "" : ui.messages.back();
      return saved;
    };
  }

  TempDir dir, home;
  std::vector<std::string> files;
  ExportForm2 form{series, home.path().string()};
};

}  // namespace vargaze::test
