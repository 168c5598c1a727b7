// Asks an X window to close the way a window manager does, with a
// WM_DELETE_WINDOW message; the whole-program test has no window manager.
// Usage: x11close WINDOW-ID
#include <X11/Xlib.h>

#include <cstdlib>

int main(int argc, char *argv[])
{
    if (argc != 2)
        return 2;
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return 1;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = Window(std::strtoul(argv[1], nullptr, 0));
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
    XCloseDisplay(display);
    return sent ? 0 : 1;
}
