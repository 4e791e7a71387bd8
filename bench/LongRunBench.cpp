// Long runs: memory and file descriptors over a long light-curve run and a
// long live-mode session.
//
// 1. One full run (Analyse1Click) over FRAMES small 128 x 128 16-bit frames
//    with five drifting stars and five ROIs. After every frame the user
//    interface's processEvents samples peak RSS (getrusage ru_maxrss and
//    /proc/self/status VmHWM), current RSS (VmRSS) and the heap in use
//    (mallinfo2). Printed after frame 500 and after the last frame, with the
//    time per frame over the first and the last 500 frames and the open
//    descriptors before and after. The baseline is the curve storage itself:
//    the heap may grow by what the curve holds, nothing more; two further
//    runs over the same frames must leave the heap where the first left it.
//    Then 50 live-mode cycles over the same frames that find nothing new:
//    ms per cycle.
// 2. A live-mode session of CYCLES cycles on its own folder (clock injected,
//    one second per cycle, a new frame copied in every fourth cycle): RSS,
//    heap and descriptors at the first, the middle and the last cycle.
//
//   long_run_bench [FRAMES [CYCLES]]     (default 5000 200)
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "base/UiPort.h"
#include "image/Astro.h"
#include "photometry/RoiWindow.h"
#include "series/LightCurveRun.h"
#include "series/LiveMode.h"
#include "series/Series.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kSize = 128;
constexpr int kSampleFrame = 500;

struct Star {
  double x, y, peak;
};

// Five stars well inside the frame; star 1 is the comparison star.
const std::vector<Star>& stars() {
  static const std::vector<Star> field = {
      {32.0, 30.0, 9000.0}, {90.0, 40.0, 4000.0}, {60.0, 70.0, 6000.0},
      {30.0, 98.0, 2500.0}, {96.0, 96.0, 3000.0}};
  return field;
}

// Memory and descriptors of this process at one moment.
struct Sample {
  long maxrssKiB = 0;  // getrusage ru_maxrss
  long hwmKiB = 0;     // VmHWM
  long rssKiB = 0;     // VmRSS
  std::size_t heapBytes = 0;  // in use, mmapped blocks included
  double cpuMs = 0.0;          // user and system time so far
  int fds = 0;
};

long statusKiB(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(key) + ":";
  while (std::getline(status, line)) {
    if (line.rfind(prefix, 0) == 0) return std::atol(line.c_str() + prefix.size());
  }
  return -1;
}

// Open descriptors, without the one that lists them.
int openDescriptors() {
  int n = 0;
  std::error_code ec;
  for (fs::directory_iterator it("/proc/self/fd", ec), end; !ec && it != end; it.increment(ec)) ++n;
  return n - 1;
}

Sample sample() {
  Sample s;
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  s.maxrssKiB = usage.ru_maxrss;
  s.hwmKiB = statusKiB("VmHWM");
  s.rssKiB = statusKiB("VmRSS");
  const struct mallinfo2 heap = mallinfo2();
  s.heapBytes = heap.uordblks + heap.hblkhd;
  s.cpuMs = (double(usage.ru_utime.tv_sec) + double(usage.ru_stime.tv_sec)) * 1e3 +
            (double(usage.ru_utime.tv_usec) + double(usage.ru_stime.tv_usec)) / 1e3;
  s.fds = openDescriptors();
  return s;
}

void printSample(const char* label, const Sample& s) {
  std::printf("  %-26s ru_maxrss %7ld KiB  VmHWM %7ld KiB  VmRSS %7ld KiB  heap %9zu B  fds %d\n",
              label, s.maxrssKiB, s.hwmKiB, s.rssKiB, s.heapBytes, s.fds);
}

