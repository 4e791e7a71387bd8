// Finding and closing top-level windows on an X server started for a test.
// Include it last: Xlib defines macros (None, Status, True, ...) that clash
// with other headers.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <string>

namespace vargaze::test {

// The top-level window named `name` (without a window manager these are the
// root's children), or 0; `seen` lists the names of all of them.
inline Window findTopLevel(Display* x, const std::string& name, std::string& seen) {
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

// What a window manager sends when the user clicks the window's close box.
inline void requestClose(Display* x, Window window) {
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

}  // namespace vargaze::test
