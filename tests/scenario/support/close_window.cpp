// Asks an X11 window to close, as a window manager does when its close box is clicked: the
// WM_DELETE_WINDOW message of the WM_PROTOCOLS the window takes part in.
// Usage: close_window WINDOW_ID
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    Display* display = argc == 2 ? XOpenDisplay(nullptr) : nullptr;
    if (!display)
        return 2;
    XEvent ev = {};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = std::strtoul(argv[1], nullptr, 0);
    ev.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    Status sent = XSendEvent(display, ev.xclient.window, False, NoEventMask, &ev);
    XCloseDisplay(display);
    return sent ? 0 : 1;
}
