#include "engine/MipMap.h"
#include "engine/Oscillator.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kBlock = 48; // one control tick at 48 kHz

const MipMap& table(eROMTable id) {
    static MipMap saw;
    static MipMap sawTri;
    MipMap& t = id == eSaw ? saw : sawTri;
    if (!t.isValid()) t.createMipMap(id);
    return t;
}

// Per output sample: one control update every 48 samples, as the voice does.
void run(benchmark::State& state, eROMTable id, bool interpolate, double fm) {
    Oscillator osc;
    osc.init(48000.0);
    osc.interpolate = interpolate;
    osc.setMipMap(const_cast<MipMap*>(&table(id)));
    osc.setOctave(1);
    double shape = 0.3;
    double pitch = 7000.0;
    for (auto _ : state) {
        shape = shape > 0.9 ? 0.1 : shape + 0.01;
        osc.setWaveShape(shape);
        osc.update(pitch, 0.0);
        double sum = 0.0;
        for (int i = 0; i < kBlock; ++i) sum += osc.process(fm);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}

void BM_OscillatorSaw(benchmark::State& state) {
    run(state, eSaw, false, 0.0);
}
void BM_OscillatorInterpolating64Waves(benchmark::State& state) {
    run(state, eSawTri, true, 0.0);
}
void BM_OscillatorInterpolating64WavesWithFM(benchmark::State& state) {
    run(state, eSawTri, true, 0.3);
}

} // namespace

BENCHMARK(BM_OscillatorSaw);
BENCHMARK(BM_OscillatorInterpolating64Waves);
BENCHMARK(BM_OscillatorInterpolating64WavesWithFM);
