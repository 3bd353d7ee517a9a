// make-artwork <folder>: draws the editor's bitmaps into folder.
#include "tools/make-artwork/ArtworkPainter.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-artwork <resource folder>\n");
        return 2;
    }
    if (!ArtworkPainter::writeAll(argv[1])) {
        std::fprintf(stderr, "make-artwork: cannot write the bitmaps into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
