#include "editor/BitmapCache.h"
#include "editor/platform/IGraphicsHeadless.h"
#include "tests/plugin/IPlugTestPlugs.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <tuple>

namespace {

// A 3 x 6 image of two frames, red above green, written as PNG.
void writeTwoFrames(const std::string& path) {
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 3, 6);
    cairo_t* cr = cairo_create(image);
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_rectangle(cr, 0, 0, 3, 3);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0, 1, 0);
    cairo_rectangle(cr, 0, 3, 3, 3);
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_write_to_png(image, path.c_str());
    cairo_surface_destroy(image);
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

// Loading reads a file's size only; the pixels arrive when drawn. What is no image gives a bitmap
// without pixels and is tried again later; an image whose pixels cannot be decoded keeps its size and
// draws nothing.
TEST(BitmapCache, SizesComeFromTheFileAndPixelsWhenDrawn) {
    ScratchFolder dir;
    BitmapCache& cache = BitmapCache::Instance();
    const std::string late = dir.write("late.png", "not an image");
    const IBitmap missing = cache.Load(late, 2);
    EXPECT_EQ(std::tuple(missing.data, missing.W, missing.H), std::tuple(nullptr, 0, 0));

    writeTwoFrames(late);
    const IBitmap frames = cache.Load(late, 2);
    ASSERT_NE(frames.data, nullptr);
    EXPECT_EQ(std::tuple(frames.W, frames.H, frames.FrameHeight()), std::tuple(3, 6, 3));

    TestPlug plug;
    IGraphicsHeadless gui(&plug, 4, 4);
    EXPECT_TRUE(gui.DrawBitmap(frames, IRECT(0, 0, 3, 3), 2));
    cairo_surface_t* target = cairo_get_target(gui.GetDrawContext());
    cairo_surface_flush(target);
    const auto* pixel = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(target));
    EXPECT_EQ(pixel[0] & 0xFFFFFFu, 0x00FF00u); // the second frame

    const std::string valid = readBytes(late);
    const std::string broken = dir.write("broken.png", valid.substr(0, 40) + std::string(60, '\x55'));
    const IBitmap undecodable = cache.Load(broken, 1);
    EXPECT_EQ(std::tuple(undecodable.W, undecodable.H), std::tuple(3, 6));
    EXPECT_FALSE(gui.DrawBitmap(undecodable, IRECT(0, 0, 3, 6)));
}
