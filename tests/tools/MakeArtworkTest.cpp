#include "editor/KorvantaLayout.h"
#include "tools/make-artwork/ArtworkPainter.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace KorvantaLayout;

TEST(MakeArtwork, EveryBitmapHasItsFramesAndTheSamePixelsEachTime) {
    for (const BitmapInfo& info : kBitmaps) {
        cairo_surface_t* a = ArtworkPainter::paint(info.id);
        cairo_surface_t* b = ArtworkPainter::paint(info.id);
        ASSERT_EQ(cairo_image_surface_get_width(a), info.frameW) << info.file;
        ASSERT_EQ(cairo_image_surface_get_height(a), info.frameH * info.frames) << info.file;
        const size_t bytes =
            static_cast<size_t>(cairo_image_surface_get_stride(a)) * info.frameH * info.frames;
        EXPECT_EQ(std::memcmp(cairo_image_surface_get_data(a), cairo_image_surface_get_data(b), bytes), 0);
        // Successive frames of a strip differ: each shows another value.
        for (int f = 1; f < info.frames; ++f) {
            const size_t frame = static_cast<size_t>(cairo_image_surface_get_stride(a)) * info.frameH;
            const unsigned char* data = cairo_image_surface_get_data(a);
            EXPECT_NE(std::memcmp(data + (f - 1) * frame, data + f * frame, frame), 0)
                << info.file << " " << f;
        }
        cairo_surface_destroy(a);
        cairo_surface_destroy(b);
    }
}

} // namespace
