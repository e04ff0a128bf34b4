// zephyl-e2e-close-window TITLE [TIMEOUT_MS]: asks the top-level X11 window with this title to
// close, the way a window manager passes on a click on the close box (a WM_DELETE_WINDOW client
// message). The program then runs its own close handling, which a signal would skip. Exits 0 when
// the message was sent, 1 when no such window appeared within the time-out, 2 without a display.
#include "x11_windows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

using e2e::findViewableWindow;

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s TITLE [TIMEOUT_MS]\n", argv[0]);
        return 2;
    }
    const std::string title = argv[1];
    const long timeoutMs = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 10000;

    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "close-window: cannot open the display\n");
        return 2;
    }
    Window window = 0;
    for (long waited = 0; waited <= timeoutMs && !window; waited += 50) {
        window = findViewableWindow(display, title);
        if (!window)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!window) {
        std::fprintf(stderr, "close-window: no window titled \"%s\"\n", title.c_str());
        XCloseDisplay(display);
        return 1;
    }

    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    std::printf("close-window: asked 0x%lx to close\n", window);
    return 0;
}
