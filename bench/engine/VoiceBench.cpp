#include "engine/MG.h"
#include "engine/MipMap.h"
#include "engine/RandomSequence.h"
#include "engine/Voice.h"
#include "engine/VoiceGroup.h"

#include <benchmark/benchmark.h>
#include <xmmintrin.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr double kRate = 48000.0;
constexpr int kTick = 48; // samples per control tick at 48 kHz

class EqualTemperament : public PitchSource {
public:
    int getFrequency(int note) override { return note * 128; }
};

// The instrument's generator: a 32-bit multiplicative sequence, drawn a run at a time as the instrument
// does it.
class WhiteNoise : public NoiseSource {
public:
    double getNoise() override {
        seed = RandomSequence::next(seed);
        return RandomSequence::toUnit(seed);
    }
    void fillNoise(double* out, int count) override {
        for (int i = 0; i < count; ++i) out[i] = WhiteNoise::getNoise();
    }

private:
    int32_t seed = 1;
};

struct Tables {
    MipMap saw;
    MipMap sawTri; // 64 waves
    Tables() {
        saw.createMipMap(eSaw);
        sawTri.createMipMap(eSawTri);
    }
};

Tables& tables() {
    static Tables t;
    return t;
}

struct Shared {
    EqualTemperament tuning;
    WhiteNoise noise;
    MG mg1;
    double mg2 = 0.0, vibrato = 0.0, wheel = 0.0, bend = 0.0, pressure = 0.0;
    Shared() {
        mg1.waveform = MG::eTriangle;
        mg1.setPeriod(250);
    }
};

void connect(Voice& v, Shared& s) {
    v.setSharedSources(&s.mg1.output, &s.mg2, &s.vibrato, &s.wheel, &s.bend, &s.pressure);
    v.setPitchSource(&s.tuning);
    v.setNoiseSource(&s.noise);
    v.setSampleRate(kRate);
}

void setEnvelope(Voice& v, int first, double a, double d, double s, double r) {
    v.setParam(first + 1, 1.0, 1.0); // amount
    v.setParam(first + 2, 1.0, 0.0); // source "ON"
    v.setParam(first + 3, a, a);
    v.setParam(first + 4, d, d);
    v.setParam(first + 5, s, s);
    v.setParam(first + 6, r, r);
}

// "Saw" into "Lowpass 24" at a fixed cutoff, amp envelope only.
void plainPatch(Voice& v) {
    v.setMipMap(0, &tables().saw);
    v.setParam(10, 1.0, 1.0);
    v.setParam(29, 0.0, 0.0);
    v.setParam(49, 0.0, 0.0);
    v.setParam(69, 1.0, 0.5);
    v.setParam(73, 0.0, 0.5);
    v.setParam(77, 0.0, 0.0);
    v.setParam(78, 9000.0, 0.5);
    v.setParam(79, 0.0, 0.0);
    setEnvelope(v, 100, 0.1, 0.5, 0.8, 0.3);
}

// Everything on: a morphing 64-wave table, hard sync with linear FM, ring modulation, noise, a resonant
// filter swept by its envelope every sample, all four envelopes driving destinations.
void densePatch(Voice& v) {
    v.setMipMap(0, &tables().sawTri);
    v.setMipMap(1, &tables().saw);
    v.setMipMap(2, &tables().saw);
    for (const int id : {10, 29, 49}) v.setParam(id, 1.0, 1.0);
    v.setParam(13, 0.0, 0.0); // interpolate
    v.setParam(12, 0.3, 0.3);
    v.setParam(14, 0.5, 0.75); // shape modulation by MG 1
    v.setParam(15, Properties::eModMG1, 0.0);
    v.setParam(37, 1.0, 0.5); // oscillator 2 synced to 1
    v.setParam(43, 7.0, 0.0);
    v.setParam(38, 0.3, 0.3); // linear FM 2
    v.setParam(39, 1.0, 1.0); // from oscillator 3
    v.setParam(40, 0.2, 0.6);
    v.setParam(41, Properties::eModLinearEG1, 0.0);
    v.setParam(19, 1.0, 1.0); // oscillator 3 ring-modulates oscillator 1
    v.setParam(62, 2.0, 0.5);
    v.setParam(47, 0.5, 0.75); // oscillator 2 amplitude by linear EG 2
    v.setParam(48, Properties::eModLinearEG2, 0.0);
    for (int k = 0; k < 4; ++k) {
        v.setParam(69 + k, 1.0, 0.5);
        v.setParam(73 + k, 0.0, 0.3 + 0.1 * k);
    }
    v.setParam(77, 0.0, 0.0);
    v.setParam(78, 4000.0, 0.25);
    v.setParam(79, 0.7, 0.7);
    v.setParam(80, 64.0, 0.5);
    v.setParam(81, 8000.0, 0.8); // filter envelope sweeps the cutoff
    setEnvelope(v, 93, 0.4, 0.7, 0.2, 0.3);
    setEnvelope(v, 100, 0.1, 0.5, 0.8, 0.3);
    setEnvelope(v, 107, 0.2, 0.3, 0.5, 0.2);
    setEnvelope(v, 114, 0.3, 0.2, 0.4, 0.2);
}

// Renders one control tick after another for `voices` voices through the voice group with the kernel
// numbered `kernel` (0 scalar, 1 SSE2, 2 AVX2, 3 AVX-512); reports the cost per voice and sample.
void renderVoices(benchmark::State& state, void (*patch)(Voice&)) {
    const int voices = static_cast<int>(state.range(0));
    const auto kernel = static_cast<SimdKernel>(state.range(1));
    if (!isSimdKernelAvailable(kernel)) {
        state.SkipWithError("this processor lacks the instructions");
        return;
    }
    Shared shared;
    std::vector<Voice> pool(voices);
    for (int i = 0; i < voices; ++i) {
        connect(pool[i], shared);
        patch(pool[i]);
        pool[i].setNoteOn(36 + (i * 7) % 48, 100, i, 0);
    }
    VoiceGroup group;
    group.setKernel(kernel);
    std::vector<double> left(kTick), right(kTick);
    // The instrument renders with flush-to-zero and denormals-are-zero set, as every block does.
    const unsigned int csr = _mm_getcsr();
    _mm_setcsr(csr | 0x8040);
    for (auto _ : state) {
        shared.mg1.update();
        for (Voice& v : pool) v.update(false);
        std::fill(left.begin(), left.end(), 0.0);
        std::fill(right.begin(), right.end(), 0.0);
        group.render(pool, left.data(), right.data(), kTick);
        benchmark::DoNotOptimize(left.data());
        benchmark::DoNotOptimize(right.data());
    }
    _mm_setcsr(csr);
    state.counters["per_voice_sample"] =
        benchmark::Counter(static_cast<double>(kTick) * voices,
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_VoicePlainPatch(benchmark::State& state) {
    renderVoices(state, plainPatch);
}
void BM_VoiceDensePatch(benchmark::State& state) {
    renderVoices(state, densePatch);
}

} // namespace

BENCHMARK(BM_VoicePlainPatch)->ArgsProduct({{1, 64}, {0, 1, 2, 3}});
BENCHMARK(BM_VoiceDensePatch)->ArgsProduct({{1, 64}, {0, 1, 2, 3}});
