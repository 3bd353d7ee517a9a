#pragma once

#include "engine/Voice.h"

#include <array>

// The sources of four voices (envelopes, oscillators, mixer) computed side by side in AVX2 lanes: every
// sample is bit for bit what Voice::renderSources gives each voice alone. What is rare or differs by
// voice in kind runs lane by lane through the voices' own code: envelope stage changes, hard-sync
// restarts, table reads and values too large for 32-bit lanes.
class VoiceLanes {
public:
    static constexpr int kCount = 4;

    // Voice j writes sample k at out.left[k * out.stride + j] (and the other outputs alike) and takes its
    // noise from out.noise[k * out.noiseStride + j]. Only for processors that have AVX2.
    static void renderSources(const std::array<Voice*, kCount>& voices, const Voice::Sources& out,
                              int frames);

private:
    struct Kernel;
};
