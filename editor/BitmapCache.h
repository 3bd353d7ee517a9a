#pragma once

#include "editor/IBitmap.h"

#include <map>
#include <mutex>
#include <string>

// The bitmaps of every editor in the process, loaded once per file and kept until the process ends:
// all instances show the same artwork, so a second instance costs no decoding.
class BitmapCache {
public:
    static BitmapCache& Instance();
    ~BitmapCache();

    // The bitmap in file path split into frames; a file that cannot be read gives a bitmap without
    // pixels and is tried again on the next request.
    IBitmap Load(const std::string& path, int frames);
    // Drops every bitmap; only safe while no editor exists.
    void Clear();

private:
    BitmapCache() = default;

    std::mutex mutex;
    std::map<std::string, cairo_surface_t*> surfaces;
};
