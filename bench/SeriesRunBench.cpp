// A light-curve run over a series of 2048 x 2048 16-bit frames with 20 ROIs,
// automatic centring and a track star, as the desktop program runs it (the
// display levels of every frame included): seconds per frame, next to the
// time CFITSIO needs just to read the same frames in the same run (the floor
// any measurement of these files stands on).
//
//   series_run_bench [FRAMES]     (default 200)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchFrames.h"
#include "base/UiPort.h"
#include "photometry/RoiWindow.h"
#include "series/LightCurveRun.h"
#include "series/Series.h"

namespace {

using namespace benchframes;

class QuietUi : public vargaze::UiPort {
 public:
  void showMessage(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
  bool askYesNo(const std::string&) override { return true; }
  Answer askYesNoCancel(const std::string&) override { return Answer::Yes; }
};

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(2, std::atoi(argv[1])) : 200;
  const auto dir = std::filesystem::temp_directory_path() / "vargaze-series-bench";
  std::filesystem::create_directories(dir);
  const std::vector<Star> stars = starField();
  const std::vector<std::string> files = writeFrames(dir.string(), frames, stars);
  readWithCfitsio(files);  // warm the page cache for both
  const double floor = readWithCfitsio(files);

  vargaze::Settings settings;
  QuietUi ui;
  vargaze::MainWindowFlags flags;
  vargaze::ImageWindowState imgwin;
  vargaze::RoiWindow window(settings, ui, flags, imgwin);
  vargaze::Series series(settings, ui, window);
  series.openSeries(files);
  placeRois(window, stars);
  series.ProjectFilename = (dir / "bench.vgp").string();
  const auto start = Clock::now();
  const vargaze::RunResult result = vargaze::Analyse1Click(series);
  const double run = std::chrono::duration<double>(Clock::now() - start).count();
  std::filesystem::remove_all(dir);

  std::printf("%d frames of %d x %d 16-bit, %d ROIs, centring and track star %s\n", frames,
              kSize, kSize, kStars, imgwin.TrackstarX > 0 ? "on" : "NOT FOUND");
  std::printf("  light-curve run:        %8.2f ms per frame%s\n", run / frames * 1e3,
              result == vargaze::RunResult::Completed ? "" : " (run did not complete)");
  std::printf("  CFITSIO read only:      %8.2f ms per frame\n", floor / frames * 1e3);
  std::printf("  ratio run / read floor: %8.2f  (goal: <= 2.00)\n", run / floor);
  return 0;
}
