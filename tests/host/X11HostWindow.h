#pragma once
// The window a Linux test host gives the editor, and the windows inside it. Include after the
// plug-in's headers: Xlib's macros (None, Bool, Status) would clash with them.

#include <X11/Xlib.h>

#include <vector>

// A mapped top-level window on `screen`, placed where asked with or without a window manager
// (override-redirect), white, selecting `events` besides its own mapping.
inline ::Window createX11HostWindow(Display* display, int screen, int x, int y, int width,
                                    int height, long events = 0) {
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = WhitePixel(display, screen);
    attributes.event_mask = StructureNotifyMask | events;
    ::Window w = XCreateWindow(display, RootWindow(display, screen), x, y, unsigned(width),
                               unsigned(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                               CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
    XMapWindow(display, w);
    XEvent e;
    do XWindowEvent(display, w, StructureNotifyMask, &e);
    while (e.type != MapNotify);
    return w;
}

inline std::vector< ::Window> x11ChildrenOf(Display* display, ::Window parent) {
    std::vector< ::Window> result;
    ::Window root = 0, up = 0, *list = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, parent, &root, &up, &list, &count)) {
        result.assign(list, list + count);
        if (list) XFree(list);
    }
    return result;
}
