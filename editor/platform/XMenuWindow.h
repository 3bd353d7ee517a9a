#pragma once

#include <X11/Xlib.h>

class IPopupMenu;

// A popup menu drawn by us in windows of its own above everything else: checked and disabled items,
// separators, submenus opening beside their item. A click on an item chooses it; a click outside the
// menu or Escape dismisses it. Runs until then on the calling thread.
class XMenuWindow {
public:
    // Shows menu with its top left corner at x, y of the root window. Returns the menu or submenu
    // holding the chosen item with its chosen index set, or null when dismissed.
    static IPopupMenu* Run(Display* display, int x, int y, IPopupMenu* menu);
};
