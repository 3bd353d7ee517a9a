#include "editor/BitmapCache.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// A PNG file starts with its signature, then the IHDR chunk: length, type, width and height (big-endian).
constexpr std::array<unsigned char, 8> kSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr size_t kHeaderBytes = 24;
constexpr size_t kTypeAt = 12;
constexpr size_t kWidthAt = 16;
constexpr size_t kHeightAt = 20;
constexpr uint32_t kMaxSide = 1u << 15; // far beyond any artwork, small enough for int arithmetic

uint32_t bigEndian(const unsigned char* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

// The image size a PNG file declares; false when the file cannot be read or is no PNG.
bool pngSize(const std::string& path, int& width, int& height) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    std::array<unsigned char, kHeaderBytes> header{};
    const size_t got = std::fread(header.data(), 1, header.size(), file);
    std::fclose(file);
    if (got != header.size() || std::memcmp(header.data(), kSignature.data(), kSignature.size()) != 0 ||
        std::memcmp(header.data() + kTypeAt, "IHDR", 4) != 0)
        return false;
    const uint32_t w = bigEndian(header.data() + kWidthAt);
    const uint32_t h = bigEndian(header.data() + kHeightAt);
    if (w == 0 || h == 0 || w > kMaxSide || h > kMaxSide) return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

} // namespace

BitmapCache& BitmapCache::Instance() {
    static BitmapCache cache;
    return cache;
}

IBitmap BitmapCache::Load(const std::string& path, int frames) {
    const int n = frames > 0 ? frames : 1;
    std::lock_guard<std::mutex> lock(mutex);
    auto found = entries.find(path);
    if (found == entries.end()) {
        Entry entry;
        if (!pngSize(path, entry.width, entry.height)) return IBitmap{nullptr, 0, 0, n};
        entry.pixels = std::make_unique<BitmapPixels>(path);
        found = entries.emplace(path, std::move(entry)).first;
    }
    const Entry& entry = found->second;
    return IBitmap{entry.pixels.get(), entry.width, entry.height, n};
}

void BitmapCache::Clear() {
    std::lock_guard<std::mutex> lock(mutex);
    entries.clear();
}
