// The light-curve run as `vargaze-cli measure` makes it (the project opened
// by an application without frame display, then the run), against CFITSIO
// only reading the same frames and against a script pipeline (astropy load,
// sep background and circular apertures on the same 20 stars), all on the
// same frames in one sitting. Each figure is the best of REPEATS passes, the
// three taking turns so that a busy machine slows them alike.
//
//   measure_vs_script_bench [FRAMES] [REPEATS]     (default 40, 3)
//
// The script runs under $VARGAZE_PYTHON, else the first of python3 and
// /usr/bin/python3 that has both modules.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "app/Application.h"
#include "bench/BenchFrames.h"
#include "series/LightCurveRun.h"
#include "series/ProjectFile.h"

namespace {

using namespace benchframes;
namespace fs = std::filesystem;

class QuietUi : public vargaze::UiPort {
 public:
  void showMessage(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
  bool askYesNo(const std::string&) override { return true; }
  Answer askYesNoCancel(const std::string&) override { return Answer::Yes; }
};

vargaze::ApplicationOptions commandLineOptions(const fs::path& dir) {
  vargaze::ApplicationOptions options;
  options.iniPath = (dir / "bench.ini").string();
  options.writesConfiguration = false;
  options.displaysFrames = false;
  return options;
}

// Saves the project the runs open: the frames, one ROI per star.
bool writeProject(const fs::path& dir, const std::vector<std::string>& files,
                  const std::vector<Star>& stars, const std::string& project) {
  QuietUi ui;
  vargaze::Application app(ui, commandLineOptions(dir));
  if (!app.openSeries(files)) return false;
  placeRois(app.roiWindow, stars);
  return vargaze::SaveProject(app.series, project);
}

// Seconds of one `measure`: open the project, run the light curve.
double measureRun(const fs::path& dir, const std::string& project, bool& completed) {
  const auto start = Clock::now();
  QuietUi ui;
  vargaze::Application app(ui, commandLineOptions(dir));
  completed = app.openProject(project, false) == vargaze::ProjectLoadResult::Loaded &&
              vargaze::Analyse1Click(app.series) == vargaze::RunResult::Completed;
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string runCommand(const std::string& command, int& status) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    status = -1;
    return output;
  }
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  status = pclose(pipe);
  return output;
}

std::string findPython() {
  std::vector<std::string> candidates;
  if (const char* chosen = std::getenv("VARGAZE_PYTHON")) candidates.push_back(chosen);
  candidates.push_back("python3");
  candidates.push_back("/usr/bin/python3");
  for (const std::string& python : candidates) {
    int status = 0;
    runCommand(python + " -c 'import astropy, sep' 2>/dev/null", status);
    if (status == 0) return python;
  }
  return {};
}

// Seconds of the script's loop over the frames; negative when it did not report.
double scriptRun(const std::string& python, const fs::path& dir) {
  int status = 0;
  const std::string output =
      runCommand(python + " '" VARGAZE_BENCH_SCRIPT "' '" + (dir / "files.txt").string() + "' '" +
                     (dir / "positions.txt").string() + "' 4.5",
                 status);
  double seconds = -1.0;
  if (status != 0 || std::sscanf(output.c_str(), "seconds %lf", &seconds) != 1) {
    std::fprintf(stderr, "script: %s", output.c_str());
    return -1.0;
  }
  return seconds;
}

void writeScriptInputs(const fs::path& dir, const std::vector<std::string>& files,
                       const std::vector<Star>& stars) {
  std::ofstream list(dir / "files.txt");
  for (const std::string& name : files) list << name << '\n';
  // The script's pixels are 0-based, ours 1-based.
  std::ofstream positions(dir / "positions.txt");
  for (const Star& s : stars) positions << s.x - 1.0 << ' ' << s.y - 1.0 << '\n';
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(2, std::atoi(argv[1])) : 40;
  const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  const fs::path dir = fs::temp_directory_path() / "vargaze-measure-bench";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::vector<Star> stars = starField();
  const std::vector<std::string> files = writeFrames(dir.string(), frames, stars);
  const std::string project = (dir / "bench.vgp").string();
  if (!writeProject(dir, files, stars, project)) {
    std::fprintf(stderr, "the project could not be written\n");
    return 1;
  }
  writeScriptInputs(dir, files, stars);
  const std::string python = findPython();

  readWithCfitsio(files);  // warm the page cache for all three
  constexpr double kNone = std::numeric_limits<double>::infinity();
  double read = kNone, run = kNone, script = kNone;
  bool completed = true;
  for (int r = 0; r < repeats; ++r) {
    read = std::min(read, readWithCfitsio(files));
    bool done = false;
    run = std::min(run, measureRun(dir, project, done));
    completed = completed && done;
    if (!python.empty()) {
      const double seconds = scriptRun(python, dir);
      if (seconds >= 0.0) script = std::min(script, seconds);
    }
  }
  fs::remove_all(dir);

  const auto perFrame = [frames](double seconds) { return seconds / frames * 1e3; };
  std::printf("%d frames of %d x %d 16-bit, %d ROIs, best of %d\n", frames, kSize, kSize,
              kStars, repeats);
  std::printf("  measure (open + run):   %8.2f ms per frame%s\n", perFrame(run),
              completed ? "" : " (run did not complete)");
  std::printf("  CFITSIO read only:      %8.2f ms per frame\n", perFrame(read));
  if (script < kNone) {
    std::printf("  astropy + sep script:   %8.2f ms per frame\n", perFrame(script));
  } else {
    std::printf("  astropy + sep script:   skipped: install python3-astropy python3-sep\n");
  }
  std::printf("  ratio measure / read:   %8.2f  (goal: <= 1.50)\n", run / read);
  if (script < kNone) {
    std::printf("  ratio measure / script: %8.2f  (goal: < 1.00)\n", run / script);
  }
  return 0;
}
