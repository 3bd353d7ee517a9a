#pragma once

#include "engine/DCF.h"
#include "engine/SimdKernel.h"
#include "engine/Voice.h"

#include <array>
#include <span>

// The voices of an instrument rendered together: the sounding voices' envelopes, oscillators and mixer
// four or eight at a time in SIMD lanes (VoiceLanes; one voice after another without AVX2), then the
// filters of up to eight voices side by side, then their sum in voice order. Every output sample is bit
// for bit what Voice::process gives called for each voice in turn, which is what the scalar kernel does.
class VoiceGroup {
public:
    static constexpr int kMaxVoices = 64;

    // Adds frames samples of every active voice to left and right. Noise is drawn in the order
    // process() draws it: sample by sample, voice by voice. More than kMaxVoices voices take the scalar
    // way.
    void render(std::span<Voice> voices, double* left, double* right, int frames);

    // The fastest kernel of the processor unless a test asks for another; AVX2 where the processor
    // lacks it runs as SSE2.
    void setKernel(SimdKernel k) { kernel = k; }
    SimdKernel getKernel() const { return kernel; }

private:
    static constexpr int kLanes = DCF::kBlockLanes;
    static constexpr int kFrames = DCF::kMaxBlockFrames;

    void drawNoise(std::span<Voice> voices, int frames);
    // The kCount sounding voices from active[first] on.
    template <int kCount>
    std::array<Voice*, kCount> voiceGroup(std::span<Voice> voices, int first) const;
    // Voices active[first] on, at most kLanes of them.
    void renderLanes(std::span<Voice> voices, int first, double* left, double* right, int frames);

    SimdKernel kernel = fastestSimdKernel();
    int activeCount = 0;
    std::array<int, kMaxVoices> active{}; // indices of the voices that sound, in voice order
    std::array<double, kMaxVoices * kFrames> noise{};
    // One run of up to kLanes voices, sample s of lane j at [s * kLanes + j].
    std::array<double, kLanes * kFrames> laneLeft{};
    std::array<double, kLanes * kFrames> laneRight{};
    std::array<double, kLanes * kFrames> laneAmp{};
    std::array<int, kLanes * kFrames> laneCutoff{};
};
