#pragma once

#include <X11/Xlib.h>

// Catches the X errors of a stretch of calls instead of letting Xlib's default handler end the host's
// process: a window the host has already destroyed must not take the host down. The host's handler is
// put back when the trap ends, whatever happened.
class XErrorTrap {
public:
    explicit XErrorTrap(Display* display);
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    // Waits for the server to answer everything sent so far; true when any of it failed.
    bool Failed();

private:
    static int onError(Display* display, XErrorEvent* event);

    Display* display;
    XErrorHandler previous;
};
