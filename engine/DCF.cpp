#include "DCF.h"

#include "Pitch.h"

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
    s1 = {0.0, 0.0};
    s2 = {0.01, 0.01};
    s3 = {0.0, 0.0};
    s4 = {-0.01, -0.01};
    g4 = g = p = outputGain = normaliser = 0.0;
    lastCutoff = kNoCutoff;
}

double DCF::clamp(double y) {
    const double t = y / 5.0;
    if (t < -3.0) return -5.0;
    if (t > 3.0) return 5.0;
    return 5.0 * t * (27.0 + t * t) / (27.0 + 9.0 * t * t);
}

void DCF::calcCoeffs(int effectiveCutoff) {
    lastCutoff = effectiveCutoff;
    const int i = std::clamp(effectiveCutoff, 0, kTableSize - 1);
    const double omega = tables->freq2rad[i];
    const double d = 1.0 / (omega + 2.0);
    p = (omega - 2.0) * d;
    const double r = type == Properties::eLowpass12 ? 0.985 * resonance : resonance;
    k = r * tables->resoScaler[i];
    const double spread = 2.0 * std::abs(resonance - 0.5);
    outputGain = 2.0 - spread * spread;
    g = type == Properties::eHighpass24 ? 2.0 * d : omega * d;
    g4 = g * g * g * g;
    normaliser = 1.0 / (1.0 + k * g4);
}

double DCF::processChannel(double input, int c) {
    const double x = finiteOrZero(input) + denormalOffset;
    const double a = s1[c] = finiteOrZero(s1[c]) + denormalOffset;
    const double b = s2[c] = finiteOrZero(s2[c]) + denormalOffset;
    const double e = s3[c] = finiteOrZero(s3[c]) + denormalOffset;
    const double h = s4[c] = finiteOrZero(s4[c]) + denormalOffset;

    const double u = (g4 * x + ((a * g + b) * g + e) * g + h) * normaliser;
    const double xk = x - k * clamp(u);

    // High-pass stages feed the input forward with the opposite sign.
    const double ff = type == Properties::eHighpass24 ? -g : g;
    const double y1 = a + g * xk;
    s1[c] = ff * xk - p * y1;
    const double y2 = b + g * y1;
    s2[c] = ff * y1 - p * y2;
    const double y3 = e + g * y2;
    s3[c] = ff * y2 - p * y3;
    const double y4 = h + g * y3;
    s4[c] = ff * y3 - p * y4;

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

    *left = processChannel(*left, 0);
    *right = processChannel(*right, 1);
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
