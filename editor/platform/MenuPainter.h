#pragma once

#include <vector>

class IPopupMenu;
typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

// How a popup menu looks: its size from its item texts, and its picture with one item lit. The
// menu windows paint through it, and so can anything that wants the picture without a screen.
class MenuPainter {
public:
    explicit MenuPainter(const IPopupMenu& menu);

    int Width() const { return width; }
    int Height() const { return height; }
    // Top of each item, then the bottom of the last.
    const std::vector<int>& Tops() const { return tops; }
    void Paint(cairo_t* cr, int hover) const;
    // A picture of its own, which the caller destroys.
    cairo_surface_t* Render(int hover = -1) const;

private:
    const IPopupMenu& menu;
    int width = 0;
    int height = 0;
    std::vector<int> tops;
};
