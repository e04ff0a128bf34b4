#pragma once

// Finding a program's top-level window on an X display by its title. Xlib's own headers are not
// included here: they define macros (Bool, Status) that Qt headers must not see first.
#include <string>

struct _XDisplay;

namespace e2e {

// Xlib's Window (an XID).
using WindowId = unsigned long;

// The window's _NET_WM_NAME, else its WM_NAME; empty when it has neither.
std::string windowTitle(_XDisplay *display, WindowId window);

// The first mapped top-level window with exactly this title, or 0.
WindowId findViewableWindow(_XDisplay *display, const std::string &title);

} // namespace e2e
