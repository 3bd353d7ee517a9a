#pragma once

#include "engine/Properties.h"
#include "engine/SimdKernel.h"

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

    // Up to kBlockLanes filters run side by side, one per lane, with results identical to calling
    // process() for each of them sample by sample. Sample s of lane j sits at [s * kBlockLanes + j].
    static constexpr int kBlockLanes = 8;
    static constexpr int kMaxBlockFrames = 64;
    struct Block {
        std::array<DCF*, kBlockLanes> filters{}; // null: an unused lane; lane 0 is always used
        double* left = nullptr;                  // filtered in place
        double* right = nullptr;
        const int* cutoffMod = nullptr;
        int frames = 0; // at most kMaxBlockFrames
    };
    static void processBlock(const Block& block, SimdKernel kernel);

    int getCurrentCutoff() const { return currentCutoff; }
    double getOutputGain() const { return coefficients.outputGain[0]; }
    double getFeedback() const { return coefficients.k[0]; }
    // stage 0..3, channel 0 (left) or 1 (right)
    double getStageState(int stage, int channel) const;

private:
    // Both channels run the same arithmetic side by side, one lane each (left, right).
    using Stereo = double __attribute__((vector_size(16)));

    // The same arithmetic serves one filter's two channels and many filters' one channel alike, so
    // every lane computes exactly what the single filter would.
    template <typename V>
    struct Coefficients {
        V g4{};
        V g{};
        V p{};
        V k{};
        V outputGain{};
        V normaliser{};
        V feedForward{}; // g, negated for the high-pass stages
    };
    template <typename V>
    struct Stages {
        V s1{};
        V s2{};
        V s3{};
        V s4{};
    };
    template <typename V>
    struct Lanes;

    void resetState();
    // Moves the cutoff one sample on and returns it with the modulation added.
    int nextCutoff(int cutoffMod);
    void calcCoeffs(int effectiveCutoff);
    double feedbackAmount() const { return type == Properties::eLowpass12 ? 0.985 * resonance : resonance; }
    double resonanceGain() const;

    // The effective cutoff of every lane at every sample of a block, as nextCutoff() moves them; row 0
    // holds each lane's cutoff before the block.
    using CutoffRows = std::array<std::array<int, kBlockLanes>, kMaxBlockFrames + 1>;
    static void slideCutoffs(const Block& block, int frames, CutoffRows& cutoffs);
    template <typename V, int Groups>
    static void processLanes(const Block& block);
    static void processBlockSSE2(const Block& block);
    static void processBlockAVX2(const Block& block);
    static void processBlockAVX512(const Block& block);

    const Tables* tables = nullptr;
    double sampleRate = 44100.0;
    int targetCutoff = 0;
    double resonance = 0.0;
    int type = Properties::eLowpass24;
    Coefficients<Stereo> coefficients; // the same in both lanes
    int currentCutoff = 0;
    int lastCutoff = 0;
    int slideDirection = 0;
    Stages<Stereo> stages;
    double denormalOffset = 1e-13;
};
