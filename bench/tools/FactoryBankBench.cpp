#include "instrument/Korvanta.h"
#include "tools/make-factory-bank/FactoryBank.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const std::string kResources = KORVANTA_BUNDLE_DIR "/Contents/Resources/";

std::unique_ptr<Korvanta> makeInstrument() {
    auto plug = std::make_unique<Korvanta>(IPlugInstanceInfo{});
    plug->setResourceFolder(kResources);
    plug->SetSampleRate(48000.0);
    plug->SetBlockSize(256);
    plug->Reset();
    plug->OnActivate(true);
    return plug;
}

// Reading and checking all 64 definitions: the build's share of make-factory-bank.
void BM_ReadDefinitions(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<ProgramDefinition> programs;
        std::string error;
        benchmark::DoNotOptimize(FactoryBank::read(KORVANTA_PRESET_DIR, &programs, &error));
    }
}
BENCHMARK(BM_ReadDefinitions)->Unit(benchmark::kMillisecond);

// Turning the definitions into 64 stored programs through the parameters.
void BM_FillBank(benchmark::State& state) {
    std::vector<ProgramDefinition> programs;
    std::string error;
    FactoryBank::read(KORVANTA_PRESET_DIR, &programs, &error);
    auto plug = makeInstrument();
    for (auto _ : state) FactoryBank::fill(*plug, programs);
}
BENCHMARK(BM_FillBank)->Unit(benchmark::kMillisecond);

// What a fresh instance pays for the factory bank at start-up: every program is applied in turn,
// wave tables included, and program 0 restored.
void BM_LoadFactoryBank(benchmark::State& state) {
    auto plug = makeInstrument();
    const std::string bank = kResources + "init.fxb";
    for (auto _ : state) benchmark::DoNotOptimize(plug->LoadBankFromFXB(bank.c_str()));
}
BENCHMARK(BM_LoadFactoryBank)->Unit(benchmark::kMillisecond);

} // namespace
