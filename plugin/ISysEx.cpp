#include "plugin/ISysEx.h"

#include <cstdio>

char* ISysEx::SysExStr(char* text, int maxLen, const uint8_t* bytes, int size) {
    if (!text || maxLen <= 0) return text;
    text[0] = '\0';
    if (!bytes || size <= 0) return text;
    const int count = size < maxLen / 3 ? size : maxLen / 3;
    char* out = text;
    for (int i = 0; i < count; ++i) {
        // Each byte takes "XX " (three characters); the last blank becomes the terminator.
        std::snprintf(out, 4, i + 1 < count ? "%02X " : "%02X", bytes[i]);
        out += i + 1 < count ? 3 : 2;
    }
    return text;
}
