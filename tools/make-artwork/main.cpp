// make-artwork <folder>: draws the editor's bitmaps into folder.
#include "tools/make-artwork/ArtworkPainter.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-artwork <resource folder>\n");
        return 2;
    }
    const bool written = ArtworkPainter::writeAll(argv[1]);
    // The font caches live for the process; a tool that is done with them hands them back, so that a
    // leak checker sees only leaks of ours.
    cairo_debug_reset_static_data();
    FcFini();
    if (!written) {
        std::fprintf(stderr, "make-artwork: cannot write the bitmaps into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
