#pragma once

#include <X11/Xlib.h>

#include <string>

// A small modal window drawn by us: a message, an optional line of text to edit and up to two buttons.
// It serves as the in-place text entry over a control, and as message box and file prompt when no
// desktop helper is installed. Enter accepts, Escape cancels; runs until then on the calling thread.
class XDialogWindow {
public:
    enum EButtons { kNoButtons, kOK, kYesNo };
    enum EResult { kCancelled = 0, kAccepted = 1, kYes = 6, kNo = 7 };

    struct Options {
        std::string message;
        bool editField = false;
        EButtons buttons = kNoButtons;
        double fontSize = 12.0;
        bool monospace = false;
    };

    // Shows the dialog in parent at x, y with the given size (0 for a size fitted to the message).
    // field carries the initial text in and the edited text out.
    static int Run(Display* display, Window parent, int x, int y, int w, int h, const Options& options,
                   std::string* field);
};
