#include "engine/MipMap.h"

#include <benchmark/benchmark.h>

namespace {

void buildTable(benchmark::State& state, eROMTable id) {
    MipMap table;
    for (auto _ : state) {
        table.createMipMap(id);
        benchmark::DoNotOptimize(table.getLevel(0));
    }
}

// 64 waves written in the time domain: 64 forward and 640 inverse transforms.
void BM_Build64WaveTableFromWaves(benchmark::State& state) {
    buildTable(state, eSawTri);
}
// 64 waves given as spectra: 640 inverse transforms.
void BM_Build64WaveTableFromSpectra(benchmark::State& state) {
    buildTable(state, eDiracMeltdown);
}
void BM_Build1WaveTable(benchmark::State& state) {
    buildTable(state, eSaw);
}

} // namespace

BENCHMARK(BM_Build64WaveTableFromWaves)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Build64WaveTableFromSpectra)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Build1WaveTable)->Unit(benchmark::kMicrosecond);

namespace {

// A table built into a new object: the level arrays are allocated (and first touched) too.
void BM_Build64WaveTableFresh(benchmark::State& state) {
    for (auto _ : state) {
        MipMap table;
        table.createMipMap(eSawTri);
        benchmark::DoNotOptimize(table.getLevel(0));
    }
}

} // namespace

BENCHMARK(BM_Build64WaveTableFresh)->Unit(benchmark::kMillisecond);

namespace {

// Switching one slot between a 1-wave and a 64-wave table, as a user browsing the tables does.
void BM_SwitchBetween1And64WaveTables(benchmark::State& state) {
    MipMap table;
    for (auto _ : state) {
        table.createMipMap(eSaw);
        table.createMipMap(eSawTri);
        benchmark::DoNotOptimize(table.getLevel(0));
    }
}

} // namespace

BENCHMARK(BM_SwitchBetween1And64WaveTables)->Unit(benchmark::kMillisecond);
