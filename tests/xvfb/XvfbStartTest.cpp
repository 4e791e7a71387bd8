// Starts the desktop program for real on a virtual X server of its own: its
// main window must show the frame, and a window manager's close request must
// end it cleanly.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "support/ChildProcess.h"
#include "support/EnvGuard.h"
#include "support/SyntheticFrame.h"
#include "support/XWindows.h"  // last: Xlib's macros clash with the headers above

namespace vargaze::test {
namespace {

using namespace std::chrono_literals;

// True when the window shows a star: a bright pixel with dark sky 15 pixels
// away on all four sides, which no menu, button or text looks like.
bool showsStar(Display* x, Window window) {
  XWindowAttributes a;
  if (XGetWindowAttributes(x, window, &a) == 0 || a.map_state != IsViewable) return false;
  XImage* image = XGetImage(x, window, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
  if (image == nullptr) return false;
  const auto grey = [image](int px, int py) {  // 24-bit TrueColor, as the server is started
    const unsigned long p = XGetPixel(image, px, py);
    return ((p >> 16 & 0xff) + (p >> 8 & 0xff) + (p & 0xff)) / 3;
  };
  constexpr int d = 15;
  bool found = false;
  for (int py = d; py < a.height - d && !found; ++py)
    for (int px = d; px < a.width - d && !found; ++px)
      found = grey(px, py) > 200 && grey(px - d, py) < 40 && grey(px + d, py) < 40 &&
              grey(px, py - d) < 40 && grey(px, py + d) < 40;
  XDestroyImage(image);
  return found;
}

TEST(XvfbStart, ShowsTheFrameAndEndsOnAWindowManagersCloseRequest) {
  TempDir dir;
  const std::string frame = dir.file("star.fit");
  writeFrame(frame, {.stars = {{50, 40, 20000.0, 2.0}}});
  const std::filesystem::path homeDir = dir.path() / "home", runtimeDir = dir.path() / "runtime";
  std::filesystem::create_directory(homeDir);
  std::filesystem::create_directory(runtimeDir);
  std::filesystem::permissions(runtimeDir, std::filesystem::perms::owner_all);  // Qt wants 0700
  std::optional<ChildProcess> server;
  const std::string display = startXvfb(server);
  ASSERT_FALSE(display.empty()) << "Xvfb did not start";
  const std::unique_ptr<Display, int (*)(Display*)> x(XOpenDisplay(display.c_str()), XCloseDisplay);
  ASSERT_NE(x, nullptr) << "cannot connect to Xvfb on " << display;
  // A window may vanish or be unmapped between two requests: no reason to abort.
  XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  // The real X platform, its own configuration and runtime folders and no
  // session bus: no user file, nothing in /tmp and no bus is touched.
  const EnvGuard displayVariable("DISPLAY", display), platform("QT_QPA_PLATFORM", "xcb"),
      home("VARGAZE_HOME", homeDir.string()), runtime("XDG_RUNTIME_DIR", runtimeDir.string()),
      bus("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (dir.path() / "no-bus").string());
  ChildProcess program({VARGAZE_GUI_PATH, frame});
  Window window = 0;
  std::string seen;
  bool star = false;
  // Generous timeouts: the sanitizer build starts several times slower.
  for (const auto deadline = ChildProcess::Clock::now() + 30s;
       !star && ChildProcess::Clock::now() < deadline;) {
    if (const std::optional<int> early = program.waitFor(0s))
      FAIL() << "the program ended with exit code " << *early;
    std::this_thread::sleep_for(100ms);
    window = findTopLevel(x.get(), "VARGAZE", seen);
    star = window != 0 && showsStar(x.get(), window);
  }
  ASSERT_NE(window, 0u) << "no window \"VARGAZE\"; found: " << (seen.empty() ? "none" : seen);
  ASSERT_TRUE(star) << "the window \"VARGAZE\" does not show the frame's star";
  requestClose(x.get(), window);
  const std::optional<int> exitCode = program.waitFor(20s);
  ASSERT_TRUE(exitCode.has_value()) << "the program did not end after the close request";
  EXPECT_EQ(*exitCode, 0);
  EXPECT_FALSE(std::filesystem::is_empty(homeDir)) << "closing wrote no configuration";
}

}  // namespace
}  // namespace vargaze::test
