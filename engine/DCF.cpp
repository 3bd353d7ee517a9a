#include "engine/DCF.h"

#include "tuning/Pitch.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <numbers>
#include <vector>

namespace {

// No reachable effective cutoff equals this, so it always forces a coefficient update. (−1 would not:
// a cutoff modulated down to exactly −1 would then keep stale coefficients.)
constexpr int kNoCutoff = std::numeric_limits<int>::min();

constexpr double kFrequencyScale = 2.0 * std::numbers::pi;

double finiteOrZero(double v) {
    return std::isfinite(v) ? v : 0.0;
}

bool isUsableRate(double fs) {
    return std::isfinite(fs) && fs > 0.0;
}

std::unique_ptr<DCF::Tables> buildTables(double fs) {
    auto tables = std::make_unique<DCF::Tables>();
    tables->sampleRate = fs;
    for (int i = 0; i < DCF::kTableSize; ++i) {
        const double f = Pitch::convert2Hz(i);
        tables->freq2rad[i] = f * kFrequencyScale / fs;
        if (f < 500.0) {
            tables->resoScaler[i] = 4.1;
        } else if (f > 2000.0) {
            tables->resoScaler[i] = 4.005;
        } else {
            tables->resoScaler[i] = 4.1 + (f - 500.0) * (-0.09499999999999975) / 1500.0;
        }
    }
    return tables;
}

int saturatingAdd(int a, int b) {
    const int64_t sum = static_cast<int64_t>(a) + b;
    return static_cast<int>(std::clamp<int64_t>(sum, kNoCutoff + 1, std::numeric_limits<int>::max()));
}

} // namespace

const DCF::Tables& DCF::tablesFor(double fs) {
    static std::mutex lock;
    static std::vector<std::unique_ptr<Tables>> sets;
    const std::lock_guard<std::mutex> guard(lock);
    for (const auto& set : sets) {
        if (set->sampleRate == fs) return *set;
    }
    sets.push_back(buildTables(fs));
    return *sets.back();
}

DCF::DCF() : tables(&tablesFor(44100.0)) {
    resetState();
    currentCutoff = 0;
}

void DCF::setSampleRate(double fs) {
    // A rate that cannot make a table keeps the previous one rather than filling it with non-numbers.
    if (isUsableRate(fs) && fs != sampleRate) {
        sampleRate = fs;
        tables = &tablesFor(fs);
    }
    resetState();
    currentCutoff = 0;
}

void DCF::setCutoff(int cutoff, bool slide) {
    targetCutoff = cutoff;
    slideDirection = 0;
    if (slide) {
        if (currentCutoff < cutoff) slideDirection = 1;
        if (cutoff < currentCutoff) slideDirection = -1;
    } else {
        currentCutoff = cutoff;
    }
}

void DCF::setResonance(double r) {
    resonance = std::clamp(finiteOrZero(r), 0.0, 1.0);
    lastCutoff = kNoCutoff;
}

void DCF::setType(int t) {
    t = std::clamp(t, 0, Properties::eNumDCFTypes - 1);
    if (t == type) return;
    type = t;
    resetState();
}

void DCF::resetState() {
    s1 = Stereo{0.0, 0.0};
    s2 = Stereo{0.01, 0.01};
    s3 = Stereo{0.0, 0.0};
    s4 = Stereo{-0.01, -0.01};
    g4 = g = p = outputGain = normaliser = feedForward = Stereo{0.0, 0.0};
    lastCutoff = kNoCutoff;
}

