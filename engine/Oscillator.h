#pragma once

#include "engine/LowPass.h"
#include "engine/MipMap.h"

#include <array>
#include <cstdint>

// Plays one wave table at a pitch in 1/128 semitone, with shape morphing across the table's waves,
// hard sync, phase modulation ("Linear FM") and the double-saw and pulse readings of the three saw
// tables. Pitch, shape and table choice change at control rate (update); process makes one sample.
//
// Phases are in units of 2^27 per cycle; one table sample is 65536 phase units.
class Oscillator {
public:
    static constexpr int kMaxPitch = 17280;
    static constexpr int32_t kCycle = 1 << 27;

    // Phase increment and mip-map level per pitch index, for one sample rate. One immutable set per
    // rate is shared by every oscillator of the process.
    struct Tables {
        double sampleRate = 0.0;
        std::array<int32_t, kMaxPitch + 1> freq2PhInc{};
        std::array<uint8_t, kMaxPitch + 1> freq2map{};
    };
    // The set for a rate, built on first use under a process-wide lock and kept while the module is
    // loaded. Rates that are not finite and positive get the set for 44100 Hz.
    static const Tables& tablesFor(double sampleRate);
    // The level whose harmonics suit an increment (whole table samples per output sample decide).
    static uint8_t levelFor(int32_t increment);
    // The phase a synced oscillator restarts at when its source has just wrapped.
    static int32_t syncedPhase(double startPhase, int32_t increment, int32_t sourcePhase,
                               int32_t sourceIncrement);

    Oscillator();

    void init(double sampleRate);
    // A new table to play from the start of its cycle.
    void setMipMap(const MipMap* mipMap);
    // Another table under a sounding oscillator: the phase runs on, the waves are chosen anew at the next
    // update. id decides how the table is read (the saw tables' special readings) and may differ from
    // the table's own id: an id that names no table keeps the waves played before.
    void setTable(const MipMap* mipMap, int32_t id);
    void setWaveShape(double s);
    void setOctave(int o);
    void setPitch(int p);
    void setTune(double t);
    void setFreqOffset();
    void restart();
    double getSyncScaler() const;
    void update(double pitchIn, double pitchMod);

    // Inlined into the voice: a call per oscillator and sample costs more than the reading itself.
    [[gnu::always_inline]] double process(double fm) {
        double out = 0.0;
        if (!muted) {
            if (syncSource != nullptr && syncSource->wrapped)
                phase = syncedPhase(startPhase, increment, syncSource->phase, syncSource->increment);
            out = read(readPosition(fm));
        }
        const auto next = static_cast<uint32_t>(phase) + static_cast<uint32_t>(increment);
        wrapped = next > static_cast<uint32_t>(kCycle - 1);
        phase = static_cast<int32_t>(next & static_cast<uint32_t>(kCycle - 1));
        return out;
    }

    // Written by the owner directly.
    Oscillator* syncSource = nullptr;
    bool interpolate = false;
    double startPhase = 0.0; // 0..1 of a cycle
    bool dirty = false;

    const MipMap* getMipMap() const { return table; }
    bool isMuted() const { return muted; }
    bool hasWrapped() const { return wrapped; }
    int32_t getPhase() const { return phase; }
    int32_t getIncrement() const { return increment; }
    uint32_t getLevel() const { return level; }
    uint32_t getWaveA() const { return waveA; }
    uint32_t getWaveB() const { return waveB; }
    double getWeightA() const { return weightA; }
    double getFraction() const { return fraction; }
    double getShape() const { return shape; }
    int32_t getPitchOffset() const { return pitchOffset; }
    int32_t getPitchIndex() const { return pitchIndex; }
    int32_t getReadOffset() const { return readOffset; }

private:
    // Runs this arithmetic for several voices at once, on this state, sample for sample alike.
    friend class VoiceLanes;

    void selectWaves();

    uint32_t readPosition(double fm) {
        // Until a modulation input first arrives the smoothing filter holds exact zeros and would only
        // return zeros; most oscillators never see one.
        if (fmIdle) {
            if (fm == 0.0) return (static_cast<uint32_t>(phase) >> 16) & 2047u;
            fmIdle = false;
        }
        const double scaled = fmFilter.process(fm) * kCycle;
        return ((static_cast<uint32_t>(roundToInt(scaled)) + static_cast<uint32_t>(phase)) >> 16) & 2047u;
    }

    double read(uint32_t r) const {
        const auto s = [](const int16_t* wave, uint32_t index) {
            return static_cast<double>(MipMap::toSample(wave[index]));
        };
        switch (tableId) {
        case eSaw:
            return 0.5 * (s(samplesA, r) + s(samplesA, (r + readOffset) & 2047u));
        case ePulse:
        case eFullPWM:
            return s(samplesA, r) - s(samplesA, (r + readOffset) & 2047u);
        default:
            return interpolate ? weightA * s(samplesA, r) + fraction * s(samplesB, r) : s(samplesA, r);
        }
    }

    // Looks the chosen waves up once instead of at every sample; called whenever the table, the level or
    // the waves change.
    void pointAtWaves() {
        samplesA = table != nullptr ? table->getWave(level, waveA) : MipMap::silence();
        samplesB = table != nullptr ? table->getWave(level, waveB) : MipMap::silence();
    }

    // Rounds half away from zero; only the low 32 bits matter to the phase sum, and a value too large
    // for them (a runaway modulation input) reads as no offset at all.
    static int64_t roundToInt(double x) {
        if (!(x > -9.0e18 && x < 9.0e18)) return 0;
        const auto i = static_cast<int64_t>(x);
        const double rest = x - static_cast<double>(i);
        // Without branches: the rest falls on either side at random, and a mispredicted jump costs more
        // than both comparisons.
        return i + static_cast<int64_t>(rest >= 0.5) - static_cast<int64_t>(rest <= -0.5);
    }

    const MipMap* table = nullptr;
    const int16_t* samplesA = MipMap::silence(); // wave A of the table at the current level
    const int16_t* samplesB = MipMap::silence();
    int32_t tableId = 0;
    LowPass fmFilter;
    bool fmIdle = true; // the filter's state is all zeros
    double lastShape = 0.0;
    int32_t octave = 0;
    int32_t pitch = 0;
    int32_t tune = 0;
    bool muted = true;
    bool wrapped = false;
    double weightA = 1.0;
    double fraction = 0.0;
    double shape = 0.0;
    uint32_t numberOfWaves = 0;
    uint32_t lastNumberOfWaves = 0xFFFFFFFFu;
    uint32_t level = 0;
    uint32_t waveA = 0;
    uint32_t waveB = 0;
    int32_t pitchOffset = 0;
    int32_t pitchIndex = 0;
    int32_t phase = 0;
    int32_t increment = 0;
    int32_t readOffset = 0; // table samples between the two readings of the saw tables
    const Tables* tables = nullptr;
};
