// Starts the desktop program for real, as a user does from a shell, on a
// virtual X server of its own: its main window must show the frame, and a
// window manager's close request must end it cleanly.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/EnvGuard.h"
#include "support/SyntheticFrame.h"
#include "support/TempDir.h"

// Last: Xlib defines macros (None, Status, True, ...) that would clash above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace vargaze::test {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Generous: the sanitizer build of the program starts several times slower.
constexpr auto kWindowTimeout = 30s;
constexpr auto kExitTimeout = 20s;

// A child process that is ended and reaped however the test ends, so neither
// the X server nor the program outlives a failed run on a shared machine.
class Child {
 public:
  explicit Child(std::vector<std::string> argv) {
    std::vector<char*> args;  // built before fork: the child may only exec
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
      execvp(args[0], args.data());
      _exit(127);
    }
  }
  ~Child() {
    if (pid_ < 0 || exitCode_) return;
    kill(pid_, SIGTERM);  // lets Xvfb remove its lock file and socket
    if (waitFor(5s)) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  Child(const Child&) = delete;

  // The exit code once the process has ended, waiting at most `timeout`.
  std::optional<int> waitFor(Clock::duration timeout) {
    const auto deadline = Clock::now() + timeout;
    int status = 0;
    while (pid_ > 0 && !exitCode_) {
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      } else if (Clock::now() >= deadline) {
        break;
      } else {
        std::this_thread::sleep_for(50ms);
      }
    }
    return exitCode_;
  }

 private:
  pid_t pid_ = -1;
  std::optional<int> exitCode_;
};

// Starts Xvfb on a free display number, which the server picks itself and
// writes to a pipe once it accepts connections; returns ":N", or "" on failure.
std::string startXvfb(std::optional<Child>& server) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return "";
  server.emplace(std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(pipeFds[1]),
                                          "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
  close(pipeFds[1]);
  std::string number;
  char c = 0;
  pollfd ready{pipeFds[0], POLLIN, 0};
  while (poll(&ready, 1, 30000) == 1 && read(pipeFds[0], &c, 1) == 1 && c != '\n') number += c;
  close(pipeFds[0]);
  return number.empty() ? "" : ":" + number;
}

// The top-level window named `name` (without a window manager these are the
// root's children), or 0; `seen` lists the names of all of them.
Window findTopLevel(Display* x, const std::string& name, std::string& seen) {
  Window root = 0, parent = 0, *children = nullptr, found = 0;
  unsigned count = 0;
  seen.clear();
  if (XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count) == 0) return 0;
  for (unsigned i = 0; i < count; ++i) {
    char* title = nullptr;
    if (XFetchName(x, children[i], &title) == 0 || title == nullptr) continue;
    seen += std::string(seen.empty() ? "" : ", ") + "\"" + title + "\"";
    if (title == name) found = children[i];
    XFree(title);
  }
  XFree(children);
  return found;
}

// True when the window's pixels show a star: a bright pixel with dark sky all
// around it at some distance, which nothing else in the window (menus,
// buttons, text) looks like, and a blank or unpainted window cannot.
bool showsStar(Display* x, Window window) {
  XWindowAttributes attributes;
  if (XGetWindowAttributes(x, window, &attributes) == 0 || attributes.map_state != IsViewable)
    return false;
  XImage* image =
      XGetImage(x, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
  if (image == nullptr) return false;
  const auto grey = [image](int px, int py) {  // 24-bit TrueColor, as the server is started
    const unsigned long p = XGetPixel(image, px, py);
    return ((p >> 16 & 0xff) + (p >> 8 & 0xff) + (p & 0xff)) / 3;
  };
  constexpr int kSkyDistance = 15;  // beyond the star's glow
  bool found = false;
  for (int py = kSkyDistance; py < attributes.height - kSkyDistance && !found; ++py) {
    for (int px = kSkyDistance; px < attributes.width - kSkyDistance && !found; ++px) {
      found = grey(px, py) > 200 && grey(px - kSkyDistance, py) < 40 &&
              grey(px + kSkyDistance, py) < 40 && grey(px, py - kSkyDistance) < 40 &&
              grey(px, py + kSkyDistance) < 40;
    }
  }
  XDestroyImage(image);
  return found;
}

// What a window manager sends when the user clicks the window's close box.
void requestClose(Display* x, Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(x, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(x, window, False, NoEventMask, &event);
  XFlush(x);
}

TEST(XvfbStart, ShowsTheFrameAndEndsOnAWindowManagersCloseRequest) {
  TempDir dir;
  const std::string frame = dir.file("star.fit");
  writeFrame(frame, {.stars = {{50, 40, 20000.0, 2.0}}});
  const std::filesystem::path homeDir = dir.path() / "home", runtimeDir = dir.path() / "runtime";
  std::filesystem::create_directory(homeDir);
  std::filesystem::create_directory(runtimeDir);
  std::filesystem::permissions(runtimeDir, std::filesystem::perms::owner_all);  // Qt wants 0700

  std::optional<Child> server;
  const std::string display = startXvfb(server);
  ASSERT_FALSE(display.empty()) << "Xvfb did not start";
  const std::unique_ptr<Display, int (*)(Display*)> x(XOpenDisplay(display.c_str()), XCloseDisplay);
  ASSERT_NE(x, nullptr) << "cannot connect to Xvfb on " << display;
  // A window may vanish or be unmapped between two requests; that is no reason to abort.
  XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });

  // The program inherits this environment: the display, the real X platform
  // (not the offscreen one of the widget tests), its own configuration and
  // runtime folders, so no user file and nothing in /tmp is touched, and no
  // session bus, so none is started or reached either.
  const EnvGuard displayVariable("DISPLAY", display), platform("QT_QPA_PLATFORM", "xcb"),
      home("VARGAZE_HOME", homeDir.string()), runtime("XDG_RUNTIME_DIR", runtimeDir.string()),
      bus("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (dir.path() / "no-bus").string());
  Child program({VARGAZE_GUI_PATH, frame});
  Window window = 0;
  std::string seen;
  bool star = false;
  for (const auto deadline = Clock::now() + kWindowTimeout; !star && Clock::now() < deadline;) {
    if (const std::optional<int> early = program.waitFor(0s))
      FAIL() << "the program ended with exit code " << *early;
    std::this_thread::sleep_for(100ms);
    window = findTopLevel(x.get(), "VARGAZE", seen);
    star = window != 0 && showsStar(x.get(), window);
  }
  ASSERT_NE(window, 0u) << "no top-level window \"VARGAZE\"; found: "
                        << (seen.empty() ? "none" : seen);
  ASSERT_TRUE(star) << "the window \"VARGAZE\" does not show the frame's star";

  requestClose(x.get(), window);
  const std::optional<int> exitCode = program.waitFor(kExitTimeout);
  ASSERT_TRUE(exitCode.has_value()) << "the program did not end after the close request";
  EXPECT_EQ(*exitCode, 0);
  EXPECT_FALSE(std::filesystem::is_empty(homeDir)) << "closing wrote no configuration";
}

}  // namespace
}  // namespace vargaze::test
