#include "engine/Oscillator.h"

#include "tuning/Pitch.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <vector>

namespace {

constexpr double kDefaultRate = 44100.0;
constexpr double kFMCutoff = 2000.0; // Hz
constexpr double kFMQ = 0.7071067811865476;
// Far above any real increment (2^27 is a whole cycle per sample), low enough that a phase plus an
// increment never overflows 32 bits at absurdly low rates.
constexpr double kMaxIncrement = 1 << 30;
// Keeps the pitch offset arithmetic in range whatever the owner passes; far beyond the pitch range.
constexpr int64_t kMaxPitchOffset = 1 << 24;

double usableRate(double sampleRate) {
    return std::isfinite(sampleRate) && sampleRate > 0.0 ? sampleRate : kDefaultRate;
}

std::unique_ptr<Oscillator::Tables> buildTables(double sampleRate) {
    auto tables = std::make_unique<Oscillator::Tables>();
    tables->sampleRate = sampleRate;
    for (int i = 0; i <= Oscillator::kMaxPitch; ++i) {
        const double increment = Pitch::convert2Hz(i) * 134217728.0 / sampleRate;
        tables->freq2PhInc[i] = static_cast<int32_t>(std::min(increment, kMaxIncrement));
        tables->freq2map[i] = Oscillator::levelFor(tables->freq2PhInc[i]);
    }
    return tables;
}

double clampUnit(double x) {
    return x > 0.0 ? std::min(x, 1.0) : 0.0;
} // NaN reads as 0

int32_t phaseOf(double startPhase) {
    return static_cast<int32_t>(std::lround(clampUnit(startPhase) * Oscillator::kCycle));
}

} // namespace

const Oscillator::Tables& Oscillator::tablesFor(double sampleRate) {
    static std::mutex lock;
    static std::vector<std::unique_ptr<Tables>> sets;
    const double rate = usableRate(sampleRate);
    const std::lock_guard<std::mutex> guard(lock);
    for (const auto& set : sets)
        if (set->sampleRate == rate) return *set;
    sets.push_back(buildTables(rate));
    return *sets.back();
}

uint8_t Oscillator::levelFor(int32_t increment) {
    const int32_t step = increment >> 16;
    if (step >= 2048 || step < 2) return 0;
    uint8_t halvings = 0;
    for (double s = step; s > 1.0; s /= 2.0) ++halvings;
    return std::min<uint8_t>(halvings, MipMap::kLevels - 1);
}

int32_t Oscillator::syncedPhase(double startPhase, int32_t increment, int32_t sourcePhase,
                                int32_t sourceIncrement) {
    // A source restarted at the very end of its cycle reports a wrap without moving: no part of this
    // sample lies after its new cycle began.
    const double passed =
        sourceIncrement > 0 ? clampUnit(static_cast<double>(sourcePhase) / sourceIncrement) : 0.0;
    return phaseOf(startPhase) + static_cast<int32_t>(std::lround(increment * passed));
}

Oscillator::Oscillator() {
    init(kDefaultRate);
}

void Oscillator::init(double sampleRate) {
    tables = &tablesFor(sampleRate);
    fmFilter.setSampleRate(tables->sampleRate);
    fmFilter.setCutoff(kFMCutoff);
    fmFilter.setQ(kFMQ);
    fmIdle = true;
    phase = 0;
    increment = 0;
}

void Oscillator::setMipMap(const MipMap* mipMap) {
    phase = 0;
    increment = 0;
    table = mipMap;
    tableId = mipMap != nullptr ? mipMap->getTableId() : 0;
    pointAtWaves();
    dirty = true;
    // Nothing to read from: update() leaves an oscillator without a table alone, so stop it here.
    if (table == nullptr) muted = true;
}

void Oscillator::setTable(const MipMap* mipMap, int32_t id) {
    if (mipMap == nullptr) return;
    table = mipMap;
    tableId = id;
    pointAtWaves();
    dirty = true;
}

void Oscillator::setWaveShape(double s) {
    if (s == lastShape) return;
    lastShape = s;
    shape = clampUnit(s);
    dirty = true;
}

void Oscillator::setOctave(int o) {
    octave = static_cast<int32_t>(std::clamp<int64_t>(int64_t{o} - 1, -kMaxPitchOffset, kMaxPitchOffset));
    setFreqOffset();
}

void Oscillator::setPitch(int p) {
    pitch = p;
    setFreqOffset();
}

void Oscillator::setTune(double t) {
    const double steps = t * 64.0;
    tune = std::isfinite(steps) ? static_cast<int32_t>(std::lround(std::clamp(steps, -1.0e6, 1.0e6))) : 0;
    setFreqOffset();
}

void Oscillator::setFreqOffset() {
    const int64_t offset = 1536 * static_cast<int64_t>(octave) + 128 * static_cast<int64_t>(pitch) + tune;
    pitchOffset = static_cast<int32_t>(std::clamp(offset, -kMaxPitchOffset, kMaxPitchOffset));
}

void Oscillator::restart() {
    phase = phaseOf(startPhase);
}

double Oscillator::getSyncScaler() const {
    return increment != 0 ? static_cast<double>(phase) / increment : 0.0;
}

void Oscillator::selectWaves() {
    lastNumberOfWaves = numberOfWaves;
    const uint32_t last = std::max<uint32_t>(numberOfWaves, 1) - 1;
    const double pos = last * shape;
    const double whole = std::floor(pos);
    waveA = static_cast<uint32_t>(interpolate ? whole : std::floor(pos + 0.5));
    waveB = waveA + 1 < numberOfWaves ? waveA + 1 : last;
    fraction = pos - whole;
    weightA = 1.0 - fraction;
    switch (tableId) {
    case eSaw:
        readOffset = static_cast<int32_t>(std::floor(shape * 1024.0));
        break;
    case ePulse:
        readOffset = static_cast<int32_t>((1.0 - shape) * 1024.0);
        break;
    case eFullPWM:
        readOffset = static_cast<int32_t>(std::floor((shape + 0.5) * 2048.0));
        break;
    default:
        break;
    }
    dirty = false;
}

void Oscillator::update(double pitchIn, double pitchMod) {
    if (table == nullptr) return;
    numberOfWaves = table->getNumberOfWaves();
    if (dirty || numberOfWaves != lastNumberOfWaves) selectWaves();

    const double index = pitchOffset + (pitchIn + pitchMod);
    if (index > -1.0 && index < kMaxPitch + 1.0) {
        pitchIndex = static_cast<int32_t>(index);
        muted = syncSource != nullptr ? syncSource->muted : false;
    } else {
        // Below the range, above it, or not a number: silence rather than a wrong pitch.
        pitchIndex = index >= kMaxPitch + 1.0 ? kMaxPitch : 0;
        muted = true;
    }
    increment = tables->freq2PhInc[pitchIndex];
    level = tables->freq2map[pitchIndex];
    pointAtWaves();
}
