#pragma once

#include "engine/ParameterIds.h"

#include "engine/TableMemory.h"
#include "engine/WaveSource.h"

#include <array>
#include <cstdint>
#include <memory>

// The built-in wave tables, by id.
enum eROMTable : uint32_t {
    eSaw = 0,
    ePulse,
    eFullPWM,
    eTri,
    eSine,
    eSineTriSquareSaw,
    eSawSquare,
    eSawSine,
    eSawTri,
    eSquareTri,
    eSquareSine,
    eDW8000,
    eDiracMeltdown,
    eOdd,
    eEven,
    eEvenToOdd,
    ePrimes,
    eOctaves,
    eFrequencyUp,
    ePhasedSaw,
    eDrawbarFull,
    eDrawbarMixed,
    eAcousticPiano,
    ePianet,
    eSlapLow,
    eSlapHigh,
    eRePWM,
    eResonance1,
    eResonance2,
    eMP4CrossModulation,
    eFormantShift,
    eAOE,
    eGeesh,
    eTDTeh,
    eTexture1,
    eTexture2,
    eLadiesAndGentlemen,
    eDW6000,
    eNumROMTables
};

// One wave table in band-limited form: up to 64 single-cycle waves of 2048 samples, stored once per
// mip-map level, level L keeping the harmonics below 1024 >> L. Samples are held as 16-bit integers
// (full scale 32767) so that a full table of 64 waves and ten levels stays at 2.5 MiB.
class MipMap {
public:
    static constexpr uint32_t kWaveLength = 2048;
    static constexpr uint32_t kMaxWaves = 64;
    static constexpr uint32_t kLevels = 10;
    static constexpr uint32_t kPathLength = 1024;

    MipMap();
    ~MipMap() { cleanup(); }
    MipMap(const MipMap&) = delete;
    MipMap& operator=(const MipMap&) = delete;

    void cleanup();

    // Anything out of range, the level included, reads as silence.
    float getSample(uint32_t level, uint32_t wave, uint32_t index) const {
        return index < kWaveLength ? toSample(getWave(level, wave)[index]) : 0.0f;
    }
    // The kWaveLength stored samples of one wave at one level; silence() where there is none.
    const int16_t* getWave(uint32_t level, uint32_t wave) const {
        if (!valid || level >= kLevels || wave >= numberOfWaves || levels[level] == nullptr)
            return kSilentWave;
        return levels[level] + wave * kWaveLength;
    }

    // A wave of silence, where there is nothing to read.
    static const int16_t* silence() { return kSilentWave; }

    // stored / 32767.0f without the division: for every 16-bit value the product in double rounds to
    // exactly the same float as the division does.
    static float toSample(int16_t stored) { return static_cast<float>(stored * (1.0 / 32767.0)); }

    void createMipMap(uint32_t tableId);
    void createMipMap(const WaveSource* wave);
    // Leaves the valid flag alone; createMipMap() sets it.
    void createFromROM(uint32_t id);
    // numberOfWaves and totalSamples must be set; reads numberOfWaves * 2048 samples.
    void createFromWave(const double* samples);
    // numberOfWaves and totalSamples must be set; reads numberOfWaves * 2048 floats (see FFT.h).
    void createFromFFT(const float* spectrum);

    // Reads one of the wave files of the resource folder; null when it cannot be opened. On success
    // sets the wave count from the file size and clears the valid flag.
    std::unique_ptr<double[]> loadWaveFromResources(const char* name, const char* type);

    // The folder (ending in a separator) that holds the wave files; longer paths are cut.
    void setResourcePath(const char* path);
    const char* getResourcePath() const { return resourcePath.data(); }

    bool isValid() const { return valid; }
    int32_t getTableId() const { return tableId; }
    uint32_t getNumberOfWaves() const { return numberOfWaves; }
    uint32_t getTotalSamples() const { return totalSamples; }
    // Null when the level holds no data.
    const int16_t* getLevel(uint32_t level) const { return level < kLevels ? levels[level] : nullptr; }

    // Where the levels of the next build come from; without it (or once it is used up) they are allocated
    // here. The memory must outlive the table.
    void setMemory(TableMemory* from) { memory = from; }

    static void createSaw(double* y);
    static void createTri(double* y);
    static void createRect(double* y);
    static void createSine(double* y);
    static void createCosine(double* y);

private:
    static constexpr int16_t kSilentWave[kWaveLength]{};

    void setWaveCount(uint32_t waves);
    void buildLevel(uint32_t level, const float* spectrum);

    bool valid = false;
    std::array<int16_t*, kLevels> levels{}; // into owned or into the outside memory
    std::unique_ptr<int16_t[]> owned;       // all levels, one after another
    TableMemory* memory = nullptr;
    uint32_t totalSamples = 0;
    int32_t tableId = 0;
    uint32_t numberOfWaves = 0;
    std::array<char, kPathLength> resourcePath{};
    uint32_t allocatedSamples = 0; // samples of each level
};
