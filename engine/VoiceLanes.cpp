#include "engine/VoiceLanes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <immintrin.h>
#include <optional>
#include <utility>

// Everything below runs only where the caller found AVX2. Every other header comes first, so that its
// inline functions keep the baseline instruction set wherever the linker picks their copies.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
// The vectors never cross a call that is not inlined, so how they would be passed without AVX is moot.
#pragma GCC diagnostic ignored "-Wpsabi"

#include "engine/VoiceLanesKernel.h"

void VoiceLanes::renderSources(const std::array<Voice*, kAVX2Voices>& voices, const Voice::Sources& out,
                               int frames) {
    Kernel<kAVX2Voices>::render(voices, out, frames);
}

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
