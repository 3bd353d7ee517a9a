#include "editor/BitmapPixels.h"

#include <cairo.h>

BitmapPixels::~BitmapPixels() {
    if (decoded != nullptr) cairo_surface_destroy(decoded);
}

cairo_surface_t* BitmapPixels::surface() const {
    std::call_once(once, [this] {
        cairo_surface_t* loaded = cairo_image_surface_create_from_png(path.c_str());
        if (cairo_surface_status(loaded) == CAIRO_STATUS_SUCCESS) {
            decoded = loaded;
        } else {
            cairo_surface_destroy(loaded);
        }
    });
    return decoded;
}
