#pragma once

#include "engine/Properties.h"

#include <array>
#include <cmath>

// The voice filter: a stereo four-stage resonant filter whose feedback is resolved without a unit
// delay and saturated, with the cutoff given as a pitch (1/128 semitone) and moved every sample.
class DCF {
public:
    static constexpr int kTableSize = 17281;

    // Cutoff-to-coefficient tables for one sample rate. Built once per rate for the whole process and
    // never changed afterwards, so instances running at different rates never disturb each other.
    struct Tables {
        double sampleRate = 0.0;
        std::array<double, kTableSize> freq2rad{};   // radians per sample
        std::array<double, kTableSize> resoScaler{}; // feedback for full resonance
    };
    static const Tables& tablesFor(double fs);

    DCF();

    void setSampleRate(double fs);
    // cutoff in pitch steps; slide: glide one step per sample instead of jumping.
    void setCutoff(int cutoff, bool slide);
    void setResonance(double r);
    void setType(int t);

    // Filters one stereo sample in place; cutoffMod (pitch steps) is added to the sliding cutoff.
    void process(double* left, double* right, int cutoffMod);

    int getCurrentCutoff() const { return currentCutoff; }
    double getOutputGain() const { return outputGain[0]; }
    double getFeedback() const { return k[0]; }
    // stage 0..3, channel 0 (left) or 1 (right)
    double getStageState(int stage, int channel) const;

private:
    // Both channels run the same arithmetic side by side, one lane each (left, right).
    using Stereo = double __attribute__((vector_size(16)));

    void resetState();
    void calcCoeffs(int effectiveCutoff);
    Stereo processStereo(Stereo input);

    const Tables* tables = nullptr;
    double sampleRate = 44100.0;
    int targetCutoff = 0;
    double resonance = 0.0;
    int type = Properties::eLowpass24;
    // Coefficients, the same in both lanes.
    Stereo g4{};
    Stereo g{};
    Stereo p{};
    Stereo k{};
    Stereo outputGain{};
    Stereo normaliser{};
    Stereo feedForward{}; // g, negated for the high-pass stages
    int currentCutoff = 0;
    int lastCutoff = 0;
    int slideDirection = 0;
    Stereo s1{};
    Stereo s2{};
    Stereo s3{};
    Stereo s4{};
    double denormalOffset = 1e-13;
};
