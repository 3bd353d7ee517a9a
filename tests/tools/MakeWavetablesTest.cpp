#include "engine/MipMap.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWaveLength = 2048;
constexpr int kWaveBytes = 2 * kWaveLength;

struct ResourceTable {
    const char* file;
    const char* resource;
    uint32_t romId;
    // FNV-1a (64 bit) of the file's bytes.
    uint64_t fingerprint;
};

constexpr std::array<ResourceTable, 17> kTables = {{
    {"dw6000.bin", "WAVE_DW6000", eDW6000, 0x41cc8337c14e116cull},
    {"dw8000.bin", "WAVE_DW8000", eDW8000, 0xab6e40112c56f9c2ull},
    {"resonance.bin", "WAVE_RESONANCE", eResonance1, 0x83b06769cc99ac6eull},
    {"rectreso.bin", "WAVE_RECTRESO", eResonance2, 0x0bfd861d372123a1ull},
    {"apiano.bin", "WAVE_APIANO", eAcousticPiano, 0xec4104c28237a7d5ull},
    {"pianet.bin", "WAVE_PIANET", ePianet, 0x393d71e1dbdbd399ull},
    {"slap_low.bin", "WAVE_SLAP_LOW", eSlapLow, 0xe33f5dc03c0da8e5ull},
    {"slap_hi.bin", "WAVE_SLAP_HI", eSlapHigh, 0x1c604c1940e40588ull},
    {"repwm.bin", "WAVE_RE_PWM", eRePWM, 0xcaf0d0e9a0472b0eull},
    {"fm_mp4.bin", "WAVE_FM_MP4", eMP4CrossModulation, 0xd7c0549725d8600aull},
    {"fmtshift.bin", "WAVE_FMTSHIFT", eFormantShift, 0x9596651abb791031ull},
    {"a_o_e.bin", "WAVE_A_O_E", eAOE, 0x13a4924f7e8603a3ull},
    {"geesh.bin", "WAVE_GEESH", eGeesh, 0xb275513073bf0552ull},
    {"td_teh.bin", "WAVE_TD_TEH", eTDTeh, 0x881860d7fdb6920aull},
    {"texture1.bin", "WAVE_TEXTURE1", eTexture1, 0x1ba80bde9df8498cull},
    {"texture2.bin", "WAVE_TEXTURE2", eTexture2, 0xeaa1656b84660c0dull},
    {"ladies.bin", "WAVE_LADIES", eLadiesAndGentlemen, 0x0c59305f3a648e67ull},
}};

const std::string kResourceDir = std::string(KORVANTA_RESOURCE_DIR) + "/";

std::vector<unsigned char> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

using Wave = std::vector<double>;

// The layout the plug-in reads: headerless signed 16-bit little-endian samples, 2048 a wave.
std::vector<Wave> wavesOf(const std::vector<unsigned char>& bytes) {
    std::vector<Wave> waves(bytes.size() / kWaveBytes, Wave(kWaveLength));
    for (size_t w = 0; w < waves.size(); ++w)
        for (int i = 0; i < kWaveLength; ++i) {
            const size_t at = w * kWaveBytes + 2 * i;
            waves[w][i] = static_cast<int16_t>(bytes[at] | (bytes[at + 1] << 8));
        }
    return waves;
}

uint64_t fnv1a(const std::vector<unsigned char>& bytes) {
    uint64_t hash = 0xCBF29CE484222325ull;
    for (unsigned char b : bytes) hash = (hash ^ b) * 0x100000001B3ull;
    return hash;
}

class MakeWavetables : public ::testing::Test {
protected:
    // The generated files, read once for all tests, in the order of kTables.
    static void SetUpTestSuite() {
        for (const ResourceTable& table : kTables) files.push_back(readBytes(kResourceDir + table.file));
    }
    static void TearDownTestSuite() { files.clear(); }

    static const std::vector<unsigned char>& bytesOf(size_t index) { return files[index]; }
    static std::vector<Wave> load(size_t index) { return wavesOf(files[index]); }

private:
    static inline std::vector<std::vector<unsigned char>> files;
};

} // namespace

// The tables are part of the instrument's sound: a build on any machine gives exactly these bytes. A
// deliberate change of a recipe updates its fingerprint here.
TEST_F(MakeWavetables, ContentIsTheSameOnEveryMachine) {
    for (size_t t = 0; t < kTables.size(); ++t)
        EXPECT_EQ(fnv1a(bytesOf(t)), kTables[t].fingerprint) << kTables[t].file;
}

TEST_F(MakeWavetables, ResourceNamesReachTheirFiles) {
    for (size_t t = 0; t < kTables.size(); ++t) {
        MipMap map;
        map.setResourcePath(kResourceDir.c_str());
        const std::unique_ptr<double[]> samples = map.loadWaveFromResources(kTables[t].resource, "WAV");
        ASSERT_NE(samples, nullptr) << kTables[t].resource;
        const std::vector<Wave> waves = load(t);
        ASSERT_EQ(map.getNumberOfWaves(), waves.size()) << kTables[t].resource;
        int mismatches = 0;
        for (size_t w = 0; w < waves.size(); ++w)
            for (int i = 0; i < kWaveLength; ++i)
                mismatches += samples[w * kWaveLength + i] != waves[w][i] / 32768.0;
        EXPECT_EQ(mismatches, 0) << kTables[t].resource;
    }
}
