// The light-curve window on a long night: curve arrays of 5,000 frames x 5
// ROIs (as a 5,000-frame run leaves them), the window opened until it has
// painted, then one live cycle's frame appended and the chart redrawn until
// painted, with lines on and smoothing 2. Goal: each under 1 s. Then 200
// more live frames, each drawn as it comes: resident memory and the heap in
// use after the first, the 100th and the 200th stay flat.
//
//   curve_window_bench [FRAMES]
#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QChartView>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/Application.h"
#include "demo/SilentUi.h"
#include "gui/CurveWindow.h"
#include "gui/FileChooser.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Frame i of a night: 30 s apart, five stars with a slow wave and a little scatter.
void setFrame(vargaze::CurveArrays& curve, int i) {
  std::vector<float> mags(5);
  for (int r = 0; r < 5; ++r) {
    const double wave = 0.3 * std::sin(i * 0.002 + r);
    const double scatter = 0.01 * ((i * 7919 + r * 104729) % 100 - 50) / 50.0;
    mags[std::size_t(r)] = static_cast<float>(10.0 + r + wave + scatter);
  }
  curve.setFrame(std::size_t(i), 5234.3 + i * 30.0 / 86400.0, 1.2f, mags);
}

// Paints the chart now, as the screen would after the change.
void paint(vargaze::CurveWindow& window) {
  QApplication::processEvents();
  window.chartView()->viewport()->repaint();
}

// Resident memory in KiB (VmRSS of /proc/self/status).
long residentKiB() {
  std::ifstream status("/proc/self/status");
  std::string key;
  long value = 0;
  while (status >> key) {
    if (key == "VmRSS:") return (status >> value) ? value : 0;
    status.ignore(1 << 12, '\n');
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication qt(argc, argv);
  const int frames = argc > 1 ? std::atoi(argv[1]) : 5000;
  const std::filesystem::path home =
      std::filesystem::temp_directory_path() / ("curve_window_bench." + std::to_string(::getpid()));
  std::filesystem::create_directories(home);

  vargaze::demo::SilentUi ui;
  vargaze::ApplicationOptions options;
  options.iniPath = (home / "vargaze1.ini").string();
  options.writesConfiguration = false;
  vargaze::Application app(ui, options);
  for (const char* name : {"V", "C1", "C2", "C3", "K"}) {
    vargaze::TRoi1 roi;
    roi.Name = name;
    app.roiWindow.ROIlist.push_back(roi);
  }
  vargaze::CurveArrays curve;
  for (int i = 0; i < frames; ++i) setFrame(curve, i);
  curve.completeRun(frames);
  app.series.curve = std::move(curve);
  vargaze::ScriptedFileChooser files;

  auto start = Clock::now();
  vargaze::CurveWindow window(app, files);
  window.model().SpeedButton1Click(true);
  window.model().SmvalueEditChange(2);
  window.show();
  paint(window);
  const double open = secondsSince(start);

  start = Clock::now();
  setFrame(app.series.curve, frames);
  app.series.curve.setPoints(frames + 1);
  const bool drawn = window.followCurve();
  paint(window);
  const double redraw = secondsSince(start);

  std::printf("curve window, %d frames x 5 ROIs, lines on, smoothing 2\n", frames);
  std::printf("  open until painted:          %7.3f s\n", open);
  std::printf("  live frame until repainted:  %7.3f s  (%s)\n", redraw,
              drawn ? "drawn anew" : "NOT drawn");
  std::printf("goal: under 1 s each -> %s\n",
              open < 1.0 && redraw < 1.0 && drawn ? "met" : "MISSED");

  std::printf("200 live frames, each drawn: resident memory and heap in use\n");
  for (int cycle = 1; cycle <= 200; ++cycle) {
    setFrame(app.series.curve, frames + cycle);
    app.series.curve.setPoints(frames + 1 + cycle);
    window.followCurve();
    paint(window);
    if (cycle == 1 || cycle == 100 || cycle == 200) {
      std::printf("  after %3d: RSS %7ld KiB, heap %8zu KiB\n", cycle, residentKiB(),
                  mallinfo2().uordblks / 1024);
    }
  }
  std::filesystem::remove_all(home);
  return 0;
}
