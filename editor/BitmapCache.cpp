#include "editor/BitmapCache.h"

#include <cairo.h>

BitmapCache& BitmapCache::Instance() {
    static BitmapCache cache;
    return cache;
}

BitmapCache::~BitmapCache() {
    Clear();
}

IBitmap BitmapCache::Load(const std::string& path, int frames) {
    std::lock_guard<std::mutex> lock(mutex);
    cairo_surface_t*& surface = surfaces[path];
    if (!surface) {
        cairo_surface_t* loaded = cairo_image_surface_create_from_png(path.c_str());
        if (cairo_surface_status(loaded) == CAIRO_STATUS_SUCCESS) {
            surface = loaded;
        } else {
            cairo_surface_destroy(loaded);
            surfaces.erase(path);
            return IBitmap{nullptr, 0, 0, frames > 0 ? frames : 1};
        }
    }
    return IBitmap{surface, cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface),
                   frames > 0 ? frames : 1};
}

void BitmapCache::Clear() {
    std::lock_guard<std::mutex> lock(mutex);
    for (auto& entry : surfaces) cairo_surface_destroy(entry.second);
    surfaces.clear();
}
