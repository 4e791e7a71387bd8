// vargaze-cli watch: the automatic light-curve mode without windows. Every
// interval the folder of the series is scanned and new frames are measured;
// Ctrl-C stops after the file being measured.
#include <csignal>
#include <iostream>
#include <thread>

#include "cli/Session.h"
#include "series/LiveMode.h"

namespace vargaze::cli {

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int) { interrupted = 1; }

// Messages on stderr; between two files it notices Ctrl-C and stops the mode.
class WatchUi : public StderrUi {
 public:
  void processEvents() override {
    if (interrupted != 0 && live != nullptr && live->on()) live->stop();
  }
  LiveMode* live = nullptr;
};

}  // namespace

int watchCommand(const Args& rawArgs) {
  const ParsedArgs args = parseArgs(rawArgs, {"--interval", "--cycles", "--config"}, {});
  if (args.positional.size() != 1) {
    throw UsageError(
        "usage: vargaze-cli watch PROJECT.vgp [--interval S] [--cycles N] [--config INI]");
  }
  const std::int32_t cycles = intOption(args, "--cycles", 0);
  WatchUi ui;
  Session session(args.get("--config"), &ui);
  if (args.has("--interval")) {
    const std::int32_t seconds = intOption(args, "--interval", 10);
    if (seconds < 1 || seconds > 9999) throw UsageError("--interval takes 1..9999 seconds");
    session.settings.AutocurveRefreshSec = seconds;
  }
  if (!session.openProject(args.positional[0])) return 1;
  LiveMode& live = session.app.live;
  ui.live = &live;
  interrupted = 0;
  std::signal(SIGINT, onInterrupt);
  std::signal(SIGTERM, onInterrupt);
  if (!live.start()) return reportError(args.positional[0] + ": the automatic mode did not start");
  std::cerr << "watching " << session.series.imagepath << " every "
            << live.intervalMs() / 1000.0 << " s (Ctrl-C stops)\n";
  for (std::int32_t done = 1; (cycles <= 0 || done < cycles) && live.on() && interrupted == 0;
       ++done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(live.intervalMs());
    while (std::chrono::steady_clock::now() < until && interrupted == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (interrupted != 0) break;
    const std::int32_t added = live.cycle();
    std::cerr << "cycle " << done + 1 << ": " << added << " new frame(s), "
              << session.series.curve.NumCurvePoints << " in the curve\n";
  }
  // Off without Ctrl-C or the cycle count: the mode gave up (a message said why).
  const bool gaveUp = !live.on() && interrupted == 0;
  live.stop();
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  session.printSummary();
  return gaveUp ? 1 : 0;
}

}  // namespace vargaze::cli
