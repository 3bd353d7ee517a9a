#pragma once

#include <X11/Xlib.h>

typedef struct _cairo_surface cairo_surface_t;

// A window of our own laid over others (menus, dialogs, text entry): the window manager leaves it
// alone. Drawing goes into an image, which Present puts on the window.
class XOverlayWindow {
public:
    XOverlayWindow(Display* display, Window parent, int x, int y, int w, int h, long eventMask);
    ~XOverlayWindow();
    XOverlayWindow(const XOverlayWindow&) = delete;
    XOverlayWindow& operator=(const XOverlayWindow&) = delete;

    Window GetWindow() const { return window; }
    cairo_surface_t* GetSurface() const { return surface; }
    // The window was destroyed from outside (its parent went away); nothing is left to destroy.
    void Forget() { window = 0; }

    // Shows what was drawn into the surface.
    void Present();

    // Waits for the next event of the connection, whatever window it is for.
    static void NextEvent(Display* display, XEvent* event);
    // Copies the area x, y, w, h of an image surface (24-bit colour) to the same place of a window.
    // Images are sent as plain pixels, so the X connection keeps no drawing state of ours.
    static void PutImage(Display* display, Window window, cairo_surface_t* image, int x, int y, int w, int h);

private:
    Display* display;
    Window window;
    cairo_surface_t* surface;
};
