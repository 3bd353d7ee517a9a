#include "engine/Chorus.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kLineSeconds = 0.02;
constexpr double kFilterCutoff = 7000.0;
// Above this no host runs, and the lines would grow without bound.
constexpr double kMaxSampleRate = 1536000.0;
constexpr double kMinStep = 0.125;
} // namespace

Chorus::Chorus() {
    waveform = eTriangle;
    setPeriod(7692);
    init(44100.0);
}

void Chorus::init(double fs) {
    const bool usable = std::isfinite(fs) && fs > 0.0 && fs <= kMaxSampleRate;
    if (usable && fs != sampleRate) {
        sampleRate = fs;
        stages = static_cast<int>(kLineSeconds * fs);
        for (int c = 0; c < 2; ++c) {
            lines[c].assign(static_cast<size_t>(stages), 0.0);
            inputFilters[c].setSampleRate(fs);
            inputFilters[c].setCutoff(kFilterCutoff);
            outputFilters[c].setSampleRate(fs);
            outputFilters[c].setCutoff(kFilterCutoff);
            writePositions[c] = 0;
            fractions[c] = 0.0;
        }
    }
    step = 1.0;
    inverseStep = 1.0;
    update();
}

void Chorus::clear() {
    for (int c = 0; c < 2; ++c) {
        std::fill(lines[c].begin(), lines[c].end(), 0.0);
        inputFilters[c].clear();
        outputFilters[c].clear();
        inputHistory[c] = {};
        outputHistory[c] = {};
    }
}

void Chorus::update() {
    MG::update();
    const double sweep = std::exp2(0.5 * output + 0.5) - 1.0;
    double s = (delay + depth * (sweep - delay)) * 0.875 + 0.125;
    // Settings outside 0..1 could stop the line clock (an endless loop per sample) or run it
    // backwards; keep the step within the range the settings are meant to give.
    if (!(s >= kMinStep)) s = kMinStep;
    if (s > 1.0) s = 1.0;
    step = s;
    inverseStep = 1.0 / s;
}

double Chorus::interpolate(const History& a, double t) {
    const double c1 = 0.5 * (a[2] - a[0]);
    const double c2 = a[0] - 2.5 * a[1] + 2.0 * a[2] - 0.5 * a[3];
    const double c3 = 1.5 * (a[1] - a[2]) + 0.5 * (a[3] - a[0]);
    return a[1] + c1 * t + c2 * t * t + c3 * t * t * t;
}

void Chorus::push(History& history, double value) {
    history[0] = history[1];
    history[1] = history[2];
    history[2] = history[3];
    history[3] = value;
}

double Chorus::processChannel(double input, int c) {
    push(inputHistory[c], inputFilters[c].process(input));
    std::vector<double>& line = lines[c];
    int& position = writePositions[c];
    double& fraction = fractions[c];
    while (fraction < 1.0) {
        position = position <= 0 ? stages - 1 : position - 1;
        const double v = interpolate(inputHistory[c], fraction);
        const double y = outputFilters[c].process(line[position]);
        push(outputHistory[c], y);
        // Limited so that feedback near ±1 cannot run away.
        line[position] = v + feedback * std::clamp(y, -3.0, 3.0);
        fraction += step;
    }
    fraction -= 1.0;
    return interpolate(outputHistory[c], 1.0 - fraction * inverseStep);
}

void Chorus::process(double* left, double* right) {
    if (stages < 1) return;
    const double inLeft = *left;
    const double inRight = *right;
    const double wetLeft = processChannel(inLeft, 0);
    const double wetRight = processChannel(inRight, 1);
    *left = dryGain * inLeft + wetGain * wetLeft;
    *right = dryGain * inRight + wetGain * wetRight;
}
