// zephyl-e2e-close-window TITLE [TIMEOUT_MS]: asks the top-level X11 window with this title to
// close, the way a window manager passes on a click on the close box (a WM_DELETE_WINDOW client
// message). The program then runs its own close handling, which a signal would skip. Exits 0 when
// the message was sent, 1 when no such window appeared within the time-out, 2 without a display.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

std::string windowTitle(Display *display, Window window)
{
    const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char *data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, netWmName, 0, 1024, False, utf8, &type, &format, &count,
                           &remaining, &data) == Success &&
        data) {
        title.assign(reinterpret_cast<const char *>(data), count);
        XFree(data);
    }
    if (title.empty()) {
        char *name = nullptr;
        if (XFetchName(display, window, &name) && name) {
            title = name;
            XFree(name);
        }
    }
    return title;
}

Window findViewableWindow(Display *display, const std::string &title)
{
    Window root = 0;
    Window parent = 0;
    Window *children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return 0;
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, children[i], &attributes) &&
            attributes.map_state == IsViewable && windowTitle(display, children[i]) == title)
            found = children[i];
    }
    if (children)
        XFree(children);
    return found;
}

} // namespace

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
