// make-wavetables <folder> [file...]: synthesises the resource wave tables into the folder (which
// must exist and end without or with a separator); with file names, only those tables.

#include "tools/make-wavetables/Recipes.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool wanted(const char* file, int argc, char** argv) {
    if (argc <= 2) return true;
    for (int i = 2; i < argc; ++i)
        if (std::strcmp(argv[i], file) == 0) return true;
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make-wavetables <output folder> [file...]\n");
        return 2;
    }
    std::string folder = argv[1];
    if (!folder.empty() && folder.back() != '/') folder += '/';

    for (const wavegen::Recipe& recipe : wavegen::kRecipes) {
        if (!wanted(recipe.file, argc, argv)) continue;
        const wavegen::WaveTable table = recipe.make();
        if (!table.complete() || table.size() < 1) {
            std::fprintf(stderr, "make-wavetables: %s: a wave came out silent or the table overflowed\n",
                         recipe.file);
            return 1;
        }
        if (!wavegen::writeFile(folder + recipe.file, table.encode())) {
            std::fprintf(stderr, "make-wavetables: cannot write %s%s\n", folder.c_str(), recipe.file);
            return 1;
        }
    }
    return 0;
}
