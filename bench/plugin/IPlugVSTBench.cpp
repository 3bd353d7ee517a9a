// Cost of the framework around the instrument: the host entries without any sound being made.

#include "plugin/IPlugVST.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

VstIntPtr silentHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) {
    return 0;
}

struct BenchPlug : IPlugVST {
    BenchPlug()
        : IPlugVST(IPlugInstanceInfo{silentHost}, 153, "0-2", 64, "Bench", "", "Bench", 0x00010105, 1, 2, 0,
                   true, true, true) {
        for (int i = 0; i < NParams(); ++i) GetParam(i)->InitDouble("Level", 0.5, 0.0, 1.0, 0.001);
        EnsureDefaultPreset();
    }
};

void ProcessReplacingSilence(benchmark::State& state) {
    BenchPlug plug;
    AEffect* effect = plug.GetAEffect();
    const int frames = static_cast<int>(state.range(0));
    std::vector<float> left(frames), right(frames);
    float* outputs[] = {left.data(), right.data()};
    for (auto _ : state) {
        effect->processReplacing(effect, nullptr, outputs, frames);
        benchmark::DoNotOptimize(left.data());
    }
    state.SetItemsProcessed(state.iterations() * frames);
}
BENCHMARK(ProcessReplacingSilence)->Arg(64)->Arg(512);

void ProcessDoubleReplacingSilence(benchmark::State& state) {
    BenchPlug plug;
    AEffect* effect = plug.GetAEffect();
    const int frames = static_cast<int>(state.range(0));
    std::vector<double> left(frames), right(frames);
    double* outputs[] = {left.data(), right.data()};
    for (auto _ : state) {
        effect->processDoubleReplacing(effect, nullptr, outputs, frames);
        benchmark::DoNotOptimize(left.data());
    }
    state.SetItemsProcessed(state.iterations() * frames);
}
BENCHMARK(ProcessDoubleReplacingSilence)->Arg(512);

void SetAndGetParameter(benchmark::State& state) {
    BenchPlug plug;
    AEffect* effect = plug.GetAEffect();
    int idx = 0;
    for (auto _ : state) {
        effect->setParameter(effect, idx, 0.25f);
        benchmark::DoNotOptimize(effect->getParameter(effect, idx));
        idx = (idx + 1) % 153;
    }
}
BENCHMARK(SetAndGetParameter);

void ParamDisplay(benchmark::State& state) {
    BenchPlug plug;
    AEffect* effect = plug.GetAEffect();
    char text[64];
    for (auto _ : state) {
        effect->dispatcher(effect, effGetParamDisplay, 7, 0, text, 0.0f);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(ParamDisplay);

void BankChunkRoundTrip(benchmark::State& state) {
    BenchPlug plug;
    AEffect* effect = plug.GetAEffect();
    std::vector<unsigned char> copy;
    for (auto _ : state) {
        void* data = nullptr;
        const VstIntPtr size = effect->dispatcher(effect, effGetChunk, 0, 0, &data, 0.0f);
        copy.assign(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
        effect->dispatcher(effect, effSetChunk, 0, size, copy.data(), 0.0f);
    }
}
BENCHMARK(BankChunkRoundTrip);

} // namespace
