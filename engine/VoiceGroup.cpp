#include "engine/VoiceGroup.h"

#include "engine/VoiceLanes.h"

#include <algorithm>
#include <cstring>

void VoiceGroup::render(std::span<Voice> voices, double* left, double* right, int frames) {
    if (frames <= 0) return;
    activeCount = 0;
    if (voices.size() <= kMaxVoices) {
        for (size_t i = 0; i < voices.size(); ++i)
            if (voices[i].isActive()) active[activeCount++] = static_cast<int>(i);
    }
    // A lone voice has nothing to share its lanes with.
    if (kernel == SimdKernel::Scalar || voices.size() > kMaxVoices || activeCount <= 1) {
        for (int s = 0; s < frames; ++s) {
            for (Voice& voice : voices) voice.process(&left[s], &right[s]);
        }
        return;
    }
    for (Voice& voice : voices) {
        if (voice.isActive()) continue;
        // An idle voice still forgets its oscillators' last outputs, as process() makes it do.
        double l = 0.0;
        double r = 0.0;
        voice.process(&l, &r);
    }
    for (int done = 0; done < frames; done += kFrames) {
        const int n = std::min(kFrames, frames - done);
        drawNoise(voices, n);
        for (int first = 0; first < activeCount; first += kLanes)
            renderLanes(voices, first, left + done, right + done, n);
    }
}

void VoiceGroup::drawNoise(std::span<Voice> voices, int frames) {
    NoiseSource* shared = activeCount > 0 ? voices[active[0]].getNoiseSource() : nullptr;
    for (int k = 1; k < activeCount; ++k) {
        if (voices[active[k]].getNoiseSource() != shared) shared = nullptr;
    }
    // Sample by sample, voice by voice is one run of the sequence when every voice draws from one source.
    if (shared != nullptr) {
        shared->fillNoise(noise.data(), frames * activeCount);
        return;
    }
    for (int s = 0; s < frames; ++s) {
        for (int k = 0; k < activeCount; ++k) {
            NoiseSource* source = voices[active[k]].getNoiseSource();
            noise[s * activeCount + k] = source != nullptr ? source->getNoise() : 0.0;
        }
    }
}

template <int kCount>
std::array<Voice*, kCount> VoiceGroup::voiceGroup(std::span<Voice> voices, int first) const {
    std::array<Voice*, kCount> group{};
    for (int g = 0; g < kCount; ++g) group[g] = &voices[active[first + g]];
    return group;
}

void VoiceGroup::renderLanes(std::span<Voice> voices, int first, double* left, double* right, int frames) {
    const int lanes = std::min(kLanes, activeCount - first);
    DCF::Block block;
    block.left = laneLeft.data();
    block.right = laneRight.data();
    block.cutoffMod = laneCutoff.data();
    block.frames = frames;
    const bool eightWide = kernel == SimdKernel::AVX512 && isSimdKernelAvailable(kernel);
    const bool fourWide = kernel >= SimdKernel::AVX2 && isSimdKernelAvailable(SimdKernel::AVX2);
    for (int j = 0; j < lanes;) {
        const Voice::Sources out{
            laneLeft.data() + j,      laneRight.data() + j, laneCutoff.data() + j, laneAmp.data() + j, kLanes,
            noise.data() + first + j, activeCount};
        if (eightWide && j + VoiceLanes::kAVX512Voices <= lanes) {
            VoiceLanes::renderSources(voiceGroup<VoiceLanes::kAVX512Voices>(voices, first + j), out, frames);
            j += VoiceLanes::kAVX512Voices;
        } else if (fourWide && j + VoiceLanes::kAVX2Voices <= lanes) {
            VoiceLanes::renderSources(voiceGroup<VoiceLanes::kAVX2Voices>(voices, first + j), out, frames);
            j += VoiceLanes::kAVX2Voices;
        } else {
            voices[active[first + j]].renderSources(out, frames);
            ++j;
        }
    }
    for (int j = 0; j < lanes; ++j) block.filters[j] = &voices[active[first + j]].getFilter();
    for (int j = lanes; j < kLanes; ++j) {
        for (int s = 0; s < frames; ++s) {
            laneLeft[s * kLanes + j] = laneRight[s * kLanes + j] = 0.0;
            laneCutoff[s * kLanes + j] = 0;
        }
    }
    DCF::processBlock(block, kernel);

    // Each lane's share in vectors; the sums stay one voice after another, as the voices would add them.
    using Lanes = double __attribute__((vector_size(kLanes * sizeof(double))));
    Lanes panLeft{};
    Lanes panRight{};
    for (int j = 0; j < lanes; ++j) {
        panLeft[j] = voices[active[first + j]].getPanLeft();
        panRight[j] = voices[active[first + j]].getPanRight();
    }
    for (int s = 0; s < frames; ++s) {
        const int at = s * kLanes;
        Lanes amp;
        Lanes x;
        std::memcpy(&amp, &laneAmp[at], sizeof amp);
        std::memcpy(&x, &laneLeft[at], sizeof x);
        const Lanes shareLeft = panLeft * amp * x;
        std::memcpy(&x, &laneRight[at], sizeof x);
        const Lanes shareRight = panRight * amp * x;
        for (int j = 0; j < lanes; ++j) {
            left[s] += shareLeft[j];
            right[s] += shareRight[j];
        }
    }
}
