#pragma once

#include "plugin/ByteChunk.h"

// One program: a name and the opaque state the instrument produced for it.
struct IPreset {
    // Names of up to 255 characters fit.
    static constexpr int kNameSize = 256;

    bool initialized = false;
    char name[kNameSize] = "empty";
    ByteChunk chunk;
};
