#pragma once

#include "editor/BitmapPixels.h"
#include "editor/IBitmap.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

// The bitmaps of every editor in the process, one entry per file, kept until the process ends: all
// instances show the same artwork, so a second instance costs no decoding. Loading reads only a file's
// size; the pixels are decoded when first drawn.
class BitmapCache {
public:
    static BitmapCache& Instance();

    // The bitmap in file path split into frames; a file that is not a readable image gives a bitmap
    // without pixels and is tried again on the next request.
    IBitmap Load(const std::string& path, int frames);
    // Drops every bitmap; only safe while no editor exists.
    void Clear();

private:
    BitmapCache() = default;

    struct Entry {
        std::unique_ptr<BitmapPixels> pixels;
        int width = 0;
        int height = 0;
    };

    std::mutex mutex;
    std::map<std::string, Entry> entries;
};
