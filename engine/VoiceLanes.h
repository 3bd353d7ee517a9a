#pragma once

#include "engine/Voice.h"

#include <array>

// The sources of several voices (envelopes, oscillators, mixer) computed side by side: four in AVX2
// lanes, or eight in AVX-512 lanes. Every sample is bit for bit what Voice::renderSources gives each
// voice alone. What is rare or differs by voice in kind runs lane by lane through the voices' own code:
// envelope stage changes, hard-sync restarts, mixed table readings and values too large for 32-bit lanes.
class VoiceLanes {
public:
    static constexpr int kAVX2Voices = 4;
    static constexpr int kAVX512Voices = 8;

    // Voice j writes sample k at out.left[k * out.stride + j] (and the other outputs alike) and takes its
    // noise from out.noise[k * out.noiseStride + j]. Four voices need a processor with AVX2, eight one
    // with AVX-512 (SimdKernel).
    static void renderSources(const std::array<Voice*, kAVX2Voices>& voices, const Voice::Sources& out,
                              int frames);
    static void renderSources(const std::array<Voice*, kAVX512Voices>& voices, const Voice::Sources& out,
                              int frames);

private:
    template <int kLanes>
    struct Kernel;
};
