#include "editor/platform/XOverlayWindow.h"

#include <X11/Xutil.h>
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
    surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    XMapRaised(display, window);
}

XOverlayWindow::~XOverlayWindow() {
    cairo_surface_destroy(surface);
    if (window) XDestroyWindow(display, window);
    XFlush(display);
}

void XOverlayWindow::Present() {
    if (!window) return;
    PutImage(display, window, surface, 0, 0, cairo_image_surface_get_width(surface),
             cairo_image_surface_get_height(surface));
}

void XOverlayWindow::PutImage(Display* display, Window window, cairo_surface_t* image, int x, int y, int w,
                              int h) {
    cairo_surface_flush(image);
    const int screen = DefaultScreen(display);
    XImage* pixels = XCreateImage(display, DefaultVisual(display, screen),
                                  static_cast<unsigned>(DefaultDepth(display, screen)), ZPixmap, 0,
                                  reinterpret_cast<char*>(cairo_image_surface_get_data(image)),
                                  static_cast<unsigned>(cairo_image_surface_get_width(image)),
                                  static_cast<unsigned>(cairo_image_surface_get_height(image)), 32,
                                  cairo_image_surface_get_stride(image));
    if (!pixels) return;
    XPutImage(display, window, DefaultGC(display, screen), pixels, x, y, x, y, static_cast<unsigned>(w),
              static_cast<unsigned>(h));
    // The pixels belong to the image surface, not to the XImage.
    pixels->data = nullptr;
    XDestroyImage(pixels);
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