void DCF::calcCoeffs(int effectiveCutoff) {
    lastCutoff = effectiveCutoff;
    const int i = std::clamp(effectiveCutoff, 0, kTableSize - 1);
    const double omega = tables->freq2rad[i];
    const double d = 1.0 / (omega + 2.0);
    const double pole = (omega - 2.0) * d;
    const double r = type == Properties::eLowpass12 ? 0.985 * resonance : resonance;
    const double feedback = r * tables->resoScaler[i];
    const double spread = 2.0 * std::abs(resonance - 0.5);
    const double gain = 2.0 - spread * spread;
    const double stage = type == Properties::eHighpass24 ? 2.0 * d : omega * d;
    const double stage4 = stage * stage * stage * stage;
    const double norm = 1.0 / (1.0 + feedback * stage4);
    const double forward = type == Properties::eHighpass24 ? -stage : stage;

    g = Stereo{stage, stage};
    g4 = Stereo{stage4, stage4};
    p = Stereo{pole, pole};
    k = Stereo{feedback, feedback};
    outputGain = Stereo{gain, gain};
    normaliser = Stereo{norm, norm};
    feedForward = Stereo{forward, forward};
}

namespace {

using Lanes = long long __attribute__((vector_size(16)));

// Lane-wise: 0 where the value is not finite (x − x is 0 only for finite x).
template <typename V>
V finiteOrZeroLanes(V v) {
    const Lanes finite = (v - v) == 0.0;
    return reinterpret_cast<V>(reinterpret_cast<Lanes>(v) & finite);
}

template <typename V>
V select(Lanes mask, V a, V b) {
    return reinterpret_cast<V>((reinterpret_cast<Lanes>(a) & mask) | (reinterpret_cast<Lanes>(b) & ~mask));
}

} // namespace

DCF::Stereo DCF::processStereo(Stereo input) {
    const Stereo x = finiteOrZeroLanes(input) + denormalOffset;
    const Stereo a = s1 = finiteOrZeroLanes(s1) + denormalOffset;
    const Stereo b = s2 = finiteOrZeroLanes(s2) + denormalOffset;
    const Stereo e = s3 = finiteOrZeroLanes(s3) + denormalOffset;
    const Stereo h = s4 = finiteOrZeroLanes(s4) + denormalOffset;

    const Stereo u = (g4 * x + ((a * g + b) * g + e) * g + h) * normaliser;

    // The feedback saturation: a rational tanh-like curve reaching ±5, flat beyond ±15.
    const Stereo t = u / 5.0;
    const Stereo curve = 5.0 * t * (27.0 + t * t) / (27.0 + 9.0 * t * t);
    const Stereo low = Stereo{-5.0, -5.0};
    const Stereo high = Stereo{5.0, 5.0};
    const Stereo f = select(t < -3.0, low, select(t > 3.0, high, curve));
    const Stereo xk = x - k * f;

    const Stereo ff = feedForward;
    const Stereo y1 = a + g * xk;
    s1 = ff * xk - p * y1;
    const Stereo y2 = b + g * y1;
    s2 = ff * y1 - p * y2;
    const Stereo y3 = e + g * y2;
    s3 = ff * y2 - p * y3;
    const Stereo y4 = h + g * y3;
    s4 = ff * y3 - p * y4;

    return (type == Properties::eLowpass12 ? y2 : u) * outputGain;
}

void DCF::process(double* left, double* right, int cutoffMod) {
    if (currentCutoff != targetCutoff) {
        currentCutoff += slideDirection;
        if ((slideDirection >= 0 && currentCutoff > targetCutoff) ||
            (slideDirection < 0 && currentCutoff < targetCutoff)) {
            currentCutoff = targetCutoff;
        }
    }
    const int effective = saturatingAdd(currentCutoff, cutoffMod);
    if (effective != lastCutoff) calcCoeffs(effective);

    const Stereo out = processStereo(Stereo{*left, *right});
    *left = out[0];
    *right = out[1];
    denormalOffset = -denormalOffset;
}

double DCF::getStageState(int stage, int channel) const {
    const int c = channel == 0 ? 0 : 1;
    switch (stage) {
    case 0:
        return s1[c];
    case 1:
        return s2[c];
    case 2:
        return s3[c];
    default:
        return s4[c];
    }
}