// Frame i: the stars drifted slowly (a few pixels, back and forth), sky 1000
// with noise, taken every 10 seconds from 2023-10-05 18:00 UT.
void writeFrame(const std::string& path, int i) {
  vargaze::Timgbuffer img;
  img.init(kSize, kSize, vargaze::kPixel16);
  std::uint16_t* p = img.data16();
  std::uint32_t state = 1234567u + static_cast<std::uint32_t>(i) * 7919u;
  for (std::int64_t k = 0; k < img.pixelCount(); ++k) {
    state = state * 1664525u + 1013904223u;
    p[k] = static_cast<std::uint16_t>(1000 + (state >> 27));
  }
  const double dx = 3.0 * std::sin(i / 400.0);
  const double dy = 2.0 * std::sin(i / 650.0);
  for (const Star& s : stars()) {
    const double cx = s.x + dx;
    const double cy = s.y + dy;
    for (int y = static_cast<int>(cy) - 8; y <= static_cast<int>(cy) + 8; ++y) {
      for (int x = static_cast<int>(cx) - 8; x <= static_cast<int>(cx) + 8; ++x) {
        const double r2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
        const double v = s.peak * std::exp(-r2 / (2 * 1.6 * 1.6));
        const std::size_t k = static_cast<std::size_t>(y - 1) * kSize + static_cast<std::size_t>(x - 1);
        p[k] = static_cast<std::uint16_t>(std::min(65535.0, p[k] + v));
      }
    }
  }
  const int t = 18 * 3600 + 10 * i;
  const int day = 5 + t / 86400;
  const int h = t % 86400 / 3600;
  const int m = t % 3600 / 60;
  const int sec = t % 60;
  img.JDstart = vargaze::JD(day, 10, 2023, h + m / 60.0 + sec / 3600.0);
  img.Datetime = vargaze::GetDatetime(2023, 10, day, h, m, static_cast<float>(sec));
  img.Exposure = 10.0;
  if (!img.Writefitsfile(path)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
}

std::string frameName(const fs::path& dir, int i) {
  char name[32];
  std::snprintf(name, sizeof name, "frame%05d.fit", i + 1);
  return (dir / name).string();
}

// Samples after every frame of a run (processEvents follows every frame).
class SamplingUi : public vargaze::UiPort {
 public:
  void showMessage(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
  bool askYesNo(const std::string&) override { return true; }
  Answer askYesNoCancel(const std::string&) override { return Answer::Yes; }
  void processEvents() override {
    if (series == nullptr || !series->runActive) return;
    const std::int32_t frame = series->Activeframe();
    if (frame == kSampleFrame && !atSample) {
      atSample = sample();
      atSampleTime = Clock::now();
    }
    if (frame == lastFrame - kSampleFrame) {
      lateStart = Clock::now();
      lateStartCpuMs = sample().cpuMs;
    }
    if (frame == lastFrame && !atLast) {
      atLast = sample();
      lastTime = Clock::now();
    }
  }

  vargaze::Series* series = nullptr;
  std::int32_t lastFrame = 0;
  std::optional<Sample> atSample, atLast;
  Clock::time_point atSampleTime, lateStart, lastTime;
  double lateStartCpuMs = 0.0;
};

// One program state: settings, interface, ROI window, series.
struct Program {
  explicit Program(vargaze::UiPort& port) : ui(port) {
    settings.ElectronsPerCount = 1.0;
    window.setStarSize(5);
    window.setInnerSize(9);
    window.setOuterSize(15);
  }
  void addRois() {
    for (const Star& s : stars()) {
      const auto x = static_cast<std::int32_t>(std::lround(s.x)) - 1;
      const auto y = static_cast<std::int32_t>(std::lround(s.y)) - 1;
      window.BGROI1(window.Newroi(x, y), x, y);
    }
    window.roi(1).ref = true;
    window.roi(1).rmag = 10.5f;
  }

  vargaze::UiPort& ui;
  vargaze::Settings settings;
  vargaze::MainWindowFlags flags;
  vargaze::ImageWindowState imgwin;
  vargaze::RoiWindow window{settings, ui, flags, imgwin};
  vargaze::Series series{settings, ui, window};
};

// What the curve, the frame list and the shift lists hold on the heap.
std::size_t seriesStorageBytes(const vargaze::Series& s) {
  std::size_t bytes = s.curve.XTimes.capacity() * sizeof(double) +
                      s.curve.AirmassArray.capacity() * sizeof(float) +
                      s.curve.YMags.capacity() * sizeof(std::vector<float>);
  for (const auto& mags : s.curve.YMags) bytes += mags.capacity() * sizeof(float);
  bytes += s.filelist1.capacity() * sizeof(std::string);
  for (const auto& name : s.filelist1) bytes += name.capacity() + 1;
  bytes += (s.ShiftListX.capacity() + s.ShiftlistY.capacity()) * sizeof(double);
  return bytes;
}

double msBetween(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

int longRun(const fs::path& dir, int frames) {
  std::vector<std::string> files;
  for (int i = 0; i < frames; ++i) {
    files.push_back(frameName(dir, i));
    writeFrame(files.back(), i);
  }
  SamplingUi ui;
  Program program(ui);
  vargaze::Series& series = program.series;
  if (!series.openSeries(files)) return 1;
  program.addRois();
  series.ProjectFilename = (dir / "longrun.vgp").string();
  ui.series = &series;
  ui.lastFrame = frames;

  const Sample before = sample();
  const std::size_t storageBefore = seriesStorageBytes(series);
  const auto start = Clock::now();
  const vargaze::RunResult result = vargaze::Analyse1Click(series);
  const auto end = Clock::now();
  const Sample after = sample();
  const std::size_t storageAfter = seriesStorageBytes(series);
  const std::size_t rois = series.roiWindow().ROIlist.size();

  std::printf("Light-curve run: %d frames of %d x %d 16-bit, %zu ROIs, track star %s%s\n", frames,
              kSize, kSize, rois, program.imgwin.TrackstarX > 0 ? "on" : "not found",
              result == vargaze::RunResult::Completed ? "" : "  (RUN DID NOT COMPLETE)");
  printSample("before the run", before);
  if (ui.atSample) printSample("after frame 500", *ui.atSample);
  if (ui.atLast) printSample(("after frame " + std::to_string(frames)).c_str(), *ui.atLast);
  printSample("after the run", after);
  const double totalMs = msBetween(start, end);
  std::printf("  time per frame:            %.3f ms (whole run, %.2f s), CPU time %.3f ms\n",
              totalMs / frames, totalMs / 1e3, (after.cpuMs - before.cpuMs) / frames);
  if (frames >= 2 * kSampleFrame && ui.atSample && ui.atLast) {
    const double early = msBetween(start, ui.atSampleTime) / kSampleFrame;
    const double late = msBetween(ui.lateStart, ui.lastTime) / kSampleFrame;
    std::printf("  time per frame, frames 1-%d: %.3f ms, last %d: %.3f ms, ratio late / early %.2f\n",
                kSampleFrame, early, kSampleFrame, late, late / early);
    const double earlyCpu = (ui.atSample->cpuMs - before.cpuMs) / kSampleFrame;
    const double lateCpu = (ui.atLast->cpuMs - ui.lateStartCpuMs) / kSampleFrame;
    std::printf("  CPU time per frame, frames 1-%d: %.3f ms, last %d: %.3f ms, ratio late / early"
                " %.2f  (goal: about 1)\n",
                kSampleFrame, earlyCpu, kSampleFrame, lateCpu, lateCpu / earlyCpu);
    const double heapGrowth = double(ui.atLast->heapBytes) - double(ui.atSample->heapBytes);
    std::printf("  heap growth frame 500 -> %d: %.0f B, %.1f B per frame, %.1f B per frame and ROI\n",
                frames, heapGrowth, heapGrowth / (frames - kSampleFrame),
                heapGrowth / (frames - kSampleFrame) / double(rois));
  }
  const double storage = double(storageAfter) - double(storageBefore);
  const double heapRun = double(after.heapBytes) - double(before.heapBytes);
  std::printf("  curve storage after the run: %.0f B (%.1f B per frame and ROI)\n", storage,
              storage / frames / double(rois));
  std::printf("  heap growth over the run:    %.0f B, ratio heap growth / curve storage %.2f"
              "  (goal: about 1; allocator rounding adds a little)\n",
              heapRun, storage > 0 ? heapRun / storage : 0.0);
  std::printf("  descriptors before / after: %d / %d\n", before.fds, after.fds);
  if (result != vargaze::RunResult::Completed) return 1;

  // Further runs replace the curve: nothing of an earlier run may stay
  // behind (the first may leave lazily built state of a few KiB).
  ui.atSample.reset();
  ui.atLast.reset();
  const bool second = vargaze::Analyse1Click(series) == vargaze::RunResult::Completed;
  const Sample afterSecond = sample();
  const bool third = vargaze::Analyse1Click(series) == vargaze::RunResult::Completed;
  const Sample afterThird = sample();
  printSample("after a second run", afterSecond);
  printSample("after a third run", afterThird);
  std::printf("  heap change second - first run: %.0f B, third - second run: %.0f B%s\n",
              double(afterSecond.heapBytes) - double(after.heapBytes),
              double(afterThird.heapBytes) - double(afterSecond.heapBytes),
              second && third ? "" : "  (RUN DID NOT COMPLETE)");
  if (!second || !third) return 1;

  // Live mode after the long night: each cycle scans the folder of all the
  // frames and finds nothing new.
  auto now = Clock::time_point(std::chrono::hours(1));
  vargaze::LiveMode live(series, [&now] { return now; });
  if (!live.start()) return 1;
  constexpr int kCycles = 50;
  const Sample liveBefore = sample();
  const auto liveStart = Clock::now();
  for (int c = 0; c < kCycles; ++c) {
    now += std::chrono::seconds(1);
    live.cycle();
  }
  const double cycleMs = msBetween(liveStart, Clock::now()) / kCycles;
  const Sample liveAfter = sample();
  live.stop();
  std::printf("  live mode on these %d frames: %.3f ms per idle cycle (CPU %.3f ms), heap change"
              " over %d cycles %.0f B, descriptors %d / %d\n",
              frames, cycleMs, (liveAfter.cpuMs - liveBefore.cpuMs) / kCycles, kCycles,
              double(liveAfter.heapBytes) - double(liveBefore.heapBytes), liveBefore.fds,
              liveAfter.fds);
  return 0;
}

class QuietUi : public vargaze::UiPort {
 public:
  void showMessage(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
  bool askYesNo(const std::string&) override { return true; }
  Answer askYesNoCancel(const std::string&) override { return Answer::Yes; }
};

int liveSession(const fs::path& dir, int cycles) {
  const fs::path folder = dir / "live";
  const fs::path pool = dir / "pool";
  fs::create_directories(folder);
  fs::create_directories(pool);
  constexpr int kFirst = 20;
  constexpr int kEvery = 4;
  const int extra = cycles / kEvery + 1;
  std::vector<std::string> files;
  for (int i = 0; i < kFirst; ++i) {
    files.push_back(frameName(folder, i));
    writeFrame(files.back(), i);
  }
  for (int i = kFirst; i < kFirst + extra; ++i) writeFrame(frameName(pool, i), i);

  QuietUi ui;
  Program program(ui);
  vargaze::Series& series = program.series;
  if (!series.openSeries(files)) return 1;
  program.addRois();
  auto now = Clock::time_point(std::chrono::hours(1));
  vargaze::LiveMode live(series, [&now] { return now; });
  const Sample before = sample();
  if (!live.start()) return 1;
  const Sample started = sample();
  int next = kFirst;
  int appended = 0;
  Sample middle;
  std::size_t storageMiddle = 0;
  for (int c = 1; c <= cycles; ++c) {
    now += std::chrono::seconds(1);
    if (c % kEvery == 0) {
      fs::copy_file(frameName(pool, next), frameName(folder, next));
      ++next;
    }
    appended += live.cycle();
    if (c == cycles / 2) {
      middle = sample();
      storageMiddle = seriesStorageBytes(series);
    }
  }
  const Sample last = sample();
  const std::size_t storageLast = seriesStorageBytes(series);
  // The frame copied in last is taken within the next cycles; after that the
  // cycles find nothing new and must not allocate anything that stays.
  for (int c = 0; c < 3; ++c) {
    now += std::chrono::seconds(1);
    appended += live.cycle();
  }
  constexpr int kIdle = 100;
  const Sample idleStart = sample();
  for (int c = 0; c < kIdle; ++c) {
    now += std::chrono::seconds(1);
    appended += live.cycle();
  }
  const Sample idleEnd = sample();
  live.stop();
  const Sample stopped = sample();
  std::printf("Live mode: %d cycles (and %d more without new frames), %d frames at the start,"
              " %d copied in, %d appended\n",
              cycles, kIdle + 3, kFirst, next - kFirst, appended);
  printSample("before start", before);
  printSample("after start", started);
  printSample(("after cycle " + std::to_string(cycles / 2)).c_str(), middle);
  printSample(("after cycle " + std::to_string(cycles)).c_str(), last);
  printSample("after stop", stopped);
  const double heap = double(last.heapBytes) - double(middle.heapBytes);
  const double storage = double(storageLast) - double(storageMiddle);
  std::printf("  heap growth second half: %.0f B over %d frames copied in; curve, frame list and"
              " shift lists grew by %.0f B; ratio %.2f  (goal: about 1)\n",
              heap, (next - kFirst) / 2, storage, storage > 0 ? heap / storage : 0.0);
  std::printf("  heap growth over %d further cycles with no new frame: %.0f B\n", kIdle,
              double(idleEnd.heapBytes) - double(idleStart.heapBytes));
  std::printf("  descriptors before / after: %d / %d\n", before.fds, stopped.fds);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(2 * kSampleFrame, std::atoi(argv[1])) : 5000;
  const int cycles = argc > 2 ? std::max(8, std::atoi(argv[2])) : 200;
  const fs::path dir = fs::temp_directory_path() / ("vargaze-long-run-" + std::to_string(getpid()));
  fs::create_directories(dir);
  int rc = longRun(dir, frames);
  if (rc == 0) rc = liveSession(dir, cycles);
  fs::remove_all(dir);
  return rc;
}
