// One level change until the image window has painted, on a 4096 x 4096
// 16-bit frame opened from a FITS file, in a 1200 x 700 viewport at zoom
// 100 % and 50 %, against one memcpy of the frame's 32 MB measured in the
// same run. Goal: at most 8 times the copy.
//
// The paint is forced with repaint() of the drawing area: it goes through
// the window's backing store and is clipped to the visible part, as the
// update() after a level change is. grab() would instead render into a new
// pixmap of its own, a cost the screen never pays.
//
//   display_repaint_bench [REPEATS]
#include <QApplication>
#include <QEvent>
#include <QPaintEvent>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/Application.h"
#include "gui/ImageWidget.h"
#include "gui/ImageWindow.h"
#include "gui/QtUi.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kSize = 4096;
constexpr QSize kViewport(1200, 700);

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Sky near 1000 with noise, a sprinkle of stars up to saturation.
vargaze::Timgbuffer makeFrame() {
  vargaze::Timgbuffer img;
  img.init(kSize, kSize, vargaze::kPixel16);
  std::uint16_t* p = img.data16();
  std::uint32_t state = 12345;
  for (std::int64_t i = 0; i < img.pixelCount(); ++i) {
    state = state * 1664525u + 1013904223u;
    const std::uint32_t noise = state >> 24;  // 0..255
    p[i] = static_cast<std::uint16_t>((state & 0xFFFu) == 0 ? 1000 + (state >> 16) % 64536
                                                            : 900 + noise);
  }
  img.Datetime = "2024-03-01T20:00:00";
  img.Exposure = 60.0;
  return img;
}

// Counts the paints of the drawing area and the area they covered, so the
// figures show that every step really painted, and how much.
class PaintCounter : public QObject {
 public:
  int paints = 0;
  std::int64_t pixels = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      ++paints;
      const QRect r = static_cast<QPaintEvent*>(event)->rect();
      pixels += std::int64_t{r.width()} * r.height();
    }
    return false;
  }
};

struct Figures {
  double step = 0.0;   // level change until painted
  double level = 0.0;  // the new display bitmap
  double paint = 0.0;  // the paint after it
  double copy = 0.0;
  double paintedPixels = 0.0;  // per step
};

Figures measure(vargaze::Application& app, vargaze::ImageWindow& window, PaintCounter& counter,
                int repeats) {
  const std::size_t bytes = std::size_t{kSize} * kSize * 2;
  const std::byte* frame = app.series.img->bufferpointer.get();
  std::vector<std::byte> copy(bytes, std::byte{1});  // touched, so no page faults are timed
  std::vector<double> steps, levels, paints, copies;
  counter.paints = 0;
  counter.pixels = 0;
  for (int i = 0; i < repeats; ++i) {  // interleaved, so drift hits both alike
    auto start = Clock::now();
    app.series.UpperscrollbarChange(i % 2 == 0 ? 900 : 950);
    const double level = secondsSince(start);
    window.refresh();
    window.imageWidget()->repaint();
    const double step = secondsSince(start);
    levels.push_back(level);
    paints.push_back(step - level);
    steps.push_back(step);
    // The update() of refresh() was served by the repaint: nothing left to do.
    QCoreApplication::processEvents();

    start = Clock::now();
    std::memcpy(copy.data(), frame, bytes);
    copies.push_back(secondsSince(start));
    if (copy[bytes / 2] != frame[bytes / 2]) std::printf("  copy differs\n");  // keeps the copy
  }
  if (counter.paints != repeats) std::printf("  warning: %d paints in %d steps\n", counter.paints, repeats);
  return {median(steps), median(levels), median(paints), median(copies),
          double(counter.pixels) / std::max(1, counter.paints)};
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication qapp(argc, argv);
  const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;

  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() /
                       ("vargaze-repaint-bench-" + std::to_string(QCoreApplication::applicationPid()));
  fs::create_directories(dir);
  const std::string file = (dir / "frame.fit").string();
  if (!makeFrame().Writefitsfile(file)) {
    std::fprintf(stderr, "cannot write %s\n", file.c_str());
    return 1;
  }

  vargaze::UiScript script;
  vargaze::QtUi ui;
  ui.setScript(&script);
  vargaze::ApplicationOptions options;
  options.iniPath = (dir / "vargaze1.ini").string();
  options.writesConfiguration = false;
  vargaze::Application app(ui, options);
  const bool opened = app.openSeries({file});
  fs::remove_all(dir);
  if (!opened) {
    for (const std::string& text : script.messages) std::fprintf(stderr, "%s\n", text.c_str());
    return 1;
  }

  vargaze::ImageWindow window(app.imageView);
  window.show();
  window.resize(window.size() - window.viewport()->size() + kViewport);
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  while (!(window.windowHandle() && window.windowHandle()->isExposed()) && Clock::now() < deadline)
    QCoreApplication::processEvents();
  PaintCounter counter;
  window.imageWidget()->installEventFilter(&counter);

  std::printf("4096 x 4096 16-bit frame, one level change until the %d x %d image window has\n"
              "painted, median of %d runs\n",
              window.viewport()->width(), window.viewport()->height(), repeats);
  for (const int zoomIndex : {1, 3}) {
    app.series.ZoomfactorComboboxChange(zoomIndex);
    window.refresh();
    QCoreApplication::processEvents();
    const Figures f = measure(app, window, counter, repeats);
    std::printf("  zoom %3.0f %%: level change + paint:  %8.2f ms  (bitmap %.2f ms, paint %.2f ms,"
                " %.0f pixels painted)\n",
                app.imageView.zoom() * 100, f.step * 1e3, f.level * 1e3, f.paint * 1e3,
                f.paintedPixels);
    std::printf("             memcpy of the frame (32 MB): %8.2f ms\n", f.copy * 1e3);
    std::printf("             ratio step/memcpy:           %8.2f  (goal: <= 8)\n", f.step / f.copy);
  }
  return 0;
}
