#include "editor/platform/XOverlayWindow.h"

#include <cairo-xlib.h>
#include <cairo.h>
#include <poll.h>

XOverlayWindow::XOverlayWindow(Display* display, Window parent, int x, int y, int w, int h, long eventMask)
    : display(display) {
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.event_mask = eventMask;
    window = XCreateWindow(display, parent, x, y, static_cast<unsigned>(w), static_cast<unsigned>(h), 0,
                           CopyFromParent, InputOutput, CopyFromParent, CWOverrideRedirect | CWEventMask,
                           &attributes);
    surface =
        cairo_xlib_surface_create(display, window, DefaultVisual(display, DefaultScreen(display)), w, h);
    XMapRaised(display, window);
}

XOverlayWindow::~XOverlayWindow() {
    cairo_surface_destroy(surface);
    if (window) XDestroyWindow(display, window);
    XFlush(display);
}

void XOverlayWindow::NextEvent(Display* display, XEvent* event) {
    // Polling in slices keeps a loop that waits here responsive to a connection that has gone quiet.
    while (!XPending(display)) {
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, 100);
    }
    XNextEvent(display, event);
}
