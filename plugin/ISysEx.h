#pragma once

#include <cstdint>

// A system-exclusive message; the bytes belong to the caller and live only during the delivering call.
struct ISysEx {
    int32_t offset = 0;
    int32_t size = 0;
    const uint8_t* data = nullptr;

    ISysEx() = default;
    ISysEx(int32_t offsetIn, const uint8_t* dataIn, int32_t sizeIn)
        : offset(offsetIn), size(sizeIn), data(dataIn) {}

    void Clear() { *this = ISysEx(); }

    // Upper-case hex bytes separated by blanks, at most maxLen / 3 bytes; for logging.
    static char* SysExStr(char* text, int maxLen, const uint8_t* bytes, int size);
};
