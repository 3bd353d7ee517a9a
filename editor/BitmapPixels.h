#pragma once

#include <mutex>
#include <string>
#include <utility>

typedef struct _cairo_surface cairo_surface_t;

// The pixels of one image file, decoded when they are first drawn: a host that never opens an
// instance's editor spends neither the time nor the memory on its artwork.
class BitmapPixels {
public:
    explicit BitmapPixels(std::string path) : path(std::move(path)) {}
    ~BitmapPixels();
    BitmapPixels(const BitmapPixels&) = delete;
    BitmapPixels& operator=(const BitmapPixels&) = delete;

    // The decoded image, or null when the file cannot be decoded. Safe from several threads.
    cairo_surface_t* surface() const;

private:
    std::string path;
    mutable std::once_flag once;
    mutable cairo_surface_t* decoded = nullptr;
};
