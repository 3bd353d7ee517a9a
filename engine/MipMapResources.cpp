#include "engine/MipMap.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

struct ResourceFile {
    std::string_view name;
    const char* file;
};

constexpr std::array<ResourceFile, 17> kResourceFiles{{
    {"WAVE_DW6000", "dw6000.bin"},
    {"WAVE_DW8000", "dw8000.bin"},
    {"WAVE_RESONANCE", "resonance.bin"},
    {"WAVE_RECTRESO", "rectreso.bin"},
    {"WAVE_APIANO", "apiano.bin"},
    {"WAVE_PIANET", "pianet.bin"},
    {"WAVE_SLAP_LOW", "slap_low.bin"},
    {"WAVE_SLAP_HI", "slap_hi.bin"},
    {"WAVE_RE_PWM", "repwm.bin"},
    {"WAVE_FM_MP4", "fm_mp4.bin"},
    {"WAVE_FMTSHIFT", "fmtshift.bin"},
    {"WAVE_A_O_E", "a_o_e.bin"},
    {"WAVE_GEESH", "geesh.bin"},
    {"WAVE_TD_TEH", "td_teh.bin"},
    {"WAVE_TEXTURE1", "texture1.bin"},
    {"WAVE_TEXTURE2", "texture2.bin"},
    {"WAVE_LADIES", "ladies.bin"},
}};

constexpr size_t kWaveBytes = MipMap::kWaveLength * 2;
constexpr double kSampleScale = 3.0517578125e-5; // 1/32768

const char* fileFor(const char* name) {
    if (name == nullptr) return nullptr;
    for (const ResourceFile& entry : kResourceFiles)
        if (entry.name == name) return entry.file;
    return nullptr;
}

struct File {
    std::FILE* handle;
    ~File() {
        if (handle != nullptr) std::fclose(handle);
    }
};

// Size of an open file in bytes, or -1.
long fileSize(std::FILE* f) {
    if (std::fseek(f, 0, SEEK_END) != 0) return -1;
    const long size = std::ftell(f);
    if (std::fseek(f, 0, SEEK_SET) != 0) return -1;
    return size;
}

} // namespace

std::unique_ptr<double[]> MipMap::loadWaveFromResources(const char* name, const char* /*type*/) {
    const char* fileName = fileFor(name);
    if (fileName == nullptr) return nullptr;
    char path[kPathLength + 32];
    const int written = std::snprintf(path, sizeof path, "%s%s", resourcePath.data(), fileName);
    if (written < 0 || static_cast<size_t>(written) >= sizeof path) return nullptr;

    const File file{std::fopen(path, "rb")};
    if (file.handle == nullptr) return nullptr;
    const long size = fileSize(file.handle);
    if (size < 0) return nullptr;

    const auto waves = static_cast<uint32_t>(std::min<long>(size / static_cast<long>(kWaveBytes), kMaxWaves));
    // Only whole waves up to the cap are used; a file shorter than one wave reads as that much sound
    // followed by silence.
    std::vector<unsigned char> bytes(std::max<uint32_t>(waves, 1) * kWaveBytes, 0);
    const size_t got = std::fread(bytes.data(), 1, bytes.size(), file.handle);
    if (std::ferror(file.handle) != 0) return nullptr; // a folder, or a failing disk
    std::fill(bytes.begin() + static_cast<long>(got), bytes.end(), 0);
    setWaveCount(waves);
    valid = false;

    auto samples = std::make_unique<double[]>(totalSamples);
    for (uint32_t i = 0; i < totalSamples; ++i) {
        const auto value = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        samples[i] = value * kSampleScale;
    }
    return samples;
}
