#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

// The readers that take a path get the input as a file of this process's own, with the extension that
// picks the reader.
inline std::string writeInput(const uint8_t* data, size_t size, const char* extension) {
    const std::string path = "/tmp/korvanta-fuzz-" + std::to_string(getpid()) + "." + extension;
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        if (size > 0) std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    return path;
}
