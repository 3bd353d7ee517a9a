#pragma once

#include <string>

typedef struct _cairo_surface cairo_surface_t;

// Draws every bitmap of the editor: the panel with its sections and captions placed from the editor's
// layout table, and the frame strips of knobs, switches, buttons and displays. The same inputs always
// give the same pixels.
class ArtworkPainter {
public:
    // Writes the bitmap with the given resource number into folder as its PNG file; false on failure.
    static bool write(int bitmapId, const std::string& folder);
    // Every bitmap; false when any failed.
    static bool writeAll(const std::string& folder);
    // The bitmap as a new image surface the caller destroys.
    static cairo_surface_t* paint(int bitmapId);
};
